#include "KroSort.h"

#include <QScopeGuard>
#include <QScopedValueRollback>
#include <dataset/KroDB.h>
#include <db/DataSet.h>
#include <db/DataSource.h>
#include <db/IndexDefs.h>
#include <db/Table.h>
#include <rtl/TypeInfo.h>

namespace {

// An order as compared: names without quotes or blanks, ";"-separated, in lower case.
QString ComparedOrder(QString Order) {
    Order.remove(QLatin1Char('"'))
        .remove(QLatin1Char(' '))
        .replace(QLatin1Char(','), QLatin1Char(';'));
    return Order.toLower();
}

} // namespace

void TSortingDataLink::ActiveChanged() {
    FCombo->Refill();
}

void TSortingDataLink::DataSetChanged() {
    if (FCombo->FromIndexDefs() && qobject_cast<TTable*>(DataSet()))
        FCombo->SelectCurrent();
    else
        FCombo->Refill();
}

TKroDBSortingCombo::TKroDBSortingCombo(TComponent* AOwner)
    : TCustomComboBox(AOwner), FSortingItems(new TStringList(this)) {
    SetStyle(csDropDownList);
    SetBounds(Left(), Top(), 180, Height());
}

TKroDBSortingCombo::~TKroDBSortingCombo() {
    Destroying();
    FDataLink.SetDataSource(nullptr);
}

void TKroDBSortingCombo::SetDataSource(TDataSource* Value) {
    if (Value == DataSource())
        return;
    if (DataSource())
        DataSource()->RemoveFreeNotification(this);
    FDataLink.SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
}

void TKroDBSortingCombo::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomComboBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == DataSource())
        SetDataSource(nullptr);
}

void TKroDBSortingCombo::SetSelfList(bool Value) {
    if (Value == FSelfList)
        return;
    FSelfList = Value;
    Refill();
}

void TKroDBSortingCombo::SetSortingItems(TStrings* Value) {
    FSortingItems->Assign(Value);
    Refill();
}

void TKroDBSortingCombo::ParentChanged() {
    TCustomComboBox::ParentChanged();
    Refill();
}

void TKroDBSortingCombo::EnabledChanged() {
    TCustomComboBox::EnabledChanged();
    if (!IsLoading())
        Refill();
}

QStringList TKroDBSortingCombo::SourceOrderings() const {
    const QStringList own = FSortingItems->ToStringList();
    if (FSelfList && !own.isEmpty())
        return own;
    const QString sortingList = QStringLiteral("SortingList");
    if (PropIsType(DataSet(), sortingList, tkClass))
        if (const auto* list = qobject_cast<TStrings*>(GetObjectProp(DataSet(), sortingList));
            list && list->Count() > 0)
            return list->ToStringList();
    return own;
}

TIndexDefs* TKroDBSortingCombo::IndexDefsOf(TDataSet* DataSet) const {
    if (auto* table = qobject_cast<TTable*>(DataSet))
        return table->IndexDefs();
    const QString indexDefs = QStringLiteral("IndexDefs");
    if (PropIsType(DataSet, indexDefs, tkClass))
        return qobject_cast<TIndexDefs*>(GetObjectProp(DataSet, indexDefs));
    return nullptr;
}

void TKroDBSortingCombo::Refill() {
    if (!Parent() || IsDestroying())
        return;
    {
        const QScopedValueRollback updating(FUpdating, FUpdating + 1);
        TStrings* shown = Items();
        shown->BeginUpdate();
        const auto endUpdate = qScopeGuard([shown] { shown->EndUpdate(); });
        shown->Clear();
        FOrderings.clear();
        FIndexDefs = nullptr;
        TDataSet* dataSet = DataSet();
        if (FDataLink.Active() && Enabled()) {
            FOrderings = SourceOrderings();
            if (FOrderings.isEmpty()) {
                if ((FIndexDefs = IndexDefsOf(dataSet)))
                    FIndexDefs->Update();
                for (int i = 0; FIndexDefs && i < FIndexDefs->Count(); ++i) {
                    const TIndexDef* def = FIndexDefs->Items(i);
                    FOrderings << (def->Fields().isEmpty() ? def->Name() : def->Fields());
                }
            }
            for (int i = 0; i < FOrderings.size(); ++i) {
                const bool named = FIndexDefs && FIndexDefs->Items(i)->Fields().isEmpty();
                shown->Add(named ? FOrderings[i] : GetDisplayLabels(dataSet, FOrderings[i]));
            }
        }
    }
    SelectCurrent();
}

void TKroDBSortingCombo::SelectCurrent() {
    int index = -1;
    if (FDataLink.Active() && !FOrderings.isEmpty()) {
        const QString current = ComparedOrder(GetCurrentOrder(DataSet()));
        const QString indexName = QStringLiteral("IndexName");
        if (FIndexDefs && PropIsType(DataSet(), indexName, tkString) &&
            !GetStrProp(DataSet(), indexName).isEmpty())
            index = FIndexDefs->IndexOf(GetStrProp(DataSet(), indexName));
        for (int i = 0; index < 0 && i < FOrderings.size(); ++i)
            if (ComparedOrder(FOrderings[i]) == current)
                index = i;
    }
    if (index != ItemIndex()) {
        const QScopedValueRollback updating(FUpdating, FUpdating + 1);
        SetItemIndex(index);
    }
}

void TKroDBSortingCombo::Select() {
    const int index = ItemIndex();
    if (FUpdating == 0 && Enabled() && FDataLink.Active() && index >= 0 &&
        index < FOrderings.size())
        SetOrderBy(DataSet(), FOrderings[index], true, FFieldNameKind == fnQuotes);
    TCustomComboBox::Select();
}
