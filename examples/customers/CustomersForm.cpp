#include "CustomersForm.h"

#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Field.h>
#include <filter/KroFilt.h>
#include <print/KroPrint.h>
#include <rtl/ClassRegistry.h>
#include <ui/StdCtrls.h>

TCustomersForm::TCustomersForm(TComponent* AOwner) : TForm(AOwner) {
    InitForm();
}

TDataSet* TCustomersForm::Customers() const {
    // While an extract query stands in for the table, the data source shows the query.
    return qobject_cast<TDataSource*>(FindComponent(QStringLiteral("CustomerSource")))->DataSet();
}

TKroFilter* TCustomersForm::Filter() const {
    return qobject_cast<TKroFilter*>(FindComponent(QStringLiteral("CountryFilter")));
}

void TCustomersForm::FilterButtonClick(TObject*) {
    const QString country =
        qobject_cast<TEdit*>(FindComponent(QStringLiteral("CountryEdit")))->Text().trimmed();
    TKroFilter* filter = Filter();
    filter->SwitchOff();
    filter->ClearFilters();
    if (country.isEmpty())
        return;
    auto* countries = qobject_cast<TDataSet*>(FindComponent(QStringLiteral("Countries")));
    const Variant id = countries->Lookup(QStringLiteral("Name"), country, QStringLiteral("Id"));
    filter->AddFilter();
    filter->AddCondition();
    TConditionItem* condition = filter->Current()->Conditions[0];
    condition->FieldName = QStringLiteral("Country");
    condition->Value = id.isNull() ? Variant(-1) : id;
    filter->SetFilter(1);
}

void TCustomersForm::PrintTo(const QString& FileName) {
    TKroPrintSet set;
    set.Mode = pmFile;
    set.FileName = FileName;
    set.Title = Caption();
    set.WithoutPages = true;
    TKroPrinter* printer = KroPrinter();
    printer->BeginDoc(&set);
    TDataSet* customers = Customers();
    const QString fields = QStringLiteral("Name;City;CountryName");
    customers->DisableControls();
    const TBookmark place = customers->GetBookmark();
    bool heading = true;
    for (customers->First(); !customers->Eof(); customers->Next()) {
        QStringList lines = KroFormatRecord(customers, fields, QString(), 80);
        // Table layout gives the labels and the values; the labels once, at the top.
        if (!heading)
            lines.removeFirst();
        heading = false;
        for (const QString& line : lines)
            printer->Print(line);
    }
    customers->GotoBookmark(place);
    customers->EnableControls();
    printer->EndDoc();
}

void TCustomersForm::PrintButtonClick(TObject*) {
    PrintTo(QStringLiteral("customers.txt"));
}

void RegisterCustomersClasses() {
    Q_INIT_RESOURCE(Customers);
    RegisterClass<TCustomersForm>();
}
