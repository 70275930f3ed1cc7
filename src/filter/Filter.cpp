#include "Filter.h"

#include "KroFilt.h"

#include <controls/KroContr.h>
#include <dataset/KroDB.h>
#include <db/DataSource.h>
#include <db/Fields.h>
#include <forms/DiAdv.h>
#include <forms/ToolGlyphs.h>
#include <rtl/Font.h>
#include <rtl/TypeInfo.h>
#include <ui/Buttons.h>
#include <ui/Dialogs.h>
#include <ui/ExtCtrls.h>
#include <ui/StdCtrls.h>

namespace {

constexpr int RowTop = 3;
constexpr int RowPitch = 23;
constexpr int LineHeight = 21;   // a dataset's line of link expression
constexpr int LinesBottom = 323; // the dataset lines end here
constexpr int ForAllWidth = 90;
constexpr int OperationWidth = 44; // ">=" beside the arrow of a drop-down list
constexpr int EditorInset = 14;    // editors end this far inside the scroll box
constexpr int MinEditorWidth = 10;
constexpr TColor Silver = TColor(0xC0C0C0);
constexpr TColor Navy = TColor(0x800000);
constexpr TColor Grey = TColor(0x808080);

const QString LikeOperation = FilterLikeOperation;

// Restores a flag when the scope ends.
class TFlagScope {
public:
    explicit TFlagScope(bool& Flag) : FFlag(Flag), FOld(Flag) { FFlag = true; }
    ~TFlagScope() { FFlag = FOld; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& FFlag;
    bool FOld;
};

// Binary fields (pictures, blobs) have no value to type and compare.
bool TakesPart(const TField* Field) {
    const bool binary =
        qobject_cast<const TBlobField*>(Field) && !qobject_cast<const TMemoField*>(Field);
    return Field->Tag() % 10 != 8 && Field->FieldKind() != fkCalculated && !binary;
}

bool OnlyEqual(const TField* Field) {
    const QString name = QStringLiteral("OnlyEqualInFilter");
    return PropIsType(Field, name, tkEnumeration) && GetOrdProp(Field, name) != 0;
}

bool IsTextData(const TField* Field) {
    return Field->FieldKind() == fkData &&
           (qobject_cast<const TStringField*>(Field) || qobject_cast<const TMemoField*>(Field));
}

TComboBox* NewCombo(TFormFilter* Form, TWinControl* Parent, int Left, int Top, int Width) {
    auto* combo = new TComboBox(Form);
    combo->SetStyle(csDropDownList);
    combo->SetBounds(Left, Top, Width, combo->Height());
    combo->SetParent(Parent);
    combo->SetOnKeyDown(TKeyEvent(&ComboKeyDown));
    return combo;
}

} // namespace

// ---- TViewItem ----------------------------------------------------------------------------

TViewItem::~TViewItem() {
    DropEditor();
    delete OperationBox;
    delete FieldBox;
    delete DataSetBox;
    delete Number;
}

void TViewItem::SetIndex(int Index) {
    for (TControl* control : Controls())
        control->SetTag(Index);
    Number->SetTag(Index);
    Number->SetCaption(QString::number(Index + 1));
}

QList<TControl*> TViewItem::Controls() const {
    QList<TControl*> controls;
    for (TControl* control : {static_cast<TControl*>(DataSetBox), static_cast<TControl*>(FieldBox),
                              static_cast<TControl*>(OperationBox), Editor})
        if (control)
            controls << control;
    return controls;
}

void TViewItem::DropEditor() {
    delete Editor;
    Editor = nullptr;
    ListSource.reset();
    Error.clear();
}

// ---- TFormFilter --------------------------------------------------------------------------

TFormFilter::TFormFilter(TComponent* AOwner) : TForm(AOwner) {
    Q_INIT_RESOURCE(Filter);
    InitForm();
    FindControls();
    SetCaptions();
    SetToolGlyphs({{SBPred, tgPrior},
                   {SBNext, tgNext},
                   {SBAdd, tgInsert},
                   {SBDelete, tgDelete},
                   {SBRestore, tgRestore}});
    for (TWinControl* control :
         {static_cast<TWinControl*>(EditFilterName), static_cast<TWinControl*>(CheckBoxAutoTotal)})
        control->SetOnKeyDown(TKeyEvent(&ComboKeyDown));
}

TFormFilter::~TFormFilter() {
    FRows.clear();
}

void TFormFilter::FindControls() {
    PanelHeader = FormComponent<TPanel>(this, "PanelHeader");
    SBPred = FormComponent<TSpeedButton>(this, "SBPred");
    SBNext = FormComponent<TSpeedButton>(this, "SBNext");
    SBAdd = FormComponent<TSpeedButton>(this, "SBAdd");
    SBDelete = FormComponent<TSpeedButton>(this, "SBDelete");
    SBRestore = FormComponent<TSpeedButton>(this, "SBRestore");
    EditFilterName = FormComponent<TEdit>(this, "EditFilterName");
    LNumberFilter = FormComponent<TLabel>(this, "LNumberFilter");
    SBAddCond = FormComponent<TSpeedButton>(this, "SBAddCond");
    SBDeleteCond = FormComponent<TSpeedButton>(this, "SBDeleteCond");
    CheckBoxAutoTotal = FormComponent<TCheckBox>(this, "CheckBoxAutoTotal");
    Scroll = FormComponent<TScrollBox>(this, "Scroll");
    BitBtnSet = FormComponent<TBitBtn>(this, "BitBtnSet");
    BitBtnNone = FormComponent<TBitBtn>(this, "BitBtnNone");
    BitBtnCancel = FormComponent<TBitBtn>(this, "BitBtnCancel");
    LabelTotalHint = FormComponent<TLabel>(this, "LabelTotalHint");
    LabelSubTotalHint = FormComponent<TLabel>(this, "LabelSubTotalHint");
}

void TFormFilter::SetCaptions() {
    SetCaption(FilterTextCaption);
    SBPred->SetHint(QStringLiteral("Previous filter"));
    SBNext->SetHint(QStringLiteral("Next filter"));
    SBAdd->SetHint(QStringLiteral("Insert filter"));
    SBDelete->SetHint(QStringLiteral("Delete filter"));
    SBRestore->SetHint(QStringLiteral("Cancel edit"));
    EditFilterName->SetHint(QStringLiteral("Filter name"));
    SBAddCond->SetCaption(QStringLiteral("Insert"));
    SBAddCond->SetHint(QStringLiteral("Insert condition (Ctrl+Gray_Plus)"));
    SBDeleteCond->SetCaption(QStringLiteral("Delete"));
    SBDeleteCond->SetHint(QStringLiteral("Delete condition (Ctrl+Gray_Minus)"));
    CheckBoxAutoTotal->SetCaption(QStringLiteral("\"And\" for all conditions"));
    BitBtnSet->SetCaption(QStringLiteral("Set filter"));
    BitBtnSet->SetHint(QStringLiteral("Set current filter"));
    BitBtnNone->SetCaption(QStringLiteral("Switch off"));
    BitBtnNone->SetHint(QStringLiteral("Switch off currently used filter"));
    BitBtnCancel->SetCaption(QStringLiteral("Cancel"));
    BitBtnCancel->SetHint(QStringLiteral("Cancel edit"));
    LabelTotalHint->SetCaption(
        QStringLiteral(" Description of links between conditions, e.g.,\n #1 and (#2 or #4), "
                       "where #1 is the first condition"));
}

void TFormFilter::SetFilter(TKroFilter* Filter, int WidthDataSetName, int WidthFieldName) {
    FFilter = Filter;
    FWidthDataSetName = WidthDataSetName;
    FWidthFieldName = WidthFieldName;
    BuildDataSetLines();
    LoadFilter();
}

// ---- The dataset lines --------------------------------------------------------------------

void TFormFilter::ClearDataSetLines() {
    qDeleteAll(FLinkEdits);
    qDeleteAll(FDataSetLabels);
    qDeleteAll(FForAllBoxes);
    FLinkEdits.clear();
    FDataSetLabels.clear();
    FForAllBoxes.clear();
}

void TFormFilter::BuildDataSetLines() {
    ClearDataSetLines();
    const int details = FFilter->SubDataSets()->Count();
    int top = LinesBottom - (details + 1) * LineHeight;
    Scroll->SetHeight(top - PanelHeader->Height() - 2);
    for (int i = 0; i <= details; ++i, top += LineHeight) {
        int left = 3;
        if (details > 0) {
            auto* label = new TLabel(this);
            label->SetAutoSize(false);
            label->SetCaption(FFilter->DataSetCaption(i));
            label->SetBounds(left, top + 3, FWidthDataSetName, label->Height());
            label->SetParent(this);
            FDataSetLabels << label;
            left = FWidthDataSetName + 3;
        }
        if (i > 0) {
            auto* box = new TCheckBox(this);
            box->SetCaption(FilterTextForAll);
            box->SetHint(QStringLiteral("All records must satisfy current conditions"));
            box->SetBounds(left, top + 2, ForAllWidth, box->Height());
            box->SetParent(this);
            box->SetOnClick(TNotifyEvent(this, &TFormFilter::ChangeFilter));
            box->SetOnKeyDown(TKeyEvent(&ComboKeyDown));
            box->SetTabOrder(BitBtnSet->TabOrder());
            FForAllBoxes << box;
            left += ForAllWidth;
        }
        auto* edit = new TEdit(this);
        edit->SetBounds(left, top, ClientWidth() - 8 - left, edit->Height());
        edit->SetParent(this);
        edit->SetOnExit(TNotifyEvent(this, &TFormFilter::ChangeFilter));
        edit->SetOnKeyDown(TKeyEvent(&ComboKeyDown));
        edit->SetTabOrder(BitBtnSet->TabOrder());
        FLinkEdits << edit;
    }
    LabelSubTotalHint->SetCaption(details > 0 ? FilterTextGroups : QString());
    FFilter->OnVisualizeFilters()(this);
}

void TFormFilter::EnableLinks(bool Enabled) {
    for (TEdit* edit : FLinkEdits)
        edit->SetEnabled(Enabled);
    for (TLabel* label : FDataSetLabels)
        label->SetEnabled(Enabled);
    for (TCheckBox* box : FForAllBoxes)
        box->SetEnabled(Enabled);
    for (TLabel* hint : {LabelTotalHint, LabelSubTotalHint})
        hint->Font()->SetColor(Enabled ? clBlack : Grey);
}

// ---- Loading ------------------------------------------------------------------------------

void TFormFilter::ShowNoFilter() {
    for (TControl* control :
         {static_cast<TControl*>(SBPred), static_cast<TControl*>(SBNext),
          static_cast<TControl*>(SBDelete), static_cast<TControl*>(EditFilterName),
          static_cast<TControl*>(CheckBoxAutoTotal)})
        control->SetEnabled(false);
    EditFilterName->Clear();
    for (TEdit* edit : FLinkEdits)
        edit->Clear();
    for (TCheckBox* box : FForAllBoxes)
        box->SetChecked(false);
    EnableLinks(false);
    LNumberFilter->SetCaption(QString());
}

void TFormFilter::LoadFilter() {
    TFlagScope loading(FLoading);
    SBAdd->SetEnabled(!FFilter->OneFilter());
    const TFilterItem* filter = FFilter->Current();
    if (!filter) {
        ShowNoFilter();
    } else {
        const int index = FFilter->CurrentFilter();
        const int count = FFilter->FilterCount();
        CheckBoxAutoTotal->SetEnabled(true);
        CheckBoxAutoTotal->SetChecked(filter->AndForAll);
        SBDelete->SetEnabled(!FFilter->OneFilter());
        SBPred->SetEnabled(index >= 1);
        SBNext->SetEnabled(index < count - 1);
        EditFilterName->SetEnabled(true);
        EditFilterName->SetText(filter->Name);
        for (int i = 0; i < FLinkEdits.size(); ++i)
            FLinkEdits[i]->SetText(FFilter->LinkText(i));
        for (int i = 0; i < FForAllBoxes.size(); ++i)
            FForAllBoxes[i]->SetChecked(FFilter->ForAll(i + 1));
        EnableLinks(!filter->AndForAll);
        LNumberFilter->SetCaption(
            FFilter->OneFilter() ? QString() : QStringLiteral("%1/%2").arg(index + 1).arg(count));
    }
    const int conditions = filter ? filter->Conditions.Count() : 0;
    SBAddCond->SetEnabled(filter != nullptr);
    SBDeleteCond->SetEnabled(conditions > 0);
    while (FRows.size() > conditions)
        FRows.removeLast();
    for (int i = 0; i < conditions; ++i) {
        if (i >= FRows.size())
            AddRow(i);
        FillRow(i);
    }
    if (!FRows.isEmpty() && FRows.first()->FieldBox->CanFocus())
        FocusControl(FRows.first()->FieldBox);
    else if (FRows.isEmpty() && EditFilterName->CanFocus()) {
        FocusControl(EditFilterName); // typing names the filter and presses no button
        EditFilterName->SelectAll();
    }
    FFilter->OnSetToEditWindow()(this);
}

// ---- Rows ---------------------------------------------------------------------------------

void TFormFilter::AddRow(int Index) {
    while (FFilter->Current()->Conditions.Count() <= Index)
        FFilter->AddCondition();
    auto row = std::make_shared<TViewItem>();
    row->Number = new TLabel(this);
    row->Number->SetParent(Scroll);
    int left = 17;
    if (FFilter->HasSubDataSets()) {
        row->DataSetBox = NewCombo(this, Scroll, left, 0, FWidthDataSetName);
        row->DataSetBox->SetColor(Silver);
        for (int i = 0; i <= FFilter->SubDataSets()->Count(); ++i)
            row->DataSetBox->Items()->Add(FFilter->DataSetCaption(i));
        row->DataSetBox->SetOnChange(TNotifyEvent(this, &TFormFilter::DataSetBoxChange));
        left += FWidthDataSetName;
    }
    row->FieldBox = NewCombo(this, Scroll, left, 0, FWidthFieldName);
    row->FieldBox->SetOnChange(TNotifyEvent(this, &TFormFilter::FieldBoxChange));
    row->OperationBox = NewCombo(this, Scroll, left + FWidthFieldName, 0, OperationWidth);
    row->OperationBox->SetColor(Silver);
    row->OperationBox->Font()->SetColor(Navy);
    row->OperationBox->Font()->SetStyle({fsBold});
    row->OperationBox->SetOnChange(TNotifyEvent(this, &TFormFilter::OperationBoxChange));
    // Operations are chosen, not typed.
    row->OperationBox->SetOnKeyPress(TKeyPressEvent([](TObject*, QChar& Key) {
        if (Key != QChar(13) && Key != QChar(27))
            Key = QChar();
    }));
    FRows.insert(Index, row);
    PlaceRow(*row, Index);
    if (row->FieldBox->CanFocus())
        FocusControl(row->FieldBox);
}

void TFormFilter::PlaceRow(TViewItem& Row, int Index) {
    const int top = RowTop + Index * RowPitch;
    Row.SetIndex(Index);
    Row.Number->SetBounds(2, top + 4, 15, Row.Number->Height());
    for (TControl* control : Row.Controls())
        control->SetTop(top);
}

void TFormFilter::FillRow(int Index) {
    TViewItem& row = *FRows[Index];
    TConditionItem* condition = FFilter->Current()->Conditions[Index];
    int dataSet = FFilter->ConditionDataSet(Index);
    if (dataSet < 0) {
        ShowKroMessage(QStringLiteral("Component %1\nDetail table %2 is absent in SubDataSets")
                           .arg(FFilter->Name(), condition->DataSetName));
        *condition = TConditionItem();
        dataSet = 0;
    }
    TFlagScope loading(FLoading);
    if (row.DataSetBox)
        row.DataSetBox->SetItemIndex(dataSet);
    FillFields(row, dataSet);
    TField* field = ConditionField(Index);
    row.FieldBox->SetItemIndex(int(row.Fields.indexOf(field)));
    FillOperations(row, field);
    row.OperationBox->SetItemIndex(row.OperationBox->Items()->IndexOf(condition->Operation));
    if (field)
        MakeEditor(Index, field);
    else
        row.DropEditor();
}

void TFormFilter::FillFields(TViewItem& Row, int DataSetIndex) {
    Row.Fields.clear();
    Row.FieldBox->Items()->Clear();
    TDataSet* dataSet = FFilter->DataSetOf(DataSetIndex);
    if (!dataSet)
        return;
    for (int i = 0; i < dataSet->Fields()->Count(); ++i) {
        TField* field = dataSet->Fields()->Fields(i);
        if (!TakesPart(field))
            continue;
        Row.Fields << field;
        Row.FieldBox->Items()->Add(field->DisplayName());
    }
}

void TFormFilter::FillOperations(TViewItem& Row, TField* Field) {
    TStrings* items = Row.OperationBox->Items();
    items->Clear();
    items->Add(QStringLiteral("="));
    items->Add(QStringLiteral("<>"));
    if (Field && !OnlyEqual(Field))
        for (const char* operation : {"<", ">", "<=", ">="})
            items->Add(QString::fromLatin1(operation));
    if (Field && FFilter->FilterSetAs() != fsFilter && IsTextData(Field))
        items->Add(LikeOperation);
}

TField* TFormFilter::ConditionField(int Index) const {
    const TConditionItem* condition = FFilter->Current()->Conditions[Index];
    const TViewItem& row = *FRows[Index];
    for (const QString& name : {condition->LookupFieldName, condition->FieldName})
        for (TField* field : row.Fields)
            if (!name.isEmpty() && field->FieldName().compare(name, Qt::CaseInsensitive) == 0)
                return field;
    return nullptr;
}

void TFormFilter::MakeEditor(int Index, TField* Field) {
    TViewItem& row = *FRows[Index];
    row.DropEditor();
    if (Field->FieldKind() == fkLookup) {
        row.ListSource = std::make_unique<TDataSource>();
        row.ListSource->SetDataSet(Field->LookupDataSet());
    }
    const int charWidth = GetFontMetrics(Font(), QString()).width();
    TControl* editor = CreateValueEditor(this, Field, charWidth, row.ListSource.get());
    const int left = row.OperationBox->Left() + row.OperationBox->Width();
    const int width = std::max(
        MinEditorWidth, std::min(editor->Width(), Scroll->ClientWidth() - EditorInset - left));
    editor->SetBounds(left, row.OperationBox->Top(), width, editor->Height());
    editor->SetParent(Scroll);
    editor->SetTag(Index);
    row.Editor = editor;
    {
        TFlagScope loading(FLoading);
        SetEditorValue(editor, FFilter->Current()->Conditions[Index]->Value, Field);
    }
    if (IsPublishedProp(editor, QStringLiteral("OnChange")))
        SetMethodProp(
            editor, QStringLiteral("OnChange"),
            MethodValue(QVariant::fromValue(TNotifyEvent(this, &TFormFilter::EditValueChange))));
    FFilter->OnCreateValue()(FFilter, Field, editor);
}

void TFormFilter::DeleteRow(int Index) {
    FRows.removeAt(Index);
    for (int i = Index; i < FRows.size(); ++i)
        PlaceRow(*FRows[i], i);
}

int TFormFilter::RowOf(const TControl* Control) const {
    if (!Control)
        return -1;
    const int index = Control->Tag();
    if (index < 0 || index >= FRows.size() || !FRows[index]->Controls().contains(Control))
        return -1;
    return index;
}

// ---- Changes ------------------------------------------------------------------------------

void TFormFilter::DataSetBoxChange(TObject* Sender) {
    const int index = RowOf(qobject_cast<TControl*>(Sender));
    if (FLoading || index < 0)
        return;
    TViewItem& row = *FRows[index];
    const int dataSet = row.DataSetBox->ItemIndex();
    TConditionItem* condition = FFilter->Current()->Conditions[index];
    *condition = TConditionItem();
    condition->DataSetName = dataSet > 0 ? FFilter->DataSetTableName(dataSet) : QString();
    FillFields(row, dataSet);
    FillOperations(row, nullptr);
    row.DropEditor();
}

void TFormFilter::FieldBoxChange(TObject* Sender) {
    const int index = RowOf(qobject_cast<TControl*>(Sender));
    if (FLoading || index < 0)
        return;
    TViewItem& row = *FRows[index];
    const int chosen = row.FieldBox->ItemIndex();
    if (chosen < 0 || chosen >= row.Fields.size()) {
        FillRow(index);
        return;
    }
    TField* field = row.Fields[chosen];
    TConditionItem* condition = FFilter->Current()->Conditions[index];
    const bool lookup = field->FieldKind() == fkLookup;
    condition->FieldName = lookup ? field->KeyFields() : field->FieldName();
    condition->LookupFieldName = lookup ? field->FieldName() : QString();
    condition->Operation = QStringLiteral("=");
    condition->Value = Null();
    TFlagScope loading(FLoading);
    FillOperations(row, field);
    row.OperationBox->SetItemIndex(0);
    MakeEditor(index, field);
}

void TFormFilter::OperationBoxChange(TObject* Sender) {
    const int index = RowOf(qobject_cast<TControl*>(Sender));
    if (FLoading || index < 0)
        return;
    FFilter->Current()->Conditions[index]->Operation = FRows[index]->OperationBox->Text();
}

void TFormFilter::EditValueChange(TObject* Sender) {
    const int index = RowOf(qobject_cast<TControl*>(Sender));
    if (FLoading || index < 0)
        return;
    TViewItem& row = *FRows[index];
    TField* field = ConditionField(index);
    TConditionItem* condition = FFilter->Current()->Conditions[index];
    Variant value = GetEditorValue(row.Editor, field);
    row.Error.clear();
    if (!VarIsNull(value) && field->FieldKind() == fkData && !IsTextData(field)) {
        try {
            value = field->CheckedValue(value);
        } catch (const Exception& error) {
            row.Error = error.Message(); // the text stays in the editor and the condition
        }
    }
    condition->Value = value;
    row.Number->Font()->SetColor(row.Error.isEmpty() ? clWindowText : clRed);
    row.Editor->SetHint(row.Error);
}

void TFormFilter::ChangeFilter(TObject*) {
    if (FLoading || !FFilter || !FFilter->Current())
        return;
    QStringList links;
    for (const TEdit* edit : FLinkEdits)
        links << edit->Text();
    QString flags;
    for (const TCheckBox* box : FForAllBoxes)
        flags += box->Checked() ? QLatin1Char('0') : QLatin1Char('1');
    FFilter->SetFromDialog(EditFilterName->Text(), CheckBoxAutoTotal->Checked(), links, flags);
    FFilter->OnGetFromEditWindow()(this);
}

void TFormFilter::LeaveEdits() {
    ChangeFilter(this);
}

// ---- Buttons and keys ---------------------------------------------------------------------

void TFormFilter::FormKeyDown(TObject*, quint16& Key, TShiftState Shift) {
    if (Shift != TShiftState{ssCtrl} || (Key != VK_ADD && Key != VK_SUBTRACT))
        return;
    (Key == VK_ADD ? SBAddCond : SBDeleteCond)->Click();
    Key = 0;
}

void TFormFilter::FormCloseQuery(TObject*, bool& CanClose) {
    if (ModalResult() != mrOk && ModalResult() != 7)
        return;
    for (int i = 0; i < FRows.size(); ++i) {
        if (FRows[i]->Error.isEmpty())
            continue;
        CanClose = false;
        ShowKroMessage(QStringLiteral("Condition #%1: %2").arg(i + 1).arg(FRows[i]->Error));
        if (auto* editor = qobject_cast<TWinControl*>(FRows[i]->Editor);
            editor && editor->CanFocus())
            FocusControl(editor);
        return;
    }
}

void TFormFilter::SBPredClick(TObject*) {
    LeaveEdits();
    FFilter->PriorFilter();
    LoadFilter();
}

void TFormFilter::SBNextClick(TObject*) {
    LeaveEdits();
    FFilter->NextFilter();
    LoadFilter();
}

void TFormFilter::SBAddClick(TObject*) {
    LeaveEdits();
    FFilter->AddFilter();
    LoadFilter();
}

void TFormFilter::SBDeleteClick(TObject*) {
    bool confirmed = false;
    {
        TKroMessageScope scope;
        confirmed = MessageDlg(FilterTextDeleteFilter, mtConfirmation, {mbYes, mbNo}) == mrYes;
    }
    if (!confirmed)
        return;
    FFilter->DeleteFilter();
    LoadFilter();
}

void TFormFilter::SBRestoreClick(TObject*) {
    FFilter->LoadFilters();
    LoadFilter();
}

void TFormFilter::SBAddCondClick(TObject*) {
    if (!FFilter->Current())
        return;
    const int index = int(FRows.size());
    AddRow(index);
    FillRow(index);
    SBDeleteCond->SetEnabled(true);
}

void TFormFilter::SBDeleteCondClick(TObject*) {
    const int index = RowOf(ActiveControl());
    if (index < 0)
        return;
    SetActiveControl(nullptr);
    FFilter->DeleteCondition(index);
    DeleteRow(index);
    SBDeleteCond->SetEnabled(!FRows.isEmpty());
    if (FRows.isEmpty())
        return;
    TComboBox* next = FRows[std::min(index, int(FRows.size()) - 1)]->FieldBox;
    if (next->CanFocus())
        FocusControl(next);
}

void TFormFilter::CheckBoxAutoTotalClick(TObject*) {
    EnableLinks(CheckBoxAutoTotal->Enabled() && !CheckBoxAutoTotal->Checked());
    ChangeFilter(this);
}

int ExecuteFilterDialog(TKroFilter* Filter, int WidthDataSetName, int WidthFieldName) {
    TFormFilter form;
    form.SetFilter(Filter, WidthDataSetName, WidthFieldName);
    TKroMessageScope scope;
    return form.ShowModal();
}
