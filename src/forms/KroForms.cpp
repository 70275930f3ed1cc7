#include "KroForms.h"

#include <QFontMetrics>
#include <algorithm>
#include <db/DBDataSet.h>
#include <db/DataSource.h>
#include <db/Field.h>
#include <db/Fields.h>
#include <db/Table.h>
#include <rtl/Exceptions.h>
#include <rtl/Font.h>
#include <rtl/Reference.h>
#include <rtl/TypeInfo.h>
#include <ui/Application.h>
#include <ui/DBCtrls.h>
#include <ui/Screen.h>

bool FormDBReturn = false;
TDefaultEditFormProc DefaultEditFormHook = nullptr;

// Tells its form when the dataset behind the source becomes active or inactive.
class TFormDBDataLink : public TDataLink {
public:
    explicit TFormDBDataLink(TFormDB* Form) : FForm(Form) {}

protected:
    void ActiveChanged() override { FForm->LinkActiveChanged(); }

private:
    TFormDB* FForm;
};

namespace {

const QString DataSourceProp = QStringLiteral("DataSource");

// Sets a flag for as long as it lives.
class TFlagScope {
public:
    explicit TFlagScope(bool& Flag) : FFlag(Flag), FSaved(Flag) { FFlag = true; }
    ~TFlagScope() { FFlag = FSaved; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& FFlag;
    bool FSaved;
};

// Whether Component shows Source and no single field, so it follows the form's source.
bool FollowsFormSource(const TComponent* Component, const TDataSource* Source) {
    if (!PropIsType(Component, DataSourceProp, tkClass) ||
        IsPublishedProp(Component, QStringLiteral("DataField")))
        return false;
    if (auto* control = qobject_cast<const TControl*>(Component); control && !control->Visible())
        return false;
    return GetObjectProp(Component, DataSourceProp) == Source;
}

// Changes a property of a table that must be closed for it, reopening it afterwards.
template <class Setter> void WhileClosed(TTable* Table, Setter Set) {
    const bool wasActive = Table->Active();
    Table->Close();
    Set();
    Table->SetActive(wasActive);
}

} // namespace

TFormDB::TFormDB(TComponent* AOwner) : TFormDB(AOwner, TInherited{}) {
    InitForm();
}

TFormDB::TFormDB(TComponent* AOwner, TInherited)
    : TForm(AOwner), FDataLink(std::make_unique<TFormDBDataLink>(this)) {}

TFormDB::~TFormDB() {
    HandleExceptions([this] {
        if (FPrepared) {
            TFlagScope busy(FBusy);
            RestoreDataSet(FPrepared);
        }
    });
    FDataLink.reset();
}

TDataSource* TFormDB::DataSource() const {
    return FDataLink->DataSource();
}

TDataSet* TFormDB::DataSet() const {
    return FDataLink->DataSet();
}

void TFormDB::SetDataSource(TDataSource* Value) {
    TDataSource* current = DataSource();
    if (Value == current)
        return;
    if (Value && current && !IsLoading()) {
        for (int i = 0; i < ComponentCount(); ++i)
            if (FollowsFormSource(Components(i), current))
                SetObjectProp(Components(i), DataSourceProp, Value);
    }
    {
        TFlagScope busy(FBusy);
        FDataLink->SetDataSource(Value);
    }
    if (!IsLoading())
        LinkActiveChanged();
}

void TFormDB::SetDataSet(TDataSet* Value) {
    TFlagScope busy(FBusy);
    if (!DataSource() && Value) {
        if (!FOwnSource)
            FOwnSource = new TDataSource(this);
        FDataLink->SetDataSource(FOwnSource);
    }
    if (TDataSource* source = DataSource()) {
        TDataSet* current = source->DataSet();
        if (Value != current) {
            if (current && current == FPrepared)
                RestoreDataSet(current);
            source->SetDataSet(Value);
            if (Value)
                PrepareDataSet(Value, true);
        } else if (Value) {
            PrepareDataSet(Value, false);
        }
    }
    UpdateCaption();
}

void TFormDB::LinkActiveChanged() {
    if (FBusy || IsLoading() || IsDesigning() || IsDestroying())
        return;
    TFlagScope busy(FBusy);
    TDataSet* dataSet = DataSet();
    if (FPrepared && FPrepared != dataSet)
        RestoreDataSet(FPrepared);
    if (dataSet)
        PrepareDataSet(dataSet, false);
    UpdateCaption();
}

void TFormDB::PrepareDataSet(TDataSet* DataSet, bool IsNew) {
    if (!IsNew && FPrepared == DataSet)
        return;
    if (FPrepared && FPrepared != DataSet)
        RestoreDataSet(FPrepared);
    ReplaceReference(this, FPrepared, DataSet);
    FSaved.Active = DataSet->Active();
    if (auto* table = qobject_cast<TTable*>(DataSet)) {
        const bool readOnly = FOptions.Contains(foDataReadOnly);
        FSaved.CachedUpdates = table->CachedUpdates();
        if (!readOnly && FSaved.CachedUpdates)
            WhileClosed(table, [table] { table->SetCachedUpdates(false); });
        FSaved.ReadOnly = table->ReadOnly();
        if (FSaved.ReadOnly != readOnly)
            WhileClosed(table, [table, readOnly] { table->SetReadOnly(readOnly); });
        FSaved.IndexFieldNames = table->IndexFieldNames();
        FSaved.IndexName = table->IndexName();
    }
    if (!DataSet->Active())
        DataSet->Open();
}

void TFormDB::RestoreDataSet(TDataSet* DataSet) {
    if (DataSet != FPrepared)
        return;
    ReplaceReference<TDataSet>(this, FPrepared, nullptr);
    if (auto* table = qobject_cast<TTable*>(DataSet)) {
        if (table->CachedUpdates() != FSaved.CachedUpdates)
            WhileClosed(table, [&] { table->SetCachedUpdates(FSaved.CachedUpdates); });
        if (table->ReadOnly() != FSaved.ReadOnly)
            WhileClosed(table, [&] { table->SetReadOnly(FSaved.ReadOnly); });
        if (table->IndexFieldNames() != FSaved.IndexFieldNames)
            table->SetIndexFieldNames(FSaved.IndexFieldNames);
        if (table->IndexName() != FSaved.IndexName)
            table->SetIndexName(FSaved.IndexName);
    }
    DataSet->SetActive(FSaved.Active);
}

void TFormDB::SetFieldReturn(TFieldReturn* Value) {
    ReplaceReference(this, FFieldReturn, Value);
    FKeyToLocate = Value != nullptr;
}

void TFormDB::SetCreatedFor(TDataSet* Value) {
    ReplaceReference(this, FCreatedFor, Value);
}

void TFormDB::UpdateCaption(const QString& Text) {
    if (!Text.isEmpty()) {
        SetCaption(Text);
        return;
    }
    TDataSet* dataSet = DataSet();
    const QString captionProp = QStringLiteral("Caption");
    if (!dataSet || !PropIsType(dataSet, captionProp, tkString))
        return;
    if (const QString caption = GetStrProp(dataSet, captionProp); !caption.isEmpty())
        SetCaption(caption);
}

void TFormDB::AdjustFormWidth() {
    if (FOptions.Contains(foAutoWidth))
        WidenForFields(QFontMetrics(Font()->ToQFont()).horizontalAdvance(QLatin1Char('0')), 45,
                       true);
}

bool TFormDB::WidenForFields(int CharWidth, int ExtraPixels, bool CountLabels) {
    TDataSet* dataSet = DataSet();
    if (!dataSet)
        return true;
    int chars = 0;
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        const TField* field = dataSet->Fields()->Fields(i);
        if (!field->Visible())
            continue;
        const int label = CountLabels ? int(field->DisplayLabel().size()) : 0;
        chars += std::max(field->DisplayWidth(), label) + 1;
    }
    const int screenWidth = Screen()->Width();
    const int wanted = CharWidth * chars + ExtraPixels;
    const bool fits = wanted <= screenWidth;
    const int width = std::min(wanted, screenWidth);
    if (width > Width())
        SetWidth(width);
    if (Left() + Width() > screenWidth)
        SetLeft(std::max(0, screenWidth - Width()));
    return fits;
}

bool TFormDB::EditsData() const {
    return DataSet() && DataSet()->Active() && !FOptions.Contains(foDataReadOnly);
}

void TFormDB::Activate() {
    // Once per key given: coming back from a message box keeps the user's record.
    TDataSet* dataSet = DataSet();
    if (FKeyToLocate && dataSet && dataSet->Active()) {
        FKeyToLocate = false;
        if (!FFieldReturn->KeyFieldName().isEmpty() && !FFieldReturn->Value().isNull())
            LocateKey(dataSet, FFieldReturn->KeyFieldName(), FFieldReturn->Value(), {});
    }
    TForm::Activate();
}

void TFormDB::Deactivate() {
    if (EditsData())
        DataSet()->CheckBrowseMode();
    TForm::Deactivate();
}

void TFormDB::DoClose(TCloseAction& Action) {
    if (IsDesigning()) {
        TForm::DoClose(Action);
        return;
    }
    Action = FOptions.Contains(foFreeOnClose) || FormStyle() == fsMDIChild ? caFree : caHide;
    TDataSet* dataSet = DataSet();
    if (dataSet && dataSet->Active()) {
        if (!FOptions.Contains(foDataReadOnly))
            dataSet->CheckBrowseMode();
        if (FOptions.Contains(foApplyOnClose) && qobject_cast<TDBDataSet*>(dataSet) &&
            dataSet->CachedUpdates() && dataSet->UpdatesPending())
            dataSet->ApplyUpdates();
        if (FFieldReturn)
            FFieldReturn->SetValue(dataSet->FieldByName(FFieldReturn->KeyFieldName())->Value());
    }
    TForm::DoClose(Action);
}

void TFormDB::Notification(TComponent* AComponent, TOperation Operation) {
    TForm::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FOwnSource)
        FOwnSource = nullptr;
    if (AComponent == FFieldReturn) {
        FFieldReturn = nullptr;
        FKeyToLocate = false;
    }
    if (AComponent == FCreatedFor)
        FCreatedFor = nullptr;
    if (AComponent == FPrepared)
        FPrepared = nullptr;
}

namespace {

TFormDB* FindFormDB(const TDataSet* DataSet) {
    for (int i = 0; i < Screen()->FormCount(); ++i)
        if (auto* form = qobject_cast<TFormDB*>(Screen()->Forms(i));
            form && form->CreatedFor() == DataSet)
            return form;
    return nullptr;
}

TFormDB* CreateFormDB(TComponentClass FormClass, TDataSet* DataSet) {
    TComponent* component = CreateComponent(FormClass, Application());
    auto* form = qobject_cast<TFormDB*>(component);
    if (!form) {
        delete component;
        throw EInvalidOperation(QStringLiteral("%1 is not a data form")
                                    .arg(QString::fromLatin1(FormClass->className())));
    }
    form->SetCreatedFor(DataSet);
    form->SetDataSet(DataSet);
    form->AdjustFormWidth();
    return form;
}

void ShowModeless(TFormDB* Form) {
    if (!Form->Visible()) {
        Form->Show();
    } else if (Form->WindowState() == wsMinimized) {
        Form->SetWindowState(wsNormal);
    } else {
        Form->BringToFront();
        Form->SetFocus();
    }
}

} // namespace

TFormDB* ShowFormDB(TComponentClass FormClass, TDataSet* DataSet, TTypeShow TypeShow,
                    TFieldReturn* FieldReturn) {
    TFormDB* form = FindFormDB(DataSet);
    if (!form)
        form = CreateFormDB(FormClass, DataSet);
    else if (Screen()->ActiveForm() == form)
        return form;
    form->SetFieldReturn(FieldReturn);
    // The platform has no MDI frame: MDI children are shown modelessly.
    if (TypeShow == tsShow || (TypeShow == tsSelect && form->FormStyle() == fsMDIChild)) {
        ShowModeless(form);
    } else if (TypeShow == tsSelect) {
        if (form->Visible())
            form->Hide();
        if (form->WindowState() == wsMinimized)
            form->SetWindowState(wsNormal);
        FormDBReturn = form->ShowModal() == mrOk;
    }
    return form;
}

void SetNavigatorHints(TDBNavigator* Navigator) {
    if (Navigator->Hints()->Count() > 0)
        return;
    for (const char* hint :
         {"First record", "Prior record", "Next record", "Last record", "Insert record",
          "Delete record", "Edit record", "Post edit", "Cancel edit", "Refresh data"})
        Navigator->Hints()->Add(QString::fromLatin1(hint));
}
