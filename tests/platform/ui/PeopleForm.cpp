#include "PeopleForm.h"

#include "TestForms.h"

#include <QApplication>
#include <db/Field.h>

TPeopleForm::TPeopleForm(int Rows)
    : Database(Rows), People(Database.NewTable(QStringLiteral("People"), &Form)),
      Source(new TDataSource(&Form)) {
    Source->SetDataSet(People);
    People->Open();
    Form.SetBounds(0, 0, 400, 400);
}

TPeopleForm::~TPeopleForm() {
    if (People->IsEditing())
        People->Cancel();
}

void TPeopleForm::Focus(TWinControl* Control) {
    Form.Show();
    Activate(&Form);
    Control->SetFocus();
    ProcessEvents();
}

QWidget* TPeopleForm::FocusWidget() {
    return QApplication::focusWidget();
}

QString TPeopleForm::Name() const {
    return People->FieldByName(QStringLiteral("Name"))->AsString();
}
