#pragma once

// The list field: a small integer column shown and entered as a text from a list the
// designer types into the field once. Line i of Values is the text of the value i; an empty
// line means "no value", and choosing it stores null.

#include <db/Fields.h>
#include <rtl/Strings.h>

class TComponent;
class TControl;

// A small integer field shown as the line of Values its value numbers.
class TKroListField : public TSmallintField {
    Q_OBJECT
    // Inherited formats and range, published without a setter: the range follows Values.
    Q_PROPERTY(QString DisplayFormat READ DisplayFormat)
    Q_PROPERTY(QString EditFormat READ EditFormat)
    Q_PROPERTY(TStrings* Values READ Values WRITE SetValues)
    Q_PROPERTY(int MinValue READ MinValue)
    Q_PROPERTY(int MaxValue READ MaxValue)
public:
    Q_INVOKABLE explicit TKroListField(TComponent* AOwner = nullptr);

    TStrings* Values() const { return FValues; }
    // Copies the lines; the range and the controls follow at once.
    void SetValues(TStrings* Value);
    int MinValue() const { return 0; }
    int MaxValue() const { return FValues->Count() - 1; }

    // The line of the value, or "" for null and values beyond the lines.
    QString GetAsString() const override;
    // "" clears the field; another text must be a line (ignoring case).
    void SetAsString(const QString& Value) override;
    // A value whose line is empty clears the field.
    void SetAsVariant(const Variant& Value) override;
    void GetText(QString& Text, bool DisplayText) const override;

protected:
    // A whole number within 0..MaxValue, whatever the platform's range.
    Variant ConvertValue(const Variant& Value) const override;

private:
    // Values changed: the range and the controls follow.
    void ValuesChanged();

    TStringList* FValues;
};

// The one-record page's factories of list fields (KroContr): an unbound combo listing the
// field's texts, or nullptr for another field.
TControl* CreateListCombo(TComponent* Owner, TField* Field);
