#include "Dialogs.h"

#include "Printers.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <cstdio>
#include <memory>
#include <utility>

namespace {

TModalResponder* InstalledResponder = nullptr;

QString CaptionOf(TMsgDlgType DlgType) {
    switch (DlgType) {
    case mtWarning:
        return QStringLiteral("Warning");
    case mtError:
        return QStringLiteral("Error");
    case mtInformation:
        return QStringLiteral("Information");
    case mtConfirmation:
        return QStringLiteral("Confirm");
    case mtCustom:
        break;
    }
    return QGuiApplication::applicationDisplayName();
}

QMessageBox::Icon IconOf(TMsgDlgType DlgType) {
    switch (DlgType) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    case mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

QPushButton* AddButton(QMessageBox& Box, TMsgDlgBtn Button) {
    switch (Button) {
    case mbYes:
        return Box.addButton(QMessageBox::Yes);
    case mbNo:
        return Box.addButton(QMessageBox::No);
    case mbOK:
        return Box.addButton(QMessageBox::Ok);
    case mbCancel:
        return Box.addButton(QMessageBox::Cancel);
    case mbAbort:
        return Box.addButton(QMessageBox::Abort);
    case mbRetry:
        return Box.addButton(QMessageBox::Retry);
    case mbIgnore:
        return Box.addButton(QMessageBox::Ignore);
    case mbAll:
        return Box.addButton(QStringLiteral("&All"), QMessageBox::AcceptRole);
    case mbNoToAll:
        return Box.addButton(QMessageBox::NoToAll);
    case mbYesToAll:
        return Box.addButton(QMessageBox::YesToAll);
    case mbHelp:
        return Box.addButton(QMessageBox::Help);
    }
    return nullptr;
}

const char* const ModalResultProperty = "ModalResult";

QList<TMsgDlgBtn> ButtonsOf(TMsgDlgButtons Buttons) {
    QList<TMsgDlgBtn> result;
    for (int i = mbYes; i <= mbHelp; ++i)
        if (Buttons.Contains(TMsgDlgBtn(i)))
            result.append(TMsgDlgBtn(i));
    return result;
}

// The box the user answers: a dialog frame in the forms' font; each button carries its
// modal result.
std::unique_ptr<QMessageBox> CreateMessageBox(const TMessageRequest& Request) {
    auto box = std::make_unique<QMessageBox>(IconOf(Request.DlgType), Request.Caption, Request.Text,
                                             QMessageBox::NoButton, QApplication::activeWindow());
    // A dialog frame: a title and a close button, nothing to minimise or maximise.
    box->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    box->setFont(TFont().ToQFont());
    for (TMsgDlgBtn button : ButtonsOf(Request.Buttons)) {
        QPushButton* added = AddButton(*box, button);
        added->setProperty(ModalResultProperty, ModalResultOf(button));
        if (!box->defaultButton() && (button == mbYes || button == mbOK))
            box->setDefaultButton(added);
    }
    return box;
}

TModalResult ShowMessageBox(const TMessageRequest& Request) {
    const std::unique_ptr<QMessageBox> box = CreateMessageBox(Request);
    box->exec();
    const QAbstractButton* clicked = box->clickedButton();
    return clicked ? clicked->property(ModalResultProperty).toInt() : mrCancel;
}

TModalResult AnswerWithoutScreen(const TMessageRequest& Request) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(Request.Caption), qPrintable(Request.Text));
    for (TMsgDlgBtn safe : {mbCancel, mbNo, mbAbort})
        if (Request.Buttons.Contains(safe))
            return ModalResultOf(safe);
    const QList<TMsgDlgBtn> buttons = ButtonsOf(Request.Buttons);
    return buttons.isEmpty() ? mrNone : ModalResultOf(buttons.first());
}

bool HasScreen() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

TModalResult Ask(const TMessageRequest& Request) {
    if (InstalledResponder)
        return InstalledResponder->MessageDlg(Request);
    if (!HasScreen())
        return AnswerWithoutScreen(Request);
    return ShowMessageBox(Request);
}

} // namespace

TModalResult ModalResultOf(TMsgDlgBtn Button) {
    switch (Button) {
    case mbYes:
        return mrYes;
    case mbNo:
        return mrNo;
    case mbOK:
        return mrOk;
    case mbCancel:
        return mrCancel;
    case mbAbort:
        return mrAbort;
    case mbRetry:
        return mrRetry;
    case mbIgnore:
        return mrIgnore;
    case mbAll:
        return mrAll;
    case mbNoToAll:
        return mrNoToAll;
    case mbYesToAll:
        return mrYesToAll;
    case mbHelp:
        break;
    }
    return mrNone;
}

TModalResponder* SetModalResponder(TModalResponder* Responder) {
    return std::exchange(InstalledResponder, Responder);
}

TModalResponder* ModalResponder() {
    return InstalledResponder;
}

TModalResult MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                        int HelpCtx) {
    return Ask({CaptionOf(DlgType), Msg, DlgType, Buttons, HelpCtx});
}

void ShowMessage(const QString& Msg) {
    Ask({CaptionOf(mtCustom), Msg, mtCustom, {mbOK}, 0});
}

bool TCommonDialog::Execute() {
    bool accepted = false;
    if (InstalledResponder)
        accepted = InstalledResponder->ExecuteDialog(this) && AcceptAnswer();
    else if (HasScreen())
        accepted = ShowDialog();
    if (accepted)
        Accepted();
    return accepted;
}

TOpenDialog::TOpenDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), FFiles(new TStringList(this)) {}

QString TOpenDialog::DefaultTitle() const {
    return QStringLiteral("Open");
}

QStringList TOpenDialog::NameFilters() const {
    const QStringList parts = FFilter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns =
            parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        const QString suffix = QStringLiteral("(%1)").arg(patterns);
        result.append(description.endsWith(suffix)
                          ? description
                          : QStringLiteral("%1 %2").arg(description, suffix));
    }
    return result;
}

bool TOpenDialog::ShowDialog() {
    QFileDialog dialog(QApplication::activeWindow(), Caption(), FInitialDir);
    dialog.setAcceptMode(Saving() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!Saving() && FOptions.Contains(ofAllowMultiSelect))
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else if (!Saving() && FOptions.Contains(ofFileMustExist))
        dialog.setFileMode(QFileDialog::ExistingFile);
    else
        dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !FOptions.Contains(ofOverwritePrompt));
    const QStringList filters = NameFilters();
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (FFilterIndex >= 1 && FFilterIndex <= filters.size())
        dialog.selectNameFilter(filters[FFilterIndex - 1]);
    dialog.setDefaultSuffix(FDefaultExt);
    if (!FFileName.isEmpty())
        dialog.selectFile(FFileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const QStringList files = dialog.selectedFiles();
    FFiles->Clear();
    for (const QString& file : files)
        FFiles->Add(file);
    FFileName = files.first();
    if (const qsizetype index = filters.indexOf(dialog.selectedNameFilter()); index >= 0)
        FFilterIndex = int(index) + 1;
    return true;
}

bool TOpenDialog::AcceptAnswer() {
    if (FFileName.isEmpty())
        return false;
    if (!FDefaultExt.isEmpty() && QFileInfo(FFileName).suffix().isEmpty())
        FFileName += QLatin1Char('.') + FDefaultExt;
    if (!FOptions.Contains(ofAllowMultiSelect) || FFiles->IndexOf(FFileName) < 0) {
        FFiles->Clear();
        FFiles->Add(FFileName);
    }
    if (!Saving() && FOptions.Contains(ofFileMustExist))
        for (int i = 0; i < FFiles->Count(); ++i)
            if (!QFileInfo::exists(FFiles->Strings(i))) {
                MessageDlg(QStringLiteral("%1\nFile not found.").arg(FFiles->Strings(i)), mtWarning,
                           {mbOK});
                return false;
            }
    if (Saving() && FOptions.Contains(ofOverwritePrompt) && QFileInfo::exists(FFileName))
        return MessageDlg(
                   QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(FFileName),
                   mtConfirmation, {mbYes, mbNo}) == mrYes;
    return true;
}

void TOpenDialog::Accepted() {
    const bool different = !FDefaultExt.isEmpty() && QFileInfo(FFileName).suffix().compare(
                                                         FDefaultExt, Qt::CaseInsensitive) != 0;
    if (different)
        FOptions.Include(ofExtensionDifferent);
    else
        FOptions.Exclude(ofExtensionDifferent);
}

TSaveDialog::TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

QString TSaveDialog::DefaultTitle() const {
    return QStringLiteral("Save As");
}

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFont(new TFont(this)) {}

QString TFontDialog::DefaultTitle() const {
    return QStringLiteral("Font");
}

bool TFontDialog::ShowDialog() {
    bool accepted = false;
    const QFont font =
        QFontDialog::getFont(&accepted, FFont->ToQFont(), QApplication::activeWindow(), Caption());
    if (accepted)
        FFont->SetFromQFont(font);
    return accepted;
}

TPrinterSetupDialog::TPrinterSetupDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

QString TPrinterSetupDialog::DefaultTitle() const {
    return QStringLiteral("Printer setup");
}

bool TPrinterSetupDialog::ShowDialog() {
    QPrintDialog dialog(Printer()->Handle(), QApplication::activeWindow());
    dialog.setWindowTitle(Caption());
    dialog.setOptions({});
    return dialog.exec() == QDialog::Accepted;
}

TPrintDialog::TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

QString TPrintDialog::DefaultTitle() const {
    return QStringLiteral("Print");
}

bool TPrintDialog::ShowDialog() {
    QPrinter* printer = Printer()->Handle();
    printer->setCopyCount(qMax(1, FCopies));
    QPrintDialog dialog(printer, QApplication::activeWindow());
    dialog.setWindowTitle(Caption());
    QAbstractPrintDialog::PrintDialogOptions options;
    options.setFlag(QAbstractPrintDialog::PrintPageRange, FOptions.Contains(poPageNums));
    options.setFlag(QAbstractPrintDialog::PrintSelection, FOptions.Contains(poSelection));
    options.setFlag(QAbstractPrintDialog::PrintToFile, !FOptions.Contains(poDisablePrintToFile));
    dialog.setOptions(options);
    if (FMaxPage > 0)
        dialog.setMinMax(FMinPage, FMaxPage);
    dialog.setFromTo(FFromPage, FToPage);
    dialog.setPrintRange(FPrintRange == prPageNums    ? QAbstractPrintDialog::PageRange
                         : FPrintRange == prSelection ? QAbstractPrintDialog::Selection
                                                      : QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    FCopies = printer->copyCount();
    FFromPage = dialog.fromPage();
    FToPage = dialog.toPage();
    FPrintRange = dialog.printRange() == QAbstractPrintDialog::PageRange   ? prPageNums
                  : dialog.printRange() == QAbstractPrintDialog::Selection ? prSelection
                                                                           : prAllPages;
    return true;
}

void TPrintDialog::Accepted() {
    Printer()->SetCopies(FCopies);
}
