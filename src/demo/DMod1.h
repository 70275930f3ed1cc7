#pragma once

// The demonstration program's data module: the tables of its database, the lookup queries
// over them, the fields with their lookups, and the handlers that open the tables' edit
// forms, keep the profession lists current and store the filters beside the database.

#include <dataset/KroDB.h>
#include <ui/DataModule.h>

class TDataSource;
class TKroFilter;
class TKroQuery;
class TKroTable;

// The program's only data module.
class TDM1 : public TDataModule {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/demo/forms/DMod1.form")
public:
    Q_INVOKABLE explicit TDM1(TComponent* AOwner = nullptr);

    TKroTable* TbPeople = nullptr;
    TKroTable* TbCont = nullptr;
    TKroTable* TbProf = nullptr;
    TKroTable* TbCountry = nullptr;
    TKroQuery* QCont = nullptr;
    TKroQuery* QProf = nullptr;
    TKroQuery* QCountry = nullptr;
    TKroTable* TbLang = nullptr;
    TKroQuery* QLang = nullptr;
    TDataSource* DSQLang = nullptr;
    TKroTable* TbJob = nullptr;

    // Open the edit form of a table; the lookup queries open their table's form.
    Q_INVOKABLE void TbPeopleEditData(TObject* Sender, TTypeShow TypeShow,
                                      TFieldReturn* FieldReturn);
    Q_INVOKABLE void TbContEditData(TObject* Sender, TTypeShow TypeShow, TFieldReturn* FieldReturn);
    Q_INVOKABLE void TbProfEditData(TObject* Sender, TTypeShow TypeShow, TFieldReturn* FieldReturn);
    Q_INVOKABLE void TbCountryEditData(TObject* Sender, TTypeShow TypeShow,
                                       TFieldReturn* FieldReturn);
    Q_INVOKABLE void TbPeopleLangNameEditData(TObject* Sender, TTypeShow TypeShow,
                                              TFieldReturn* FieldReturn);
    // The people form's count of the people that pass its filter (TFormPeople::CountPeople);
    // nothing while that form does not exist.
    Q_INVOKABLE void TbPeopleAfterPost(TDataSet* DataSet);
    // Re-reads the profession query and table, so the lists show a saved profession at once.
    Q_INVOKABLE void TbProfAfterPost(TDataSet* DataSet);
};

extern TDM1* DM1;

// The folder the demo's filter files go to: the embedded database's folder.
extern QString DemoFilterFolder;

// The filter file of Filter's dataset: its "TableName" with "." turned into "_", else its
// name, with ".flt", in DemoFilterFolder.
QString DemoFilterFileName(const TKroFilter* Filter);

// Makes every filter read and write its filters in DemoFilterFileName.
void InstallDemoFilterHooks();
