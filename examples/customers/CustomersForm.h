#pragma once

#include <ui/Forms.h>

class TDataSet;
class TKroDBLookupCombo;
class TKroFilter;
class TKroScrollBoxForGrid;

// The customers window: a grid of customers with the name of their country looked up, a
// filter by a country picked in a lookup combo, a one-record page in the grid's place and
// printing of the shown customers.
class TCustomersForm : public TForm {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/customers/CustomersForm.form")
public:
    Q_INVOKABLE explicit TCustomersForm(TComponent* AOwner = nullptr);

    // Shows only the customers of the country picked in the country combo; all of them
    // when none is picked.
    Q_INVOKABLE void FilterButtonClick(TObject* Sender);
    // Prints the shown customers, one line each, to FileName (a text file).
    void PrintTo(const QString& FileName);
    Q_INVOKABLE void PrintButtonClick(TObject* Sender);
    // Shows the current customer on a page of labelled controls in the grid's place, or
    // the grid again.
    Q_INVOKABLE void RecordButtonClick(TObject* Sender);

    TDataSet* Customers() const;
    TKroDBLookupCombo* CountryCombo() const;
    TKroScrollBoxForGrid* RecordPage() const { return FRecordPage; }

private:
    TKroFilter* Filter() const;

    TKroScrollBoxForGrid* FRecordPage = nullptr;
};

// Registers the classes the form file names.
void RegisterCustomersClasses();
