#pragma once

#include <QList>
#include <memory>
#include <ui/Forms.h>

class TBitBtn;
class TCheckBox;
class TComboBox;
class TEdit;
class TFont;
class TGroupBox;
class TKroPrintSet;
class TLabel;
class TMemo;
class TPageControl;
class TRadioButton;
class TRadioGroup;
class TSpeedButton;
class TSpinButton;
class TSpinEdit;
class TTabSheet;

// "Print setup": the user's choices of a print set on four pages (the document, the
// paper, the page numbers, the text and fonts). Execute shows them and writes them back
// into the set only when the user confirms with "OK".
class TDialPrint : public TForm {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/kro/forms/DiPrint.form")
public:
    Q_INVOKABLE explicit TDialPrint(TComponent* AOwner = nullptr);
    ~TDialPrint() override;

    // Shows Set's values; on "OK" writes the controls back into Set and gives true.
    bool Execute(TKroPrintSet* Set);

    TPageControl* PageControl1 = nullptr;
    TTabSheet* TabSheetCommon = nullptr;
    TTabSheet* TabSheetPage = nullptr;
    TTabSheet* TabSheetNumbering = nullptr;
    TTabSheet* TabSheetText = nullptr;
    TBitBtn* OKBtn = nullptr;
    TBitBtn* CancelBtn = nullptr;
    // Common
    TLabel* LabelTitle = nullptr;
    TMemo* MemoTitle = nullptr;
    TLabel* LabelPrinter = nullptr;
    TBitBtn* BitBtnPrinter = nullptr;
    TLabel* LabelCopies = nullptr;
    TSpinEdit* SpinEditCopies = nullptr;
    TRadioGroup* RadioGroupMode = nullptr;
    TGroupBox* GroupBoxRange = nullptr;
    TRadioButton* RadioButtonAll = nullptr;
    TRadioButton* RadioButtonPages = nullptr;
    TEdit* EditPages = nullptr;
    TLabel* LabelExamplePages = nullptr;
    TLabel* LabelFilename = nullptr;
    TEdit* EditFilename = nullptr;
    TSpeedButton* SpeedButton1 = nullptr;
    // Page Setup
    TGroupBox* GroupBoxMargins = nullptr;
    TLabel* LabelTop = nullptr;
    TLabel* LabelLeft = nullptr;
    TLabel* LabelRight = nullptr;
    TLabel* LabelBottom = nullptr;
    TSpinEdit* SpinEditTop = nullptr;
    TSpinEdit* SpinEditLeft = nullptr;
    TSpinEdit* SpinEditRight = nullptr;
    TSpinEdit* SpinEditBottom = nullptr;
    TGroupBox* GroupBoxSize = nullptr;
    TComboBox* ComboBoxPapers = nullptr;
    TLabel* LabelPageWidth = nullptr;
    TLabel* LabelPageHeight = nullptr;
    TSpinEdit* SpinEditPageWidth = nullptr;
    TSpinEdit* SpinEditPageHeight = nullptr;
    TRadioGroup* RadioGroupOrient = nullptr;
    TCheckBox* CheckBoxWOPages = nullptr;
    // Numbering
    TCheckBox* CheckBoxNumbering = nullptr;
    TCheckBox* CheckBoxNumFirstPage = nullptr;
    TLabel* LabelNumPage = nullptr;
    TSpinEdit* SpinEditNumPage = nullptr;
    TLabel* LabelNumFormat = nullptr;
    TEdit* EditNumFormat = nullptr;
    TGroupBox* GroupBoxPosition = nullptr;
    TComboBox* ComboBoxV = nullptr;
    TComboBox* ComboBoxH = nullptr;
    TBitBtn* BitBtnNumFont = nullptr;
    TLabel* LabelNumFont = nullptr;
    // Text
    TRadioGroup* RadioGroupText = nullptr;
    TLabel* LabelInterval = nullptr;
    TEdit* EditInterval = nullptr;
    TSpinButton* SpinButton1 = nullptr;
    TGroupBox* GroupBoxGraphics = nullptr;
    TBitBtn* BitBtnHeaderFont = nullptr;
    TLabel* LabelTitleFont = nullptr;
    TBitBtn* BitBtnTextFont = nullptr;
    TLabel* LabelTextFont = nullptr;

    // The papers of the printer: names in ComboBoxPapers, sizes in tenths of a millimetre.
    const QList<int>& PaperWidths() const { return FPaperWidths; }
    const QList<int>& PaperHeights() const { return FPaperHeights; }
    // Reads the printer's name and papers and selects the paper of the size edits.
    void ReadPapers();
    // Selects the paper whose size is that of the size edits (turned for "Landscape")
    // within a millimetre; the last paper when none is.
    void SelectMatchingPaper();

    Q_INVOKABLE void FormActivate(TObject* Sender);
    Q_INVOKABLE void BitBtnPrinterClick(TObject* Sender);
    Q_INVOKABLE void ComboBoxPapersChange(TObject* Sender);
    Q_INVOKABLE void RadioGroupOrientClick(TObject* Sender);
    Q_INVOKABLE void SpinEditSizeChange(TObject* Sender);
    Q_INVOKABLE void SpinButton1UpClick(TObject* Sender);
    Q_INVOKABLE void SpinButton1DownClick(TObject* Sender);
    Q_INVOKABLE void EditIntervalExit(TObject* Sender);
    Q_INVOKABLE void EditPagesChange(TObject* Sender);
    Q_INVOKABLE void EditFilenameChange(TObject* Sender);
    Q_INVOKABLE void SpeedButton1Click(TObject* Sender);
    Q_INVOKABLE void BitBtnNumFontClick(TObject* Sender);
    Q_INVOKABLE void BitBtnHeaderFontClick(TObject* Sender);
    Q_INVOKABLE void BitBtnTextFontClick(TObject* Sender);

private:
    void FindControls();
    void SetCaptions();
    void ReadSet(const TKroPrintSet& Set);
    void WriteSet(TKroPrintSet& Set) const;
    // Adds Step to the interval edit's number, kept within 0.5 and 100.
    void StepInterval(double Step);
    // Edits Font with the font dialog and shows it in Label.
    void ChooseFont(TFont* Font, TLabel* Label);
    void ExchangeSizes();

    std::unique_ptr<TFont> FNumberFont;
    std::unique_ptr<TFont> FTitleFont;
    std::unique_ptr<TFont> FTextFont;
    QList<int> FPaperWidths;
    QList<int> FPaperHeights;
    // Set while the dialog changes the sizes itself, so that their handlers keep still.
    bool FChangingSizes = false;
};

// The description of Font the dialog shows: name, size and styles ("Arial, 14, Bold").
QString FontDescription(const TFont* Font);
