#pragma once

// A data-aware rich edit that keeps its formatting when editing starts, its shared popup
// menu (font, paragraph, search and replace, printing) and the search and replace dialog,
// which searches the text of the current record or runs through the dataset's records.

#include <controls/KroPopup.h>
#include <ui/DBRichEdit.h>
#include <ui/Forms.h>

class TButton;
class TCheckBox;
class TComboBox;
class TDataSet;
class TField;
class TGroupBox;
class TLabel;
class TRadioButton;

// A rich edit whose text survives the dataset's switch into edit state. Read from a form
// file without a popup menu of its own, it gets the shared PopupMenuKroDBRichEdit.
class TKroDBRichEdit : public TDBRichEdit {
    Q_OBJECT
    Q_PROPERTY(QString RecordName READ RecordName WRITE SetRecordName)
    Q_PROPERTY(bool SearchGlobal READ SearchGlobal WRITE SetSearchGlobal)
public:
    Q_INVOKABLE explicit TKroDBRichEdit(TComponent* AOwner = nullptr);

    // How the search dialog names one record; empty for "current record".
    const QString& RecordName() const { return FRecordName; }
    void SetRecordName(const QString& Value) { FRecordName = Value; }
    // Whether the search dialog offers the scopes that run through the records.
    bool SearchGlobal() const { return FSearchGlobal; }
    void SetSearchGlobal(bool Value) { FSearchGlobal = Value; }

    // Puts the dataset into edit state, when it is not and the field can be modified,
    // showing the field's formatted text (an empty rich text for an empty field) throughout.
    void StartEditKeepText();

protected:
    void Loaded() override;
    bool BeginEditing() override;

private:
    QString FRecordName;
    bool FSearchGlobal = false;
};

// The memo menu with nine items in front: "Font", "Basic font", "Paragraph", a line,
// "Search / replace", "Search/replace next", a line, "Print" and a line.
class TPopupMenuKroDBRichEdit : public TPopupMenuKroDBMemo {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPopupMenuKroDBRichEdit(TComponent* AOwner = nullptr);

protected:
    void UpdateItems(int Offset) override;

private:
    // The control as a data-aware rich edit with an active dataset; nullptr otherwise.
    TDBRichEdit* RichEdit() const;
    // Whether the formatting commands may change the control's text.
    bool CanFormat(TDBRichEdit* Edit) const;
    void ChooseFont();
    void BasicFont();
    void EditParagraph();
    void SearchReplace();
    void SearchNext();
    void PrintText();
};

// The rich edit menu shared by every rich edit, made on first use and owned by the
// application.
TPopupMenuKroDBRichEdit* PopupMenuKroDBRichEdit();

PUBLISHED_ENUM(TRichSearchOperation, roFind, roReplace, roReplaceAll)
PUBLISHED_ENUM(TRichSearchScope, rsGlobal, rsFromCurrent, rsOnlyCurrent, rsSelected)

// What "Search / replace" last chose; "Search/replace next" does it again.
struct TRichSearchSettings {
    TRichSearchOperation Operation = roFind;
    TRichSearchScope Scope = rsFromCurrent;
    bool FromCursor = true;
    TSearchTypes Options;
    bool Prompt = true;
    QString FindText;
    QString ReplaceText;
};

// Searches and replaces in a data-aware rich edit as Settings say: in the text of the
// current record or through the records of its dataset.
class TRichTextSearch {
public:
    TRichTextSearch(TDBRichEdit* Edit, const TRichSearchSettings& Settings);

    // Runs the operation once: from the settings' origin, or with Continue after the
    // selection and from the cursor.
    void Run(bool Continue);

    // Finds the text in the current record and selects it; its position or -1.
    int FindInRecord(bool Continue, bool FromCursor) const;
    // Finds the text through the records of the scope; where nothing is found the dataset
    // and the selection return to where they were, and with Report a message says so.
    int FindInRecords(bool Report, bool Continue, bool FromCursor) const;
    // Finds the text and replaces it as the prompt (or its absence) answers; mrCancel
    // when the text was not found.
    int ReplaceOnce(bool Report, bool Continue, bool FromCursor, bool Prompt) const;
    // Replaces once, then every further occurrence after it until an answer cancels.
    void ReplaceAll(bool Continue) const;

private:
    TDataSet* DataSet() const;
    // Whether Field's text holds the find text in some case; never false where the
    // control would find it.
    bool MayHold(const TField* Field) const;
    // Moves to the next record that may hold the find text; false at the end.
    bool NextCandidate() const;
    void StartEditing(int Position) const;
    void Select(int Position, int Length) const;

    TDBRichEdit* FEdit;
    const TRichSearchSettings& FSettings;
};

// "Search" or "Search \ Replace": the text to find and its replacement, each with its
// history, the options, the scope and the origin. The buttons store the choices before
// the dialog closes.
class TRichEditSearch : public TForm {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/kro/forms/KroRich.form")
public:
    Q_INVOKABLE explicit TRichEditSearch(TComponent* AOwner = nullptr);

    const TRichSearchSettings& Settings() const { return FSettings; }

    // Shows the dialog for Edit, with the replace controls when Replace, and runs what
    // the user chose.
    void Execute(TDBRichEdit* Edit, bool Replace);
    // Runs the stored operation again after Edit's selection.
    void SearchNext(TDBRichEdit* Edit);

    TLabel* LabelFind = nullptr;
    TComboBox* ComboBoxFind = nullptr;
    TLabel* LabelReplace = nullptr;
    TComboBox* ComboBoxReplace = nullptr;
    TGroupBox* GroupBoxOptions = nullptr;
    TCheckBox* CheckBoxCase = nullptr;
    TCheckBox* CheckBoxWholeWords = nullptr;
    TCheckBox* CheckBoxPrompt = nullptr;
    TGroupBox* GroupBoxScope = nullptr;
    TRadioButton* RadioButtonGlobal = nullptr;
    TRadioButton* RadioButtonFromCurrent = nullptr;
    TRadioButton* RadioButtonOnlyCurrent = nullptr;
    TRadioButton* RadioButtonSelected = nullptr;
    TGroupBox* GroupBoxOrigin = nullptr;
    TRadioButton* RadioButtonFromCursor = nullptr;
    TRadioButton* RadioButtonEntireScope = nullptr;
    TButton* ButtonFind = nullptr;
    TButton* ButtonReplace = nullptr;
    TButton* ButtonReplaceAll = nullptr;
    TButton* ButtonCancel = nullptr;

    Q_INVOKABLE void FormActivate(TObject* Sender);
    Q_INVOKABLE void ScopeClick(TObject* Sender);
    Q_INVOKABLE void ButtonFindClick(TObject* Sender);
    Q_INVOKABLE void ButtonReplaceClick(TObject* Sender);
    Q_INVOKABLE void ButtonReplaceAllClick(TObject* Sender);

private:
    void FindControls();
    void SetCaptions();
    void ShowReplaceControls(bool Replace);
    void PrepareScopes(TDBRichEdit* Edit);
    // Stores the scope, the options, the origin and the find text.
    void StoreSearch();
    // Stores what StoreSearch does, the replacement and the prompt; false, storing
    // nothing, while the replacement is empty.
    bool StoreReplace();
    void UpdateReplaceAll();

    TRichSearchSettings FSettings;
};

// The search dialog of the rich edits, made on first use and owned by the application.
TRichEditSearch* RichEditSearch();
// The search dialog when it has been made; nullptr before.
TRichEditSearch* ExistingRichEditSearch();
