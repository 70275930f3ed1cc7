// customers [--check FOLDER]
// Opens the customers window on the database in the current folder (made there on first
// start). With --check it works in FOLDER instead, filters by a country, shows the current
// customer on the one-record page, prints to FOLDER/customers.txt and tells whether what it
// saw is right, without showing a window.

#include "CustomersDatabase.h"
#include "CustomersForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <controls/KroContr.h>
#include <cstdio>
#include <db/DataSet.h>
#include <db/Field.h>
#include <fields/KroLookCombo.h>
#include <library/KroLibrary.h>
#include <rtl/Exceptions.h>

namespace {

int Check(TCustomersForm& Form, const QDir& Folder) {
    TDataSet* customers = Form.Customers();
    const int all = customers->RecordCount();
    auto* countries = qobject_cast<TDataSet*>(Form.FindComponent(QStringLiteral("Countries")));
    Form.CountryCombo()->SetKeyValue(countries->Lookup(
        QStringLiteral("Name"), QStringLiteral("Portugal"), QStringLiteral("Id")));
    Form.FilterButtonClick(nullptr);
    customers = Form.Customers();
    const int shown = customers->RecordCount();
    const QString country = customers->FieldByName(QStringLiteral("CountryName"))->AsString();

    // The one-record page shows the country in a lookup combo.
    Form.RecordButtonClick(nullptr);
    QString pageCountry;
    const TKroScrollBoxForGrid* page = Form.RecordPage();
    for (int i = 0; i < page->ControlCount(); ++i)
        if (auto* combo = qobject_cast<TKroDBLookupCombo*>(page->Controls(i)))
            pageCountry = combo->Text();
    Form.RecordButtonClick(nullptr);

    const QString output = Folder.filePath(QStringLiteral("customers.txt"));
    Form.PrintTo(output);
    QFile printed(output);
    printed.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(printed.readAll());
    std::printf("%d customers, %d in %s (page: %s)\n%s", all, shown, qPrintable(country),
                qPrintable(pageCountry), qPrintable(text));
    const bool right = all == 7 && shown == 2 && country == QLatin1String("Portugal") &&
                       pageCountry == country && text.contains(QStringLiteral("Azulejo Tiles")) &&
                       !text.contains(QStringLiteral("Kumo Paper"));
    return right ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const bool checking = arguments.size() == 3 && arguments[1] == QLatin1String("--check");
    if (arguments.size() != 1 && !checking) {
        std::fprintf(stderr, "usage: customers [--check FOLDER]\n");
        return 2;
    }
    const QDir folder(checking ? arguments[2] : QDir::currentPath());
    try {
        RegisterKroLibrary();
        RegisterCustomersClasses();
        OpenCustomersDatabase(folder.absolutePath());
        TCustomersForm form;
        if (checking)
            return Check(form, folder);
        form.Show();
        return application.exec();
    } catch (const Exception& e) {
        std::fprintf(stderr, "customers: %s\n", qPrintable(e.Message()));
        return 1;
    }
}
