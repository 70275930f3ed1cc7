#pragma once

// The demo's edit form of a table: a navigator over a library grid of the dataset's records.

#include <forms/KroForms.h>

// A table's records in a grid, with a navigator.
class TTableForm : public TFormDB {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/demo/forms/TableForm.form")
public:
    Q_INVOKABLE explicit TTableForm(TComponent* AOwner = nullptr);
};
