#include "KroRich.h"

#include "DiPara.h"
#include "DiReplace.h"

#include <QPointer>
#include <QScopeGuard>
#include <dataset/KroDB.h>
#include <db/DataLink.h>
#include <db/DataSource.h>
#include <db/Fields.h>
#include <forms/DiAdv.h>
#include <rtl/Font.h>
#include <rtl/TypeInfo.h>
#include <ui/Application.h>
#include <ui/Dialogs.h>
#include <ui/RtfReader.h>
#include <ui/StdCtrls.h>

namespace {

// The rich text of an empty field: an empty group, so that editing starts formatted.
const QString EmptyRichText = QStringLiteral("{}");

// The items in front of the memo's, in menu order.
enum TRichItem {
    reFont,
    reBasicFont,
    reParagraph,
    reLine1,
    reSearch,
    reSearchNext,
    reLine2,
    rePrint,
    reLine3,
    reCount
};

// The dataset Edit shows, when it has one.
TDataSet* DataSetOf(const TDBRichEdit* Edit) {
    return Edit->DataSource() ? Edit->DataSource()->DataSet() : nullptr;
}

// Whether a search for Edit may run through the records: its "SearchGlobal", true for a
// rich edit without that property.
bool SearchesGlobally(const TDBRichEdit* Edit) {
    const QString name = QStringLiteral("SearchGlobal");
    return !IsPublishedProp(Edit, name) || GetOrdProp(Edit, name) != 0;
}

// How the search dialog names one record of Edit.
QString RecordNameOf(const TDBRichEdit* Edit) {
    const QString name = QStringLiteral("RecordName");
    const QString value = PropIsType(Edit, name, tkString) ? GetStrProp(Edit, name) : QString();
    return value.isEmpty() ? QStringLiteral("current record") : value;
}

// Moves Text to the top of Combo's history, removing an older copy.
void RememberText(TComboBox* Combo, const QString& Text) {
    TStrings* history = Combo->Items();
    if (const int index = history->IndexOf(Text); index >= 0)
        history->Delete(index);
    history->Insert(0, Text);
    Combo->SetText(Text);
}

} // namespace

// ---- TKroDBRichEdit -------------------------------------------------------------------

TKroDBRichEdit::TKroDBRichEdit(TComponent* AOwner) : TDBRichEdit(AOwner) {}

void TKroDBRichEdit::Loaded() {
    TDBRichEdit::Loaded();
    if (!IsDesigning() && !PopupMenu())
        SetPopupMenu(PopupMenuKroDBRichEdit());
}

void TKroDBRichEdit::StartEditKeepText() {
    TField* field = Field();
    if (DataLink()->Editing() || !field || !DataLink()->CanModify())
        return;
    const QString text = field->AsString();
    SetDataSave(text.isEmpty() ? EmptyRichText : text);
    const auto clear = qScopeGuard([this] { SetDataSave(QString()); });
    DataLink()->Edit();
}

bool TKroDBRichEdit::BeginEditing() {
    if (MemoLoaded())
        StartEditKeepText();
    return TDBRichEdit::BeginEditing();
}

// ---- TPopupMenuKroDBRichEdit ----------------------------------------------------------

TPopupMenuKroDBRichEdit::TPopupMenuKroDBRichEdit(TComponent* AOwner) : TPopupMenuKroDBMemo(AOwner) {
    NewItem(reFont, QStringLiteral("Font"), scNone, [this] { ChooseFont(); });
    NewItem(reBasicFont, QStringLiteral("Basic font"), scCtrl | 'A', [this] { BasicFont(); });
    NewItem(reParagraph, QStringLiteral("Paragraph"), scNone, [this] { EditParagraph(); });
    NewItem(reLine1, QStringLiteral("-"), scNone, nullptr);
    NewItem(reSearch, QStringLiteral("Search / replace"), scCtrl | 'F',
            [this] { SearchReplace(); });
    NewItem(reSearchNext, QStringLiteral("Search/replace next"), scCtrl | 'L',
            [this] { SearchNext(); });
    NewItem(reLine2, QStringLiteral("-"), scNone, nullptr);
    NewItem(rePrint, QStringLiteral("Print"), scNone, [this] { PrintText(); });
    NewItem(reLine3, QStringLiteral("-"), scNone, nullptr);
}

TDBRichEdit* TPopupMenuKroDBRichEdit::RichEdit() const {
    auto* edit = qobject_cast<TDBRichEdit*>(Control());
    return edit && DataSet() && DataSetOf(edit) == DataSet() ? edit : nullptr;
}

bool TPopupMenuKroDBRichEdit::CanFormat(TDBRichEdit* Edit) const {
    return Edit->Field() && Edit->Field()->CanModify() && !Edit->ReadOnly() &&
           (DataSet()->IsEditing() || qobject_cast<TKroDBRichEdit*>(Edit));
}

void TPopupMenuKroDBRichEdit::UpdateItems(int Offset) {
    TPopupMenuKroDBMemo::UpdateItems(Offset + reCount);
    TDBRichEdit* edit = RichEdit();
    if (!edit)
        return;
    const bool format = CanFormat(edit);
    Item(Offset + reFont)->SetEnabled(format);
    Item(Offset + reBasicFont)->SetEnabled(format);
    Item(Offset + reParagraph)->SetEnabled(format);
    Item(Offset + reSearch)->SetEnabled(true);
    Item(Offset + rePrint)->SetEnabled(true);
    const TRichEditSearch* search = ExistingRichEditSearch();
    Item(Offset + reSearchNext)->SetEnabled(search && !search->Settings().FindText.isEmpty());
}

void TPopupMenuKroDBRichEdit::ChooseFont() {
    TDBRichEdit* edit = RichEdit();
    if (!edit || !CanFormat(edit))
        return;
    TFontDialog dialog;
    dialog.Font()->Assign(edit->SelAttributes());
    if (!dialog.Execute())
        return;
    if (auto* kro = qobject_cast<TKroDBRichEdit*>(edit))
        kro->StartEditKeepText();
    edit->SelAttributes()->Assign(dialog.Font());
}

void TPopupMenuKroDBRichEdit::BasicFont() {
    TDBRichEdit* edit = RichEdit();
    if (!edit || !CanFormat(edit))
        return;
    if (auto* kro = qobject_cast<TKroDBRichEdit*>(edit))
        kro->StartEditKeepText();
    edit->SelAttributes()->Assign(edit->Font());
}

void TPopupMenuKroDBRichEdit::EditParagraph() {
    TDBRichEdit* edit = RichEdit();
    if (!edit || !CanFormat(edit))
        return;
    TDialParagraph dialog;
    if (!dialog.Execute(edit->Paragraph()))
        return;
    if (auto* kro = qobject_cast<TKroDBRichEdit*>(edit))
        kro->StartEditKeepText();
    dialog.Apply(edit->Paragraph());
}

void TPopupMenuKroDBRichEdit::SearchReplace() {
    if (TDBRichEdit* edit = RichEdit())
        RichEditSearch()->Execute(edit, DataSet()->CanModify());
}

void TPopupMenuKroDBRichEdit::SearchNext() {
    TRichEditSearch* search = ExistingRichEditSearch();
    if (TDBRichEdit* edit = RichEdit(); edit && search)
        search->SearchNext(edit);
}

void TPopupMenuKroDBRichEdit::PrintText() {
    TDBRichEdit* edit = RichEdit();
    if (!edit)
        return;
    const TField* name = DataSet()->FindField(QStringLiteral("Name"));
    edit->Print(name ? name->AsString() : QString());
}

TPopupMenuKroDBRichEdit* PopupMenuKroDBRichEdit() {
    static QPointer<TPopupMenuKroDBRichEdit> menu;
    if (!menu)
        menu = new TPopupMenuKroDBRichEdit(Application());
    return menu;
}

// ---- TRichTextSearch ------------------------------------------------------------------

TRichTextSearch::TRichTextSearch(TDBRichEdit* Edit, const TRichSearchSettings& Settings)
    : FEdit(Edit), FSettings(Settings) {}

TDataSet* TRichTextSearch::DataSet() const {
    return DataSetOf(FEdit);
}

void TRichTextSearch::Select(int Position, int Length) const {
    FEdit->SetSelStart(Position);
    FEdit->SetSelLength(Length);
}

void TRichTextSearch::Run(bool Continue) {
    switch (FSettings.Operation) {
    case roFind:
        FindInRecords(true, Continue, Continue || FSettings.FromCursor);
        break;
    case roReplace:
        ReplaceOnce(true, Continue, Continue || FSettings.FromCursor, FSettings.Prompt);
        break;
    case roReplaceAll:
        ReplaceAll(Continue);
        break;
    }
}

int TRichTextSearch::FindInRecord(bool Continue, bool FromCursor) const {
    int start = 0;
    int length = -1;
    if (FSettings.Scope == rsSelected) {
        start = FEdit->SelStart();
        length = FEdit->SelLength();
    } else if (FromCursor) {
        start = Continue ? FEdit->SelStart() + FEdit->SelLength() : FEdit->SelStart();
    }
    const int found = FEdit->FindText(FSettings.FindText, start, length, FSettings.Options);
    if (found >= 0) {
        if (FEdit->CanFocus())
            FEdit->SetFocus();
        Select(found, int(FSettings.FindText.size()));
    }
    return found;
}

int TRichTextSearch::FindInRecords(bool Report, bool Continue, bool FromCursor) const {
    TDataSet* dataSet = DataSet();
    if (!dataSet || !dataSet->Active())
        return -1;
    const int selStart = FEdit->SelStart();
    const int selLength = FEdit->SelLength();
    TBookmark start;
    bool remembered = false;
    const auto remember = [&] {
        if (!remembered)
            start = dataSet->GetBookmark();
        remembered = true;
    };
    // Each record the search moves to is searched from its beginning.
    const auto moved = [&] { Select(0, 0); };
    const auto release = qScopeGuard([&] {
        if (remembered)
            dataSet->FreeBookmark(start);
    });

    if (FSettings.Scope == rsGlobal && !Continue && !dataSet->Bof()) {
        remember();
        dataSet->First();
        moved();
    }
    int found = FindInRecord(Continue, FromCursor);
    if (found < 0 && (FSettings.Scope == rsGlobal || FSettings.Scope == rsFromCurrent)) {
        remember();
        while (found < 0 && NextCandidate()) {
            moved();
            found = FindInRecord(Continue, FromCursor);
        }
    }
    if (found >= 0)
        return found;
    if (remembered) {
        GotoBookmarkCentered(dataSet, start);
        Select(selStart, selLength);
    }
    if (Report)
        ShowKroMessage(QStringLiteral("Text '%1' not found").arg(FSettings.FindText));
    return -1;
}

bool TRichTextSearch::MayHold(const TField* Field) const {
    return RtfPlainText(Field->AsString()).contains(FSettings.FindText, Qt::CaseInsensitive);
}

bool TRichTextSearch::NextCandidate() const {
    // The records passed over are read from the field, without showing them: only a
    // record whose text holds the find text, ignoring case and words, reaches the control.
    TDataSet* dataSet = DataSet();
    dataSet->CheckBrowseMode();
    dataSet->DisableControls();
    const auto enable = qScopeGuard([dataSet] { dataSet->EnableControls(); });
    const TField* field = FEdit->Field();
    do
        dataSet->Next();
    while (!dataSet->Eof() && field && !MayHold(field));
    return !dataSet->Eof();
}

void TRichTextSearch::StartEditing(int Position) const {
    TDataSet* dataSet = DataSet();
    if (dataSet->IsEditing())
        return;
    if (auto* kro = qobject_cast<TKroDBRichEdit*>(FEdit))
        kro->StartEditKeepText();
    else
        dataSet->Edit();
    Select(Position, int(FSettings.FindText.size()));
}

int TRichTextSearch::ReplaceOnce(bool Report, bool Continue, bool FromCursor, bool Prompt) const {
    const int found = FindInRecords(Report, Continue, FromCursor);
    if (found < 0)
        return mrCancel;
    StartEditing(found);
    if (!DataSet()->IsEditing())
        return mrCancel;
    const int answer = Prompt ? DialReplace()->Ask(FEdit->SelText()) : mrYes;
    if (answer == mrYes || answer == mrAll)
        FEdit->SetSelText(FSettings.ReplaceText);
    return answer;
}

void TRichTextSearch::ReplaceAll(bool Continue) const {
    bool prompt = FSettings.Prompt;
    int answer = ReplaceOnce(true, Continue, Continue || FSettings.FromCursor, prompt);
    while (answer != mrCancel) {
        if (answer == mrAll)
            prompt = false;
        answer = ReplaceOnce(false, true, true, prompt);
    }
}

// ---- TRichEditSearch ------------------------------------------------------------------

TRichEditSearch::TRichEditSearch(TComponent* AOwner) : TForm(AOwner) {
    Q_INIT_RESOURCE(Rich);
    InitForm();
    FindControls();
    SetCaptions();
}

void TRichEditSearch::FindControls() {
    LabelFind = FormComponent<TLabel>(this, "LabelFind");
    ComboBoxFind = FormComponent<TComboBox>(this, "ComboBoxFind");
    LabelReplace = FormComponent<TLabel>(this, "LabelReplace");
    ComboBoxReplace = FormComponent<TComboBox>(this, "ComboBoxReplace");
    GroupBoxOptions = FormComponent<TGroupBox>(this, "GroupBoxOptions");
    CheckBoxCase = FormComponent<TCheckBox>(this, "CheckBoxCase");
    CheckBoxWholeWords = FormComponent<TCheckBox>(this, "CheckBoxWholeWords");
    CheckBoxPrompt = FormComponent<TCheckBox>(this, "CheckBoxPrompt");
    GroupBoxScope = FormComponent<TGroupBox>(this, "GroupBoxScope");
    RadioButtonGlobal = FormComponent<TRadioButton>(this, "RadioButtonGlobal");
    RadioButtonFromCurrent = FormComponent<TRadioButton>(this, "RadioButtonFromCurrent");
    RadioButtonOnlyCurrent = FormComponent<TRadioButton>(this, "RadioButtonOnlyCurrent");
    RadioButtonSelected = FormComponent<TRadioButton>(this, "RadioButtonSelected");
    GroupBoxOrigin = FormComponent<TGroupBox>(this, "GroupBoxOrigin");
    RadioButtonFromCursor = FormComponent<TRadioButton>(this, "RadioButtonFromCursor");
    RadioButtonEntireScope = FormComponent<TRadioButton>(this, "RadioButtonEntireScope");
    ButtonFind = FormComponent<TButton>(this, "ButtonFind");
    ButtonReplace = FormComponent<TButton>(this, "ButtonReplace");
    ButtonReplaceAll = FormComponent<TButton>(this, "ButtonReplaceAll");
    ButtonCancel = FormComponent<TButton>(this, "ButtonCancel");
}

void TRichEditSearch::SetCaptions() {
    LabelFind->SetCaption(QStringLiteral("Text to find"));
    LabelReplace->SetCaption(QStringLiteral("Replace with"));
    GroupBoxOptions->SetCaption(QStringLiteral("Options"));
    CheckBoxCase->SetCaption(QStringLiteral("Case sensitive"));
    CheckBoxWholeWords->SetCaption(QStringLiteral("Whole words only"));
    CheckBoxPrompt->SetCaption(QStringLiteral("Prompt on replace"));
    GroupBoxScope->SetCaption(QStringLiteral("Scope"));
    RadioButtonGlobal->SetCaption(QStringLiteral("Global"));
    RadioButtonSelected->SetCaption(QStringLiteral("Selected text"));
    GroupBoxOrigin->SetCaption(QStringLiteral("Origin"));
    RadioButtonFromCursor->SetCaption(QStringLiteral("From cursor"));
    RadioButtonEntireScope->SetCaption(QStringLiteral("Entire scope"));
    ButtonFind->SetCaption(QStringLiteral("Find"));
    ButtonReplace->SetCaption(QStringLiteral("Replace"));
    ButtonReplaceAll->SetCaption(QStringLiteral("Replace All"));
    ButtonCancel->SetCaption(QStringLiteral("Cancel"));
}

void TRichEditSearch::ShowReplaceControls(bool Replace) {
    SetCaption(Replace ? QStringLiteral("Search \\ Replace") : QStringLiteral("Search"));
    for (TControl* control : std::initializer_list<TControl*>{
             LabelReplace, ComboBoxReplace, CheckBoxPrompt, ButtonReplace, ButtonReplaceAll})
        control->SetVisible(Replace);
    const TButton* last = Replace ? ButtonReplaceAll : ButtonFind;
    ButtonCancel->SetLeft(last->Left() + last->Width() + 8);
}

void TRichEditSearch::PrepareScopes(TDBRichEdit* Edit) {
    const bool global = SearchesGlobally(Edit);
    RadioButtonGlobal->SetEnabled(global);
    RadioButtonFromCurrent->SetEnabled(global);
    RadioButtonSelected->SetEnabled(Edit->SelLength() > 0);
    if ((RadioButtonSelected->Checked() && !RadioButtonSelected->Enabled()) ||
        (!global && (RadioButtonGlobal->Checked() || RadioButtonFromCurrent->Checked())))
        RadioButtonOnlyCurrent->SetChecked(true);
    const QString name = RecordNameOf(Edit);
    RadioButtonFromCurrent->SetCaption(QStringLiteral("From ") + name);
    RadioButtonOnlyCurrent->SetCaption(QStringLiteral("Only for ") + name);
}

void TRichEditSearch::Execute(TDBRichEdit* Edit, bool Replace) {
    ShowReplaceControls(Replace);
    PrepareScopes(Edit);
    UpdateReplaceAll();
    SetActiveControl(ComboBoxFind);
    const int result = ShowModal();
    if (ComboBoxFind->Text().isEmpty() || (result != mrOk && result != mrYes && result != mrAll))
        return;
    TRichTextSearch(Edit, FSettings).Run(false);
}

void TRichEditSearch::SearchNext(TDBRichEdit* Edit) {
    if (!FSettings.FindText.isEmpty())
        TRichTextSearch(Edit, FSettings).Run(true);
}

void TRichEditSearch::FormActivate(TObject*) {
    UpdateReplaceAll();
}

void TRichEditSearch::ScopeClick(TObject*) {
    UpdateReplaceAll();
}

void TRichEditSearch::UpdateReplaceAll() {
    ButtonReplaceAll->SetEnabled(!RadioButtonSelected->Checked());
}

void TRichEditSearch::StoreSearch() {
    FSettings.Scope = RadioButtonGlobal->Checked()        ? rsGlobal
                      : RadioButtonFromCurrent->Checked() ? rsFromCurrent
                      : RadioButtonSelected->Checked()    ? rsSelected
                                                          : rsOnlyCurrent;
    FSettings.Options = {};
    if (CheckBoxWholeWords->Checked())
        FSettings.Options.Include(stWholeWord);
    if (CheckBoxCase->Checked())
        FSettings.Options.Include(stMatchCase);
    FSettings.FromCursor = RadioButtonFromCursor->Checked();
    FSettings.FindText = ComboBoxFind->Text();
    if (!FSettings.FindText.isEmpty())
        RememberText(ComboBoxFind, FSettings.FindText);
}

bool TRichEditSearch::StoreReplace() {
    const QString replacement = ComboBoxReplace->Text();
    if (replacement.isEmpty())
        return false;
    StoreSearch();
    FSettings.ReplaceText = replacement;
    RememberText(ComboBoxReplace, replacement);
    FSettings.Prompt = CheckBoxPrompt->Checked();
    return true;
}

void TRichEditSearch::ButtonFindClick(TObject*) {
    StoreSearch();
    FSettings.Operation = roFind;
}

void TRichEditSearch::ButtonReplaceClick(TObject*) {
    if (StoreReplace())
        FSettings.Operation = roReplace;
    else
        SetModalResult(mrNone);
}

void TRichEditSearch::ButtonReplaceAllClick(TObject*) {
    if (StoreReplace())
        FSettings.Operation = roReplaceAll;
    else
        SetModalResult(mrNone);
}

namespace {

QPointer<TRichEditSearch>& SearchDialog() {
    static QPointer<TRichEditSearch> dialog;
    return dialog;
}

} // namespace

TRichEditSearch* RichEditSearch() {
    if (!SearchDialog())
        SearchDialog() = new TRichEditSearch(Application());
    return SearchDialog();
}

TRichEditSearch* ExistingRichEditSearch() {
    return SearchDialog();
}
