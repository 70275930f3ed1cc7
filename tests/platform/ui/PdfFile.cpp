#include "PdfFile.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

namespace {

QString Run(const QString& Program, const QStringList& Arguments) {
    QProcess process;
    process.start(Program, Arguments);
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The value of one line of pdfinfo's report.
QString InfoField(const QString& Pdf, const QString& Field) {
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(Field),
                                  QRegularExpression::MultilineOption);
    return line.match(Run(QStringLiteral("pdfinfo"), {Pdf})).captured(1).trimmed();
}

} // namespace

QString PdfText(const QString& Pdf, int Page) {
    QStringList arguments = {QStringLiteral("-layout")};
    if (Page > 0)
        arguments << QStringLiteral("-f") << QString::number(Page) << QStringLiteral("-l")
                  << QString::number(Page);
    return Run(QStringLiteral("pdftotext"), arguments << Pdf << QStringLiteral("-"));
}

int PdfPages(const QString& Pdf) {
    bool ok = false;
    const int pages = InfoField(Pdf, QStringLiteral("Pages")).toInt(&ok);
    return ok ? pages : -1;
}

QString PdfTitle(const QString& Pdf) {
    return InfoField(Pdf, QStringLiteral("Title"));
}
