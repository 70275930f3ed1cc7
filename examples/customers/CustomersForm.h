#pragma once

#include <ui/Forms.h>

class TKroFilter;
class TDataSet;

// The customers window: a grid of customers with the name of their country looked up, a
// filter by country and printing of the shown customers.
class TCustomersForm : public TForm {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/customers/CustomersForm.form")
public:
    Q_INVOKABLE explicit TCustomersForm(TComponent* AOwner = nullptr);

    // Shows only the customers of the country typed in the country box; all of them when
    // it is empty.
    Q_INVOKABLE void FilterButtonClick(TObject* Sender);
    // Prints the shown customers, one line each, to FileName (a text file).
    void PrintTo(const QString& FileName);
    Q_INVOKABLE void PrintButtonClick(TObject* Sender);

    TDataSet* Customers() const;

private:
    TKroFilter* Filter() const;
};

// Registers the classes the form file names.
void RegisterCustomersClasses();
