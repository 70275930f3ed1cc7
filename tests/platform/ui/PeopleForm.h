#pragma once

// A shown, active form over the People table of a test database on SQLite, for the tests
// of data-aware controls.

#include "platform/db/PeopleDatabase.h"

#include <QString>
#include <db/DataSource.h>
#include <ui/Forms.h>

class QWidget;

class TPeopleForm {
public:
    // People holds Rows people, "Person 0001" first; the table is open on the first.
    explicit TPeopleForm(int Rows = 5);
    ~TPeopleForm();

    // A control of class T on the form, bound to Field of People when T is data-aware.
    template <class T> T* Add(const QString& Field = QString()) {
        auto* control = new T(&Form);
        control->SetParent(&Form);
        control->SetTop(Next += 30);
        if constexpr (requires { control->SetDataField(Field); }) {
            control->SetDataSource(Source);
            control->SetDataField(Field);
        }
        return control;
    }
    // Shows the form, makes it active and gives Control the focus.
    void Focus(TWinControl* Control);
    // The focused widget, where simulated keys go.
    static QWidget* FocusWidget();
    QString Name() const;

    TPeopleDatabase Database;
    TForm Form;
    TTable* People;
    TDataSource* Source;

private:
    int Next = 0;
};
