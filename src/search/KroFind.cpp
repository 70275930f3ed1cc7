#include "KroFind.h"

#include "DiFind.h"

#include <controls/KroContr.h>
#include <dataset/KroDB.h>
#include <db/DataSource.h>
#include <db/Fields.h>
#include <db/Table.h>
#include <memory>
#include <rtl/Exceptions.h>
#include <ui/Dialogs.h>
#include <ui/StdCtrls.h>

namespace {

// The lookup field of DataSet that shows Field (its one key field), else Field.
TField* ShownField(TDataSet* DataSet, TField* Field) {
    const TFields* fields = DataSet->Fields();
    for (int i = 0; i < fields->Count(); ++i) {
        TField* lookup = fields->Fields(i);
        if (lookup->FieldKind() == fkLookup &&
            lookup->KeyFields().compare(Field->FieldName(), Qt::CaseInsensitive) == 0)
            return lookup;
    }
    return Field;
}

bool AskFindNearest() {
    TKroMessageScope scope;
    return MessageDlg(FindTextNotFound + QLatin1Char('\n') + FindTextNearest, mtConfirmation,
                      {mbYes, mbNo}) == mrYes;
}

// One run of the search: the dataset's controls disabled and its key state ended
// whatever happens.
class TFindRun {
public:
    explicit TFindRun(TDataSet* DataSet) : FDataSet(DataSet) { FDataSet->DisableControls(); }
    ~TFindRun() {
        if (FDataSet->State() == dsSetKey)
            FDataSet->CheckBrowseMode();
        FDataSet->EnableControls();
    }
    TFindRun(const TFindRun&) = delete;
    TFindRun& operator=(const TFindRun&) = delete;

private:
    TDataSet* FDataSet;
};

// The searched fields and the values the user gave them, from the first to the last one
// given.
struct TConditions {
    QList<TField*> Fields; // the order's fields (a lookup field's key field)
    QVariantList Values;
    int First = -1;
    int Last = -1;

    bool Empty() const { return First < 0; }
};

TConditions ReadConditions(const TDialFind& Dialog, const QList<TField*>& OrderFields,
                           const QList<TField*>& ShownFields) {
    TConditions conditions;
    conditions.Fields = OrderFields;
    for (int i = 0; i < OrderFields.size(); ++i) {
        const Variant value = GetEditorValue(Dialog.Editors()[i], ShownFields[i]);
        conditions.Values << value;
        if (VarIsNull(value))
            continue;
        if (conditions.First < 0)
            conditions.First = i;
        conditions.Last = i;
    }
    return conditions;
}

// Raises the field's error for a value it cannot take (texts are searched whole).
void CheckValues(const TConditions& Conditions) {
    for (int i = Conditions.First; i <= Conditions.Last && i >= 0; ++i)
        if (!VarIsNull(Conditions.Values[i]) && !qobject_cast<TStringField*>(Conditions.Fields[i]))
            Conditions.Fields[i]->CheckedValue(Conditions.Values[i]);
}

// Goes to the first record at or after the key in the first Count fields of the buffer.
void GotoNearestKey(TDataSet* DataSet, int Count) {
    DataSet->EditKey();
    DataSet->SetKeyFieldCount(Count);
    DataSet->GotoNearest();
    DataSet->SetKeyFieldCount(0);
}

bool GotoKeyOf(TDataSet* DataSet, int Count) {
    DataSet->SetKeyFieldCount(Count);
    const bool found = DataSet->GotoKey();
    DataSet->SetKeyFieldCount(0);
    return found;
}

} // namespace

TKroFindDlg::TKroFindDlg(TComponent* AOwner) : TComponent(AOwner) {}

void TKroFindDlg::SetDataSource(TDataSource* Value) {
    if (Value == FDataSource)
        return;
    if (FDataSource)
        FDataSource->RemoveFreeNotification(this);
    FDataSource = Value;
    if (FDataSource)
        FDataSource->FreeNotification(this);
}

void TKroFindDlg::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSource)
        FDataSource = nullptr;
}

bool TKroFindDlg::Execute() {
    TDataSet* dataSet = FDataSource ? FDataSource->DataSet() : nullptr;
    if (!dataSet)
        return false;
    const QString order = GetCurrentOrder(dataSet);
    if (order.isEmpty()) {
        ShowKroMessage(FindTextNoOrder);
        return false;
    }
    dataSet->CheckBrowseMode();
    const QList<TField*> orderFields = dataSet->Fields()->GetFieldList(order);
    QList<TField*> shownFields;
    bool hasString = false;
    for (TField* field : orderFields) {
        shownFields << ShownField(dataSet, field);
        hasString = hasString || qobject_cast<TStringField*>(field);
    }
    auto dialog = std::make_unique<TDialFind>();
    TFindRun run(dataSet);
    dialog->DataSource->SetDataSet(dataSet);
    dialog->SetCaption(FindTextCaption + GetDisplayLabels(dataSet, order));
    dialog->BuildRows(shownFields, FMaxLabelWidth, FMaxEditWidth);
    // A dataset with an index order keeps the last key searched for in its key buffer.
    const bool keyed = !dataSet->IndexFields().isEmpty();
    if (keyed) {
        dataSet->EditKey();
        for (int i = 0; i < orderFields.size(); ++i)
            SetEditorValue(dialog->Editors()[i], orderFields[i]->Value(), shownFields[i]);
        dataSet->CheckBrowseMode();
    }
    dialog->CheckBoxCase->SetChecked(FCaseSensitive);
    dialog->CheckBoxNoPartial->SetChecked(FFullCoincidence);
    dialog->CheckBoxCase->SetEnabled(hasString);
    dialog->CheckBoxNoPartial->SetEnabled(hasString);

    TConditions conditions;
    for (;;) {
        TModalResult result;
        {
            TKroMessageScope scope;
            result = dialog->ShowModal();
        }
        if (result != mrOk)
            return false;
        conditions = ReadConditions(*dialog, orderFields, shownFields);
        try {
            CheckValues(conditions);
            break;
        } catch (const EAbort&) {
            throw;
        } catch (const Exception& error) {
            ShowKroMessage(error.Message()); // the dialog shows again with the user's values
        }
    }
    if (hasString) {
        FCaseSensitive = dialog->CheckBoxCase->Checked();
        FFullCoincidence = dialog->CheckBoxNoPartial->Checked();
    }
    if (keyed) {
        dataSet->EditKey();
        for (int i = 0; i < orderFields.size(); ++i)
            orderFields[i]->SetAsVariant(conditions.Values[i]);
    }
    if (conditions.Empty()) {
        ShowKroMessage(FindTextNoConditions);
        return true;
    }
    const int keyCount = conditions.Last + 1;
    const bool byIndex = conditions.First == 0 && qobject_cast<TTable*>(dataSet);
    const bool optionsSetIndexAside = hasString && (!FCaseSensitive || !FFullCoincidence);
    if (byIndex && !optionsSetIndexAside) {
        if (!GotoKeyOf(dataSet, keyCount) && AskFindNearest())
            GotoNearestKey(dataSet, keyCount);
        return true;
    }
    if (keyed)
        dataSet->CheckBrowseMode();
    QStringList names;
    QVariantList values;
    for (int i = conditions.First; i <= conditions.Last; ++i) {
        names << conditions.Fields[i]->FieldName();
        values << conditions.Values[i];
    }
    TLocateOptions options;
    if (hasString && !FCaseSensitive)
        options.Include(loCaseInsensitive);
    if (hasString && !FFullCoincidence)
        options.Include(loPartialKey);
    const Variant keyValues = values.size() == 1 ? values.first() : Variant(values);
    if (dataSet->Locate(names.join(QLatin1Char(';')), keyValues, options))
        return true;
    if (byIndex) {
        if (AskFindNearest())
            GotoNearestKey(dataSet, keyCount);
    } else {
        ShowKroMessage(FindTextNotFound);
    }
    return true;
}
