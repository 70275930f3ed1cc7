#include "KroDB.h"

#include <QApplication>
#include <QScopeGuard>
#include <cstdio>
#include <db/DBDataSet.h>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/Field.h>
#include <db/Session.h>
#include <db/Table.h>
#include <forms/DiAdv.h>
#include <rtl/TypeInfo.h>
#include <ui/Application.h>
#include <ui/DataModule.h>
#include <ui/Dialogs.h>
#include <ui/Screen.h>

// ---- Collections of datasets ------------------------------------------------------------

TDataSetColItem::TDataSetColItem(TCollection* Collection) : TCollectionItem(Collection) {}

void TDataSetColItem::SetDataSet(TDataSet* Value) {
    FDataSet = Value;
    if (auto* holder = qobject_cast<TComponent*>(Collection() ? Collection()->GetOwner() : nullptr))
        holder->FreeNotification(Value);
}

QString TDataSetColItem::DisplayName() const {
    const TDataSet* dataSet = DataSet();
    return dataSet ? dataSet->Name() : TCollectionItem::DisplayName();
}

TDataSetCol::TDataSetCol(TPersistent* Owner, const QMetaObject* ItemClass)
    : TOwnedCollection(Owner, ItemClass ? ItemClass : &TDataSetColItem::staticMetaObject) {}

// ---- The application's handlers -----------------------------------------------------------

namespace {

// What the start-up routine installs: the active-form handler, the hook on the last data
// module's destruction and the nesting counter of the library's message boxes.
class TKroApp {
public:
    void ActiveFormChanged() {
        TForm* form = Screen()->ActiveForm();
        if (form && form->Tag() == 9 && FMessageCount == 0)
            RefreshFormDataSets(form, false);
    }
    // One data module at a time is hooked; hooking another gives the previous its own
    // handler back.
    void HookDestroy(TDataModule* DataModule) {
        if (FHooked == DataModule)
            return;
        if (FHooked)
            FHooked->SetOnDestroy(FSavedOnDestroy);
        FHooked = DataModule;
        FSavedOnDestroy = DataModule->OnDestroy();
        DataModule->SetOnDestroy(TNotifyEvent([this](TObject* Sender) { Destroying(Sender); }));
    }
    void BeginMessage() { ++FMessageCount; }
    void EndMessage() { FMessageCount = qMax(0, FMessageCount - 1); }
    int MessageCount() const { return FMessageCount; }

private:
    void Destroying(TObject* Sender) {
        CheckBrowseModeAll();
        FSavedOnDestroy(Sender);
    }

    QPointer<TDataModule> FHooked;
    TNotifyEvent FSavedOnDestroy;
    int FMessageCount = 0;
};

TKroApp& KroApp() {
    static TKroApp app;
    return app;
}

// A screen exists where forms can be shown: in a widget application.
bool HasScreen() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

void OpenStartUpDataSets() {
    for (int m = 0; m < Screen()->DataModuleCount(); ++m) {
        TDataModule* module = Screen()->DataModules(m);
        for (int c = 0; c < module->ComponentCount(); ++c) {
            auto* dataSet = qobject_cast<TDataSet*>(module->Components(c));
            if (!dataSet || !IsOpenedAtStartUp(dataSet))
                continue;
            try {
                dataSet->Open();
            } catch (const Exception&) {
                // A dataset that cannot be opened stays closed; the others still open.
            }
        }
    }
}

} // namespace

TKroMessageScope::TKroMessageScope() {
    KroApp().BeginMessage();
}

TKroMessageScope::~TKroMessageScope() {
    KroApp().EndMessage();
}

bool KroMessageShowing() {
    return KroApp().MessageCount() > 0;
}

void ShowKroMessage(const QString& Text) {
    TKroMessageScope scope;
    MessageDlg(Text, mtCustom, {mbOK});
}

void ShowKroError(const QString& Message, const QString& Detail) {
    TKroMessageScope scope;
    if (HasScreen())
        DlgErrorAdv()->Execute(Message, Detail);
    else if (Detail.isEmpty())
        std::fprintf(stderr, "Error: %s\n", qPrintable(Message));
    else
        std::fprintf(stderr, "Error: %s\n%s\n", qPrintable(Message), qPrintable(Detail));
}

void InitKroApplication(bool OpenDataSets) {
    if (HasScreen()) {
        Screen()->SetOnActiveFormChange(
            TNotifyEvent([](TObject*) { KroApp().ActiveFormChanged(); }));
        if (OpenDataSets)
            OpenStartUpDataSets();
    } else {
        ShowKroMessage(QStringLiteral("Screen dont initialize"));
    }
    if (TForm* main = Application()->MainForm())
        RefreshFormDataSets(main, false);
    if (const int count = Screen()->DataModuleCount(); count > 0)
        KroApp().HookDestroy(Screen()->DataModules(count - 1));
}

void CheckBrowseModeAll() {
    TSession* session = Session();
    for (int d = 0; d < session->DatabaseCount(); ++d) {
        TDatabase* database = session->Databases(d);
        for (int s = 0; s < database->DataSetCount(); ++s)
            if (TDataSet* dataSet = database->DataSets(s); dataSet->Active())
                dataSet->CheckBrowseMode();
    }
}

// ---- Refreshing a form's datasets -------------------------------------------------------

namespace {

TDataSet* DataSetOfSource(const QObject* Component, const char* Property) {
    if (!PropIsType(Component, QString::fromLatin1(Property), tkClass))
        return nullptr;
    auto* source =
        qobject_cast<TDataSource*>(GetObjectProp(Component, QString::fromLatin1(Property)));
    return source ? source->DataSet() : nullptr;
}

bool IsQuery(const TDataSet* DataSet) {
    return PropIsType(DataSet, QStringLiteral("SQL"), tkClass);
}

// The datasets a form shows, each after the lookup datasets its fields use.
class TFormDataSets {
public:
    explicit TFormDataSets(const TComponent* Form) {
        for (int i = 0; i < Form->ComponentCount(); ++i) {
            const TComponent* component = Form->Components(i);
            if (TDataSet* list = DataSetOfSource(component, "ListSource"))
                Add(list, true);
            if (TDataSet* data = DataSetOfSource(component, "DataSource"))
                Add(data, false);
        }
    }
    const QList<TDataSet*>& Items() const { return FItems; }
    bool Contains(TDataSet* DataSet) const { return FItems.contains(DataSet); }

private:
    void Add(TDataSet* DataSet, bool AtFront) {
        if (FItems.contains(DataSet))
            return;
        if (AtFront)
            FItems.prepend(DataSet);
        else
            FItems.append(DataSet);
        for (const TField* field : *DataSet->Fields())
            if (TDataSet* lookup = field->LookupDataSet())
                Add(lookup, true);
    }

    QList<TDataSet*> FItems;
};

// Whether DataSet follows a master that the refresh re-reads, which re-reads it too.
bool FollowsRefreshedMaster(TDataSet* DataSet, const TFormDataSets& List, bool RefreshAll) {
    auto refreshed = [&](TDataSet* Master) {
        return Master && List.Contains(Master) &&
               (RefreshAll || RefreshDigit(Master) == RefreshOnActivation);
    };
    TDataSet* master = DataSetOfSource(DataSet, "MasterSource");
    if (master && IsQuery(master) && refreshed(master))
        return true;
    TDataSource* parameters = DataSet->GetDataSource();
    return IsQuery(DataSet) && parameters && refreshed(parameters->DataSet());
}

} // namespace

void RefreshFormDataSets(TForm* Form, bool RefreshAll) {
    if (!Form)
        Form = Screen()->ActiveForm();
    if (!Form)
        return;
    const TFormDataSets list(Form);
    for (TDataSet* dataSet : list.Items()) {
        if (!dataSet->Active()) {
            if (RefreshAll || RefreshDigit(dataSet) != NeverOpenedByRefresh)
                dataSet->Open();
            continue;
        }
        if (!RefreshAll && (RefreshDigit(dataSet) != RefreshOnActivation || dataSet->IsEditing()))
            continue;
        if (!FollowsRefreshedMaster(dataSet, list, RefreshAll))
            RefreshDataSet(dataSet);
    }
}

void RefreshDataSet(TDataSet* DataSet) {
    if (!DataSet->Active())
        return;
    if (!IsQuery(DataSet)) {
        DataSet->Refresh();
        return;
    }
    TBookmark bookmark = DataSet->GetBookmark();
    DataSet->DisableControls();
    try {
        DataSet->Close();
        DataSet->Open();
        GotoBookmarkCentered(DataSet, bookmark);
    } catch (...) {
        DataSet->EnableControls();
        throw;
    }
    DataSet->EnableControls();
    DataSet->FreeBookmark(bookmark);
}

// ---- Field lists ------------------------------------------------------------------------

QString GetFieldList(TDataSet* DataSet, bool ForSQL, bool WithBlobs, bool Quotes) {
    QStringList names;
    for (const TField* field : *DataSet->Fields()) {
        if (field->FieldKind() != fkData || (field->IsBlob() && !WithBlobs))
            continue;
        names << (ForSQL && Quotes ? QStringLiteral("\"%1\"").arg(field->FieldName())
                                   : field->FieldName());
    }
    if (!ForSQL)
        return names.join(QLatin1Char(';'));
    return names.isEmpty() ? QStringLiteral("*") : names.join(QLatin1Char(','));
}

namespace {

// The fields of the first primary or unique index; "" for an expression index.
QString UniqueIndexFields(TIndexDefs* Defs) {
    Defs->Update();
    for (int i = 0; i < Defs->Count(); ++i) {
        const TIndexDef* def = Defs->Items(i);
        if (def->Options().Contains(ixPrimary) || def->Options().Contains(ixUnique))
            return def->Options().Contains(ixExpression) ? QString() : def->Fields();
    }
    return {};
}

QString IndexedUniqueFields(TDataSet* DataSet) {
    if (PropIsType(DataSet, QStringLiteral("IndexDefs"), tkClass))
        if (auto* defs =
                qobject_cast<TIndexDefs*>(GetObjectProp(DataSet, QStringLiteral("IndexDefs"))))
            return UniqueIndexFields(defs);
    auto* dbDataSet = qobject_cast<TDBDataSet*>(DataSet);
    if (!dbDataSet || !PropIsType(DataSet, QStringLiteral("TableName"), tkString))
        return {};
    const QString tableName = GetStrProp(DataSet, QStringLiteral("TableName"));
    if (tableName.isEmpty())
        return {};
    TTable table;
    table.SetDatabaseName(dbDataSet->DatabaseName());
    table.SetTableName(tableName);
    return UniqueIndexFields(table.IndexDefs());
}

} // namespace

QString GetUniqueFields(TDataSet* DataSet) {
    if (PropIsType(DataSet, QStringLiteral("UniqueFields"), tkString))
        if (QString fields = GetStrProp(DataSet, QStringLiteral("UniqueFields")); !fields.isEmpty())
            return fields;
    if (QString fields = IndexedUniqueFields(DataSet); !fields.isEmpty())
        return fields;
    return GetFieldList(DataSet, false, false, false);
}

QString GetDisplayLabels(TDataSet* DataSet, const QString& FieldList) {
    QStringList labels;
    for (const QString& name : SplitFieldNames(FieldList)) {
        const TField* field = DataSet->FindField(name);
        labels << (field ? field->DisplayLabel() : name);
    }
    return labels.join(QLatin1Char(','));
}

int SumDisplayWidths(TDataSet* DataSet, const QString& FieldList) {
    if (!DataSet)
        return 0;
    int sum = 0;
    for (const QString& name : SplitFieldNames(FieldList))
        sum += DataSet->FieldByName(name)->DisplayWidth();
    return sum;
}

int LookupResultWidth(TField* Field) {
    return SumDisplayWidths(Field->LookupDataSet(),
                            GetStrProp(Field, QStringLiteral("LookupResultField")));
}

void CheckFieldsExist(TDataSet* DataSet, const QString& FieldList) {
    for (const QString& name : SplitFieldNames(FieldList))
        DataSet->FieldByName(name);
}

// ---- Positioning ------------------------------------------------------------------------

void GotoBookmarkCentered(TDataSet* DataSet, const TBookmark& Bookmark) {
    if (VarIsNull(Bookmark))
        return;
    DataSet->CheckBrowseMode();
    if (DataSet->BookmarkValid(Bookmark))
        DataSet->GotoBookmark(Bookmark);
    else
        DataSet->First();
}

bool LocateKey(TDataSet* DataSet, const QString& KeyFields, const Variant& KeyValues,
               TLocateOptions Options) {
    if (!qobject_cast<TDBDataSet*>(DataSet))
        return false;
    // BeforeScroll fires before the search whatever it finds; Locate fires it again only
    // when it moves, so the handler is off meanwhile.
    DataSet->CheckBrowseMode();
    const TDataSetNotifyEvent beforeScroll = DataSet->BeforeScroll();
    beforeScroll(DataSet);
    DataSet->SetBeforeScroll(nullptr);
    const auto restore = qScopeGuard([&] { DataSet->SetBeforeScroll(beforeScroll); });
    return DataSet->Locate(KeyFields, KeyValues, Options);
}

// ---- Cloning ----------------------------------------------------------------------------

void ForceFieldValue(TField* Field, const Variant& Value) {
    const bool readOnly = Field->ReadOnly();
    Field->SetReadOnly(false);
    try {
        Field->SetValue(Value);
    } catch (...) {
        Field->SetReadOnly(readOnly);
        throw;
    }
    Field->SetReadOnly(readOnly);
}

TRecordCopy::TRecordCopy(TDataSet* DataSet) : FDataSet(DataSet) {
    for (TField* field : *DataSet->Fields())
        if (field->FieldKind() == fkData && field->DataType() != ftAutoInc)
            FValues.append({field->FieldName(), field->Value()});
}

void TRecordCopy::Insert() const {
    const TDataSetNotifyEvent saved = FDataSet->OnNewRecord();
    FDataSet->SetOnNewRecord(TDataSetNotifyEvent([this, &saved](TDataSet* Sender) {
        for (const auto& [name, value] : FValues)
            ForceFieldValue(Sender->FieldByName(name), value);
        saved(Sender);
    }));
    try {
        FDataSet->Insert();
    } catch (...) {
        FDataSet->SetOnNewRecord(saved);
        throw;
    }
    FDataSet->SetOnNewRecord(saved);
}

void CloneCurrentRecord(TDataSet* DataSet) {
    DataSet->CheckBrowseMode();
    TRecordCopy(DataSet).Insert();
}

// ---- Key handlers -----------------------------------------------------------------------

void EnterAsTab(TObject* Sender, quint16& Key) {
    auto* control = qobject_cast<TWinControl*>(Sender);
    if (Key != VK_RETURN || !control)
        return;
    control->PostKeyDown(VK_TAB);
}

void ComboKeyDown(TObject* Sender, quint16& Key, TShiftState Shift) {
    const QString droppedDown = QStringLiteral("DroppedDown");
    if (Key == VK_RETURN && Shift.Contains(ssCtrl) &&
        PropIsType(Sender, droppedDown, tkEnumeration)) {
        SetOrdProp(Sender, droppedDown, GetOrdProp(Sender, droppedDown) ? 0 : 1);
        Key = 0;
    }
    EnterAsTab(Sender, Key);
}
