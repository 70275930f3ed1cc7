#pragma once

// The combo box of a list field: its entries are the field's Values, typed once in the
// field and never in the control.

#include <ui/DBCtrls.h>

class TKroListField;

// A data-aware combo of a TKroListField. Its entries follow the field; a digit chooses the
// value of that number, Backspace or Delete clears the field, Ctrl+Enter opens the list.
// Only the styles without an edit field are accepted.
class TKroCustomDBCombo : public TDBComboBox {
    Q_OBJECT
    Q_PROPERTY(QString DataField READ DataField WRITE SetKroDataField)
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetKroDataSource)
    Q_PROPERTY(TComboBoxStyle Style READ Style WRITE SetStyle)
    // The number of entries; the entries themselves come from the field.
    Q_PROPERTY(int Items READ ItemCount STORED false)
public:
    Q_INVOKABLE explicit TKroCustomDBCombo(TComponent* AOwner = nullptr);

    void SetKroDataField(const QString& Value);
    void SetKroDataSource(TDataSource* Value);
    int ItemCount() const;
    // csDropDown and csSimple are ignored.
    void SetStyle(TComboBoxStyle Value) override;

    void Loaded() override;

protected:
    void ParentChanged() override;
    void ActiveChange() override;
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DoEnter() override;
    // A press left of the button only focuses an unfocused combo.
    bool TakeMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    // The field as a list field that can be modified; nullptr otherwise.
    TKroListField* ModifiableListField() const;
    // The entries become the field's Values, or none for another field.
    void Refill();

    bool FJustEntered = false; // until the event that focused the combo is handled
};

// The list field's combo with Enter moving on and the field controls' menu.
class TKroDBCombo : public TKroCustomDBCombo {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TKroDBCombo(TComponent* AOwner = nullptr);

    void Loaded() override;

protected:
    void KeyDown(quint16& Key, TShiftState Shift) override;
};

// The one-record page's data-aware combo of a list field (KroContr); nullptr for another
// field.
TControl* CreateListDBCombo(TComponent* Owner, TField* Field);
