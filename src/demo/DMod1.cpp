#include "DMod1.h"

#include "DemoDatabase.h"
#include "Unit2.h"

#include <dataset/KroTable.h>
#include <filter/KroFilt.h>
#include <forms/DiAdv.h>
#include <forms/fBase.h>

TDM1* DM1 = nullptr;
QString DemoFilterFolder;

namespace {

// The edit form of a table of the demo: the library's base form.
void ShowTableForm(TDataSet* DataSet, TTypeShow TypeShow, TFieldReturn* FieldReturn) {
    ShowFormDB<TFormBase>(DataSet, TypeShow, FieldReturn);
}

void LoadDemoFilters(TKroFilter* Filter) {
    if (Filter->MainDataSet())
        Filter->LoadFiltersFrom(DemoFilterFileName(Filter));
}

void SaveDemoFilters(TKroFilter* Filter) {
    if (Filter->MainDataSet())
        Filter->SaveFiltersTo(DemoFilterFileName(Filter));
}

} // namespace

TDM1::TDM1(TComponent* AOwner) : TDataModule(AOwner) {
    Q_INIT_RESOURCE(DemoForms);
    InitForm();
    TbPeople = FormComponent<TKroTable>(this, "TbPeople");
    TbCont = FormComponent<TKroTable>(this, "TbCont");
    TbProf = FormComponent<TKroTable>(this, "TbProf");
    TbCountry = FormComponent<TKroTable>(this, "TbCountry");
    QCont = FormComponent<TKroQuery>(this, "QCont");
    QProf = FormComponent<TKroQuery>(this, "QProf");
    QCountry = FormComponent<TKroQuery>(this, "QCountry");
    TbLang = FormComponent<TKroTable>(this, "TbLang");
    QLang = FormComponent<TKroQuery>(this, "QLang");
    DSQLang = FormComponent<TDataSource>(this, "DSQLang");
    TbJob = FormComponent<TKroTable>(this, "TbJob");
}

void TDM1::TbPeopleEditData(TObject*, TTypeShow TypeShow, TFieldReturn* FieldReturn) {
    ShowFormDB<TFormPeople>(TbPeople, TypeShow, FieldReturn);
}

void TDM1::TbContEditData(TObject*, TTypeShow TypeShow, TFieldReturn* FieldReturn) {
    ShowTableForm(TbCont, TypeShow, FieldReturn);
}

void TDM1::TbProfEditData(TObject*, TTypeShow TypeShow, TFieldReturn* FieldReturn) {
    ShowTableForm(TbProf, TypeShow, FieldReturn);
}

void TDM1::TbCountryEditData(TObject*, TTypeShow TypeShow, TFieldReturn* FieldReturn) {
    ShowTableForm(TbCountry, TypeShow, FieldReturn);
}

void TDM1::TbPeopleLangNameEditData(TObject*, TTypeShow TypeShow, TFieldReturn* FieldReturn) {
    ShowTableForm(TbLang, TypeShow, FieldReturn);
}

void TDM1::TbPeopleAfterPost(TDataSet*) {
    if (FormPeople)
        FormPeople->CountPeople();
}

void TDM1::TbProfAfterPost(TDataSet*) {
    if (QProf->Active())
        QProf->Close();
    QProf->Open();
    TbProf->Refresh();
}

QString DemoFilterFileName(const TKroFilter* Filter) {
    TDataSet* dataSet = Filter->MainDataSet();
    QString name = GetStrPropByName(dataSet, QStringLiteral("TableName"));
    if (name.isEmpty())
        name = dataSet->Name();
    name.replace(QLatin1Char('.'), QLatin1Char('_'));
    return DemoFilterFolder + QLatin1Char('/') + name + QStringLiteral(".flt");
}

void InstallDemoFilterHooks() {
    FilterLoadHook = LoadDemoFilters;
    FilterSaveHook = SaveDemoFilters;
}
