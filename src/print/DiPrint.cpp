#include "DiPrint.h"

#include "KroPrint.h"

#include <QLocale>
#include <QPageSize>
#include <forms/DiAdv.h>
#include <optional>
#include <rtl/Font.h>
#include <ui/Buttons.h>
#include <ui/ComCtrls.h>
#include <ui/Dialogs.h>
#include <ui/ExtCtrls.h>
#include <ui/Printers.h>
#include <ui/Spin.h>
#include <ui/StdCtrls.h>

namespace {

// Papers match when each side differs by less than a millimetre (in tenths).
constexpr int PaperTolerance = 10;
constexpr double IntervalStep = 0.5;
constexpr double MinInterval = 0.5;
constexpr double MaxInterval = 100;

// ComboBoxH lists "Left", "Center", "Right"; the print set numbers them 0, 2, 1. The
// mapping is its own inverse.
int SwapCenterAndRight(int Value) {
    return Value == 1 ? 2 : Value == 2 ? 1 : 0;
}

// The number in Text, read with a point or the user's decimal separator.
std::optional<double> ReadNumber(const QString& Text) {
    bool ok = false;
    double value = Text.trimmed().toDouble(&ok);
    if (!ok)
        value = QLocale().toDouble(Text.trimmed(), &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::unique_ptr<TFont> CopyOf(const TFont* Font) {
    auto copy = std::make_unique<TFont>();
    copy->Assign(const_cast<TFont*>(Font));
    return copy;
}

} // namespace

QString FontDescription(const TFont* Font) {
    QString text = QStringLiteral("%1, %2").arg(Font->Name()).arg(Font->Size());
    const std::pair<TFontStyle, const char*> styles[] = {{fsBold, ", Bold"},
                                                         {fsItalic, ", Italic"},
                                                         {fsUnderline, ", Underline"},
                                                         {fsStrikeOut, ", StrikeOut"}};
    for (const auto& [style, name] : styles)
        if (Font->Style().Contains(style))
            text += QLatin1String(name);
    return text;
}

TDialPrint::TDialPrint(TComponent* AOwner) : TForm(AOwner) {
    Q_INIT_RESOURCE(Print);
    InitForm();
    FindControls();
    SetCaptions();
}

TDialPrint::~TDialPrint() = default;

void TDialPrint::FindControls() {
    PageControl1 = FormComponent<TPageControl>(this, "PageControl1");
    TabSheetCommon = FormComponent<TTabSheet>(this, "TabSheetCommon");
    TabSheetPage = FormComponent<TTabSheet>(this, "TabSheetPage");
    TabSheetNumbering = FormComponent<TTabSheet>(this, "TabSheetNumbering");
    TabSheetText = FormComponent<TTabSheet>(this, "TabSheetText");
    OKBtn = FormComponent<TBitBtn>(this, "OKBtn");
    CancelBtn = FormComponent<TBitBtn>(this, "CancelBtn");
    LabelTitle = FormComponent<TLabel>(this, "LabelTitle");
    MemoTitle = FormComponent<TMemo>(this, "MemoTitle");
    LabelPrinter = FormComponent<TLabel>(this, "LabelPrinter");
    BitBtnPrinter = FormComponent<TBitBtn>(this, "BitBtnPrinter");
    LabelCopies = FormComponent<TLabel>(this, "LabelCopies");
    SpinEditCopies = FormComponent<TSpinEdit>(this, "SpinEditCopies");
    RadioGroupMode = FormComponent<TRadioGroup>(this, "RadioGroupMode");
    GroupBoxRange = FormComponent<TGroupBox>(this, "GroupBoxRange");
    RadioButtonAll = FormComponent<TRadioButton>(this, "RadioButtonAll");
    RadioButtonPages = FormComponent<TRadioButton>(this, "RadioButtonPages");
    EditPages = FormComponent<TEdit>(this, "EditPages");
    LabelExamplePages = FormComponent<TLabel>(this, "LabelExamplePages");
    LabelFilename = FormComponent<TLabel>(this, "LabelFilename");
    EditFilename = FormComponent<TEdit>(this, "EditFilename");
    SpeedButton1 = FormComponent<TSpeedButton>(this, "SpeedButton1");
    GroupBoxMargins = FormComponent<TGroupBox>(this, "GroupBoxMargins");
    LabelTop = FormComponent<TLabel>(this, "LabelTop");
    LabelLeft = FormComponent<TLabel>(this, "LabelLeft");
    LabelRight = FormComponent<TLabel>(this, "LabelRight");
    LabelBottom = FormComponent<TLabel>(this, "LabelBottom");
    SpinEditTop = FormComponent<TSpinEdit>(this, "SpinEditTop");
    SpinEditLeft = FormComponent<TSpinEdit>(this, "SpinEditLeft");
    SpinEditRight = FormComponent<TSpinEdit>(this, "SpinEditRight");
    SpinEditBottom = FormComponent<TSpinEdit>(this, "SpinEditBottom");
    GroupBoxSize = FormComponent<TGroupBox>(this, "GroupBoxSize");
    ComboBoxPapers = FormComponent<TComboBox>(this, "ComboBoxPapers");
    LabelPageWidth = FormComponent<TLabel>(this, "LabelPageWidth");
    LabelPageHeight = FormComponent<TLabel>(this, "LabelPageHeight");
    SpinEditPageWidth = FormComponent<TSpinEdit>(this, "SpinEditPageWidth");
    SpinEditPageHeight = FormComponent<TSpinEdit>(this, "SpinEditPageHeight");
    RadioGroupOrient = FormComponent<TRadioGroup>(this, "RadioGroupOrient");
    CheckBoxWOPages = FormComponent<TCheckBox>(this, "CheckBoxWOPages");
    CheckBoxNumbering = FormComponent<TCheckBox>(this, "CheckBoxNumbering");
    CheckBoxNumFirstPage = FormComponent<TCheckBox>(this, "CheckBoxNumFirstPage");
    LabelNumPage = FormComponent<TLabel>(this, "LabelNumPage");
    SpinEditNumPage = FormComponent<TSpinEdit>(this, "SpinEditNumPage");
    LabelNumFormat = FormComponent<TLabel>(this, "LabelNumFormat");
    EditNumFormat = FormComponent<TEdit>(this, "EditNumFormat");
    GroupBoxPosition = FormComponent<TGroupBox>(this, "GroupBoxPosition");
    ComboBoxV = FormComponent<TComboBox>(this, "ComboBoxV");
    ComboBoxH = FormComponent<TComboBox>(this, "ComboBoxH");
    BitBtnNumFont = FormComponent<TBitBtn>(this, "BitBtnNumFont");
    LabelNumFont = FormComponent<TLabel>(this, "LabelNumFont");
    RadioGroupText = FormComponent<TRadioGroup>(this, "RadioGroupText");
    LabelInterval = FormComponent<TLabel>(this, "LabelInterval");
    EditInterval = FormComponent<TEdit>(this, "EditInterval");
    SpinButton1 = FormComponent<TSpinButton>(this, "SpinButton1");
    GroupBoxGraphics = FormComponent<TGroupBox>(this, "GroupBoxGraphics");
    BitBtnHeaderFont = FormComponent<TBitBtn>(this, "BitBtnHeaderFont");
    LabelTitleFont = FormComponent<TLabel>(this, "LabelTitleFont");
    BitBtnTextFont = FormComponent<TBitBtn>(this, "BitBtnTextFont");
    LabelTextFont = FormComponent<TLabel>(this, "LabelTextFont");
}

void TDialPrint::SetCaptions() {
    SetCaption(QStringLiteral("Print setup"));
    OKBtn->SetCaption(QStringLiteral("OK"));
    CancelBtn->SetCaption(QStringLiteral("Cancel"));
    TabSheetCommon->SetCaption(QStringLiteral("Common"));
    LabelTitle->SetCaption(QStringLiteral("Title"));
    BitBtnPrinter->SetCaption(QStringLiteral("Printer"));
    LabelCopies->SetCaption(QStringLiteral("Copies"));
    RadioGroupMode->SetCaption(QStringLiteral("Print mode"));
    GroupBoxRange->SetCaption(QStringLiteral("Print Range"));
    RadioButtonAll->SetCaption(QStringLiteral("All"));
    RadioButtonPages->SetCaption(QStringLiteral("Numbers"));
    LabelExamplePages->SetCaption(QStringLiteral("For example 1,3,5-12"));
    LabelFilename->SetCaption(QStringLiteral("File name"));
    SpeedButton1->SetCaption(QStringLiteral("..."));
    TabSheetPage->SetCaption(QStringLiteral("Page Setup"));
    GroupBoxMargins->SetCaption(QStringLiteral("Margins"));
    LabelTop->SetCaption(QStringLiteral("Top"));
    LabelLeft->SetCaption(QStringLiteral("Left"));
    LabelRight->SetCaption(QStringLiteral("Right"));
    LabelBottom->SetCaption(QStringLiteral("Bottom"));
    GroupBoxSize->SetCaption(QStringLiteral("Paper size"));
    LabelPageWidth->SetCaption(QStringLiteral("Width"));
    LabelPageHeight->SetCaption(QStringLiteral("Height"));
    RadioGroupOrient->SetCaption(QStringLiteral("Orientation"));
    CheckBoxWOPages->SetCaption(QStringLiteral("Without pages (text and file mode only)"));
    TabSheetNumbering->SetCaption(QStringLiteral("Numbering"));
    CheckBoxNumbering->SetCaption(QStringLiteral("Numbering"));
    CheckBoxNumFirstPage->SetCaption(QStringLiteral("Number on first page"));
    LabelNumPage->SetCaption(QStringLiteral("Number of first page"));
    LabelNumFormat->SetCaption(QStringLiteral("Format"));
    GroupBoxPosition->SetCaption(QStringLiteral("Position"));
    BitBtnNumFont->SetCaption(QStringLiteral("Font (graphics mode)"));
    TabSheetText->SetCaption(QStringLiteral("Text"));
    RadioGroupText->SetCaption(QStringLiteral("Text mode"));
    LabelInterval->SetCaption(QStringLiteral("Interval"));
    GroupBoxGraphics->SetCaption(QStringLiteral("Graphics mode"));
    BitBtnHeaderFont->SetCaption(QStringLiteral("Title font"));
    BitBtnTextFont->SetCaption(QStringLiteral("Text font"));
}

bool TDialPrint::Execute(TKroPrintSet* Set) {
    FNumberFont = CopyOf(Set->NumberFont.get());
    FTitleFont = CopyOf(Set->TitleFont.get());
    FTextFont = CopyOf(Set->TextFont.get());
    ReadSet(*Set);
    ReadPapers();
    const bool accepted = ShowModal() == mrOk;
    if (accepted)
        WriteSet(*Set);
    FNumberFont.reset();
    FTitleFont.reset();
    FTextFont.reset();
    return accepted;
}

void TDialPrint::ReadSet(const TKroPrintSet& Set) {
    // The edits first: their handlers choose the mode and the range, which follow.
    MemoTitle->SetText(Set.Title);
    EditPages->SetText(Set.Pages);
    EditFilename->SetText(Set.FileName);
    SpinEditCopies->SetValue(Set.Copies);
    RadioGroupMode->SetItemIndex(qBound(0, int(Set.Mode), 2));
    RadioButtonAll->SetChecked(Set.RangeKind != 1);
    RadioButtonPages->SetChecked(Set.RangeKind == 1);
    FChangingSizes = true;
    RadioGroupOrient->SetItemIndex(Set.Portrait ? 0 : 1);
    SpinEditPageWidth->SetValue(Set.PaperWidth);
    SpinEditPageHeight->SetValue(Set.PaperHeight);
    FChangingSizes = false;
    SpinEditTop->SetValue(Set.TopMargin);
    SpinEditLeft->SetValue(Set.LeftMargin);
    SpinEditRight->SetValue(Set.RightMargin);
    SpinEditBottom->SetValue(Set.BottomMargin);
    CheckBoxWOPages->SetChecked(Set.WithoutPages);
    CheckBoxNumbering->SetChecked(Set.Numbering);
    CheckBoxNumFirstPage->SetChecked(Set.NumberOnFirstPage);
    SpinEditNumPage->SetValue(Set.FirstPageNumber);
    EditNumFormat->SetText(Set.NumberFormat);
    ComboBoxV->SetItemIndex(Set.NumberAtTop ? 0 : 1);
    ComboBoxH->SetItemIndex(SwapCenterAndRight(Set.NumberPosition));
    RadioGroupText->SetItemIndex(qBound(0, int(Set.Pitch), 4));
    EditInterval->SetText(QString::number(Set.Interval));
    LabelNumFont->SetCaption(FontDescription(FNumberFont.get()));
    LabelTitleFont->SetCaption(FontDescription(FTitleFont.get()));
    LabelTextFont->SetCaption(FontDescription(FTextFont.get()));
}

void TDialPrint::WriteSet(TKroPrintSet& Set) const {
    Set.Title = MemoTitle->Text();
    Set.Copies = qint16(SpinEditCopies->Value());
    Set.Mode = quint8(qMax(RadioGroupMode->ItemIndex(), 0));
    Set.RangeKind = RadioButtonPages->Checked() ? 1 : 0;
    Set.Pages = EditPages->Text();
    Set.FileName = EditFilename->Text();
    Set.TopMargin = qint16(SpinEditTop->Value());
    Set.LeftMargin = qint16(SpinEditLeft->Value());
    Set.RightMargin = qint16(SpinEditRight->Value());
    Set.BottomMargin = qint16(SpinEditBottom->Value());
    Set.PaperWidth = qint16(SpinEditPageWidth->Value());
    Set.PaperHeight = qint16(SpinEditPageHeight->Value());
    Set.Portrait = RadioGroupOrient->ItemIndex() != 1;
    Set.WithoutPages = CheckBoxWOPages->Checked();
    Set.Numbering = CheckBoxNumbering->Checked();
    Set.NumberOnFirstPage = CheckBoxNumFirstPage->Checked();
    Set.FirstPageNumber = SpinEditNumPage->Value();
    Set.NumberFormat = EditNumFormat->Text();
    Set.NumberAtTop = ComboBoxV->ItemIndex() != 1;
    Set.NumberPosition = quint8(SwapCenterAndRight(ComboBoxH->ItemIndex()));
    Set.Pitch = quint8(qMax(RadioGroupText->ItemIndex(), 0));
    Set.Interval = ReadNumber(EditInterval->Text()).value_or(1);
    Set.NumberFont->Assign(FNumberFont.get());
    Set.TitleFont->Assign(FTitleFont.get());
    Set.TextFont->Assign(FTextFont.get());
}

void TDialPrint::ReadPapers() {
    TPrinter* printer = Printer();
    LabelPrinter->SetCaption(printer->PrinterName());
    ComboBoxPapers->Items()->Clear();
    FPaperWidths.clear();
    FPaperHeights.clear();
    for (const QPageSize& paper : printer->Papers()) {
        const QSizeF size = paper.size(QPageSize::Millimeter);
        ComboBoxPapers->Items()->Add(paper.name());
        FPaperWidths << qRound(size.width() * 10);
        FPaperHeights << qRound(size.height() * 10);
    }
    SelectMatchingPaper();
}

void TDialPrint::SelectMatchingPaper() {
    const bool landscape = RadioGroupOrient->ItemIndex() == 1;
    int width = SpinEditPageWidth->Value() * 10;
    int height = SpinEditPageHeight->Value() * 10;
    if (landscape)
        std::swap(width, height);
    int match = int(FPaperWidths.size()) - 1;
    for (int i = 0; i < FPaperWidths.size(); ++i) {
        if (qAbs(FPaperWidths[i] - width) < PaperTolerance &&
            qAbs(FPaperHeights[i] - height) < PaperTolerance) {
            match = i;
            break;
        }
    }
    ComboBoxPapers->SetItemIndex(match);
}

void TDialPrint::FormActivate(TObject*) {
    ReadPapers();
}

void TDialPrint::BitBtnPrinterClick(TObject*) {
    TPrinterSetupDialog dialog(this);
    dialog.Execute();
    ReadPapers();
}

void TDialPrint::ComboBoxPapersChange(TObject*) {
    const int index = ComboBoxPapers->ItemIndex();
    if (FChangingSizes || index < 0 || index >= ComboBoxPapers->Items()->Count() - 1)
        return;
    int width = qRound(FPaperWidths[index] / 10.0);
    int height = qRound(FPaperHeights[index] / 10.0);
    if (RadioGroupOrient->ItemIndex() == 1)
        std::swap(width, height);
    FChangingSizes = true;
    SpinEditPageWidth->SetValue(width);
    SpinEditPageHeight->SetValue(height);
    FChangingSizes = false;
}

void TDialPrint::RadioGroupOrientClick(TObject*) {
    if (!FChangingSizes)
        ExchangeSizes();
}

void TDialPrint::ExchangeSizes() {
    const int width = SpinEditPageWidth->Value();
    FChangingSizes = true;
    SpinEditPageWidth->SetValue(SpinEditPageHeight->Value());
    SpinEditPageHeight->SetValue(width);
    FChangingSizes = false;
}

void TDialPrint::SpinEditSizeChange(TObject*) {
    if (!FChangingSizes)
        SelectMatchingPaper();
}

void TDialPrint::StepInterval(double Step) {
    const std::optional<double> value = ReadNumber(EditInterval->Text());
    EditInterval->SetText(value ? QString::number(qBound(MinInterval, *value + Step, MaxInterval))
                                : QStringLiteral("1"));
}

void TDialPrint::SpinButton1UpClick(TObject*) {
    StepInterval(IntervalStep);
}

void TDialPrint::SpinButton1DownClick(TObject*) {
    StepInterval(-IntervalStep);
}

void TDialPrint::EditIntervalExit(TObject*) {
    StepInterval(0);
}

void TDialPrint::EditPagesChange(TObject*) {
    if (EditPages->Text().isEmpty())
        RadioButtonAll->SetChecked(true);
    else
        RadioButtonPages->SetChecked(true);
}

void TDialPrint::EditFilenameChange(TObject*) {
    RadioGroupMode->SetItemIndex(EditFilename->Text().isEmpty() ? pmGraphics : pmFile);
}

void TDialPrint::SpeedButton1Click(TObject*) {
    TSaveDialog dialog(this);
    dialog.SetFileName(EditFilename->Text());
    if (dialog.Execute())
        EditFilename->SetText(dialog.FileName());
}

void TDialPrint::ChooseFont(TFont* Font, TLabel* Label) {
    TFontDialog dialog(this);
    dialog.SetFont(Font);
    if (!dialog.Execute())
        return;
    Font->Assign(dialog.Font());
    Label->SetCaption(FontDescription(Font));
}

void TDialPrint::BitBtnNumFontClick(TObject*) {
    ChooseFont(FNumberFont.get(), LabelNumFont);
}

void TDialPrint::BitBtnHeaderFontClick(TObject*) {
    ChooseFont(FTitleFont.get(), LabelTitleFont);
}

void TDialPrint::BitBtnTextFontClick(TObject*) {
    ChooseFont(FTextFont.get(), LabelTextFont);
}
