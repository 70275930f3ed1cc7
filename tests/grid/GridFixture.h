#pragma once

// A shown, active form with the library's grid over Person (Id, Name, Lang, the list field
// Sex and the lookup field LangLook of Lang by "Id;Name;Font"), on each engine. The grid
// has no frame, so client and widget coordinates agree.

#include "fields/FieldsFixture.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <db/DataSource.h>
#include <fields/KroLook.h>
#include <grid/KroGrid.h>
#include <rtl/Exceptions.h>
#include <ui/Forms.h>
#include <ui/ScriptedResponder.h>
#include <ui/Sound.h>

class GridFixture : public FieldsFixture {
protected:
    void SetUp() override {
        FieldsFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        AddPersonFields();
        Look = NewLangLook(QStringLiteral("Id;Name;Font"));
        Look->SetStoreLookupData(true);
        Look->SetDataSet(Person);
        Source = new TDataSource(&Form);
        Source->SetDataSet(Person);
        Grid = new TKroDbGrid(&Form);
        Grid->SetParent(&Form);
        Grid->SetBorderStyle(bsNone);
        Grid->SetBounds(0, 0, 640, 220);
        Grid->SetDataSource(Source);
        SetExceptionHandler([this](const Exception& E) { Errors << E.Message(); });
        FPreviousBeep = SetBeepHandler([this] { ++Beeps; });
        Lang->Open();
        Person->Open();
        Form.SetBounds(0, 0, 660, 260);
        Form.Show();
        QApplication::setActiveWindow(Form.Widget());
        ProcessEvents();
        Grid->SetFocus();
        ProcessEvents();
    }
    void TearDown() override {
        SetBeepHandler(FPreviousBeep);
        SetExceptionHandler(nullptr);
        FieldsFixture::TearDown();
    }

    static void ProcessEvents() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    // A key to whatever has the focus, the grid or its editor; posted keys run after it.
    static void Key(Qt::Key K, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), K, Modifiers);
        ProcessEvents();
    }
    static void Type(const QString& Text) {
        for (const QChar c : Text)
            QTest::keyClicks(QApplication::focusWidget(), QString(c));
        ProcessEvents();
    }
    // Selects the column of the field named Name.
    void SelectColumn(const char* Name) {
        Grid->SetSelectedField(Person->FieldByName(QString::fromLatin1(Name)));
    }
    TColumn* ColumnOf(const char* Name) const {
        for (int i = 0; i < Grid->Columns()->Count(); ++i)
            if (Grid->Columns()->Items(i)->FieldName() == QLatin1String(Name))
                return Grid->Columns()->Items(i);
        return nullptr;
    }
    // The grid column showing the field named Name.
    int GridCol(const char* Name) const {
        for (int col = Grid->IndicatorOffset(); col < Grid->ColCount(); ++col)
            if (!Grid->CellRect(col, 0).isEmpty() &&
                Grid->Columns()->Items(col - Grid->IndicatorOffset())->FieldName() ==
                    QLatin1String(Name))
                return col;
        return -1;
    }
    QImage Picture() const { return Grid->Widget()->grab().toImage(); }
    // The pixels of Area in Image that are not of colour Color.
    static int PixelsNot(const QImage& Image, const QRect& Area, TColor Color) {
        const QColor color = ColorToQColor(Color);
        int count = 0;
        for (int y = Area.top(); y <= Area.bottom(); ++y)
            for (int x = Area.left(); x <= Area.right(); ++x)
                if (Image.pixelColor(x, y) != color)
                    ++count;
        return count;
    }
    void ClickTitle(const char* Name) {
        const QRect title = Grid->CellRect(GridCol(Name), 0);
        QTest::mouseClick(Grid->Widget(), Qt::LeftButton, {}, title.center());
        ProcessEvents();
    }
    QString Name() const { return Person->FieldByName(QStringLiteral("Name"))->AsString(); }

    TForm Form;
    TDataSource* Source = nullptr;
    TKroDbGrid* Grid = nullptr;
    TKroLookField* Look = nullptr;
    TScriptedResponder Responder;
    QStringList Errors;
    int Beeps = 0;

private:
    TBeepHandler FPreviousBeep;
};
