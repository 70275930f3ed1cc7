#include "CustomersForm.h"

#include <controls/KroContr.h>
#include <db/DataSource.h>
#include <fields/KroLookCombo.h>
#include <filter/KroFilt.h>
#include <print/KroPrint.h>
#include <rtl/ClassRegistry.h>
#include <ui/DBGrids.h>

TCustomersForm::TCustomersForm(TComponent* AOwner) : TForm(AOwner) {
    InitForm();
    FRecordPage = new TKroScrollBoxForGrid(this);
    FRecordPage->SetGrid(qobject_cast<TDBGrid*>(FindComponent(QStringLiteral("Grid"))));
}

TDataSet* TCustomersForm::Customers() const {
    // While an extract query stands in for the table, the data source shows the query.
    return qobject_cast<TDataSource*>(FindComponent(QStringLiteral("CustomerSource")))->DataSet();
}

TKroDBLookupCombo* TCustomersForm::CountryCombo() const {
    return qobject_cast<TKroDBLookupCombo*>(FindComponent(QStringLiteral("CountryCombo")));
}

TKroFilter* TCustomersForm::Filter() const {
    return qobject_cast<TKroFilter*>(FindComponent(QStringLiteral("CountryFilter")));
}

void TCustomersForm::FilterButtonClick(TObject*) {
    const Variant country = CountryCombo()->KeyValue();
    TKroFilter* filter = Filter();
    filter->SwitchOff();
    filter->ClearFilters();
    if (country.isNull())
        return;
    filter->AddFilter();
    filter->AddCondition();
    TConditionItem* condition = filter->Current()->Conditions[0];
    condition->FieldName = QStringLiteral("Country");
    condition->Value = country;
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

void TCustomersForm::RecordButtonClick(TObject*) {
    FRecordPage->Toggle();
}

void RegisterCustomersClasses() {
    Q_INIT_RESOURCE(Customers);
    RegisterClass<TCustomersForm>();
}
