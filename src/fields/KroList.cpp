#include "KroList.h"

#include <db/DataSet.h>
#include <limits>
#include <rtl/Exceptions.h>
#include <ui/StdCtrls.h>

TKroListField::TKroListField(TComponent* AOwner)
    : TSmallintField(AOwner), FValues(new TStringList(this)) {
    SetAlignment(taLeftJustify);
    SetMaxValue(-1);
    FValues->SetOnChange(TNotifyEvent([this](TObject*) { ValuesChanged(); }));
}

void TKroListField::SetValues(TStrings* Value) {
    FValues->Assign(Value);
}

void TKroListField::ValuesChanged() {
    SetMaxValue(MaxValue());
    if (DataSet() && DataSet()->Active())
        DataSet()->DataEvent(deDataSetChange);
}

QString TKroListField::GetAsString() const {
    const Variant value = GetAsVariant();
    if (VarIsNull(value))
        return {};
    const qint64 line = VarToInt(value);
    return line >= 0 && line <= MaxValue() ? FValues->Strings(int(line)) : QString();
}

void TKroListField::GetText(QString& Text, bool) const {
    Text = GetAsString();
}

Variant TKroListField::ConvertValue(const Variant& Value) const {
    if (VarIsStr(Value) && Value.toString().trimmed().isEmpty())
        return Null();
    return int(
        ConvertInteger(Value, 0, std::min<qint64>(MaxValue(), std::numeric_limits<qint16>::max())));
}

void TKroListField::SetAsVariant(const Variant& Value) {
    const Variant checked = CheckedValue(Value);
    if (!VarIsNull(checked) && FValues->Strings(checked.toInt()).isEmpty())
        TSmallintField::SetAsVariant(Null());
    else
        TSmallintField::SetAsVariant(checked);
}

void TKroListField::SetAsString(const QString& Value) {
    if (Value.isEmpty()) {
        Clear();
        return;
    }
    const int line = FValues->IndexOf(Value);
    if (line < 0)
        throw EDatabaseError(QStringLiteral("Invalid value for field '%1'").arg(DisplayName()));
    SetAsInteger(line);
}

TControl* CreateListCombo(TComponent* Owner, TField* Field) {
    auto* listField = qobject_cast<TKroListField*>(Field);
    if (!listField)
        return nullptr;
    auto* combo = new TComboBox(Owner);
    combo->SetStyle(csDropDownList);
    combo->Items()->Assign(listField->Values());
    return combo;
}
