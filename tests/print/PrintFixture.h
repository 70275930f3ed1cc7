#pragma once

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <print/KroPrint.h>
#include <rtl/Exceptions.h>
#include <ui/Printers.h>

// A printer and a print set of their own for each test, the printer of the platform
// printing to a PDF file in a temporary folder, and the messages the printer shows.
class PrintFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetExceptionHandler([this](const Exception& E) { Shown << E.Message(); });
        FPreviousPrinter = SetPrinter(new TPrinter);
        Printer()->SetOutputFileName(Pdf);
    }
    void TearDown() override {
        Engine.reset();
        delete SetPrinter(FPreviousPrinter);
        SetExceptionHandler(nullptr);
    }

    // A set for pages of PaperHeight × PaperWidth millimetres with the given margins.
    void Page(int PaperWidth, int PaperHeight, int Left, int Top, int Right, int Bottom) {
        Set.PaperWidth = qint16(PaperWidth);
        Set.PaperHeight = qint16(PaperHeight);
        Set.LeftMargin = qint16(Left);
        Set.TopMargin = qint16(Top);
        Set.RightMargin = qint16(Right);
        Set.BottomMargin = qint16(Bottom);
    }

    // The message of the EPrinterError Action raises; empty when it raises none.
    template <class F> static QString ErrorOf(F Action) {
        try {
            Action();
        } catch (const EPrinterError& e) {
            return e.Message();
        }
        return QString();
    }

    QTemporaryDir Dir;
    const QString Pdf = Dir.filePath(QStringLiteral("out.pdf"));
    TKroPrintSet Set;
    std::unique_ptr<TKroPrinter> Engine = std::make_unique<TKroPrinter>();
    QStringList Shown;

private:
    TPrinter* FPreviousPrinter = nullptr;
};
