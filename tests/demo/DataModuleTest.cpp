#include <DMod1.h>
#include <DemoDatabase.h>
#include <DemoStartup.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <Unit2.h>
#include <dataset/KroTable.h>
#include <db/Database.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <filter/KroFilt.h>
#include <forms/KroForms.h>
#include <gtest/gtest.h>
#include <memory>
#include <ui/Screen.h>

namespace {

// The data module over a demo database made once for all its tests.
class DataModule : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Folder = new QTemporaryDir;
        RegisterDemoAlias({Folder->path(), {}});
        EnsureDemoDatabase({Folder->path(), {}});
    }
    static void TearDownTestSuite() {
        Session()->CloseDatabase(Session()->FindDatabase(DemoAlias));
        Session()->SetConfigMode({cmSession});
        Session()->DeleteAlias(DemoAlias);
        Session()->SetConfigMode(cmAll);
        delete Folder;
        Folder = nullptr;
    }
    void SetUp() override { Module = std::make_unique<TDM1>(); }
    void TearDown() override {
        while (Screen()->FormCount() > 0)
            delete Screen()->Forms(0);
        Module.reset();
    }

    static QTemporaryDir* Folder;
    std::unique_ptr<TDM1> Module;
};

QTemporaryDir* DataModule::Folder = nullptr;

TEST_F(DataModule, TheStartUpOpensTheLookupQueriesOnly) {
    InitKroApplication(true);
    for (TDataSet* query :
         {static_cast<TDataSet*>(Module->QCont), static_cast<TDataSet*>(Module->QProf),
          static_cast<TDataSet*>(Module->QCountry), static_cast<TDataSet*>(Module->QLang)})
        EXPECT_TRUE(query->Active()) << qPrintable(query->Name());
    for (TDataSet* table :
         {static_cast<TDataSet*>(Module->TbPeople), static_cast<TDataSet*>(Module->TbCountry),
          static_cast<TDataSet*>(Module->TbJob)})
        EXPECT_FALSE(table->Active()) << qPrintable(table->Name());
    EXPECT_EQ(Module->QLang->FieldByName(QStringLiteral("Id"))->AsInteger(), 1)
        << "the languages come in the order of their ids";
    EXPECT_EQ(Module->TbJob->MasterSource(), nullptr)
        << "the jobs have no master until the people form exists";
}

TEST_F(DataModule, PeopleShowTheirCodesAsTexts) {
    InitKroApplication(true);
    TKroTable* people = Module->TbPeople;
    people->Open();
    ASSERT_GT(people->RecordCount(), 0);
    const Variant lang = people->FieldByName(QStringLiteral("Lang"))->AsVariant();
    const QString name =
        Module->QLang->Lookup(QStringLiteral("Id"), lang, QStringLiteral("Name")).toString();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_EQ(people->FieldByName(QStringLiteral("LangName"))->AsString(),
              QString::number(lang.toInt()) + QLatin1Char(' ') + name)
        << "the text of both result columns";
    const QString sex = people->FieldByName(QStringLiteral("Sex"))->AsString();
    EXPECT_TRUE(sex == QStringLiteral("Male") || sex == QStringLiteral("Female"))
        << qPrintable(sex);
    EXPECT_FALSE(people->FieldByName(QStringLiteral("CountryName1"))->AsString().isEmpty());
    EXPECT_FALSE(people->FieldByName(QStringLiteral("ProfName"))->AsString().isEmpty());
    EXPECT_TRUE(people->FieldByName(QStringLiteral("EmptyField"))->IsNull());
    EXPECT_EQ(people->FieldByName(QStringLiteral("Info"))->Tag() % 10, 8)
        << "blobs stay off the generated page";
}

TEST_F(DataModule, ASavedProfessionIsInTheListsAtOnce) {
    InitKroApplication(true);
    Module->TbProf->Open();
    Module->TbProf->Append();
    Module->TbProf->FieldByName(QStringLiteral("Name"))
        ->SetAsString(QStringLiteral("Lighthouse keeper"));
    Module->TbProf->Post();
    EXPECT_TRUE(Module->QProf->Active());
    EXPECT_TRUE(
        Module->QProf->Locate(QStringLiteral("Name"), QStringLiteral("Lighthouse keeper"), {}));
    EXPECT_TRUE(
        Module->TbProf->Locate(QStringLiteral("Name"), QStringLiteral("Lighthouse keeper"), {}));
}

TEST_F(DataModule, APersonPostedWithoutThePeopleFormIsSavedAndMakesNoForm) {
    InitKroApplication(true);
    ASSERT_EQ(FormPeople, nullptr);
    TKroTable* people = Module->TbPeople;
    people->Open();
    const int before = people->RecordCount();
    people->Append();
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Posted Alone"));
    people->Post();
    EXPECT_EQ(people->RecordCount(), before + 1);
    EXPECT_TRUE(people->Locate(QStringLiteral("Name"), QStringLiteral("Posted Alone"), {}));
    EXPECT_EQ(FormPeople, nullptr) << "the count belongs to the people form alone";
    EXPECT_EQ(Screen()->FormCount(), 0);
}

TEST_F(DataModule, ALookupQueryOpensTheFormOfItsTable) {
    InitKroApplication(true);
    Module->QCountry->OnEditData()(Module->QCountry, tsShow, nullptr);
    ASSERT_EQ(Screen()->FormCount(), 1);
    auto* form = qobject_cast<TFormDB*>(Screen()->Forms(0));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->DataSet(), Module->TbCountry);
    EXPECT_TRUE(Module->TbCountry->Active());
    Module->TbCountry->OnEditData()(Module->TbCountry, tsShow, nullptr);
    EXPECT_EQ(Screen()->FormCount(), 1) << "the form made before is shown again";
}

TEST_F(DataModule, FiltersAreStoredBesideTheDatabase) {
    DemoFilterFolder = Folder->path();
    InstallDemoFilterHooks();
    TDataSource source;
    source.SetDataSet(Module->TbPeople);
    TKroFilter filter;
    filter.SetDataSource(&source);
    EXPECT_EQ(DemoFilterFileName(&filter), Folder->filePath(QStringLiteral("People_db.flt")));
    ASSERT_TRUE(filter.AddFilter());
    filter.SetFromDialog(QStringLiteral("Kept"), true, {}, {});
    filter.SaveFilters();
    EXPECT_TRUE(QFile::exists(Folder->filePath(QStringLiteral("People_db.flt"))));
    TKroFilter reread;
    reread.SetDataSource(&source);
    reread.LoadFilters();
    EXPECT_EQ(reread.FindFilter(QStringLiteral("Kept")), 0);

    TDataSource langSource;
    langSource.SetDataSet(Module->QLang);
    TKroFilter langFilter;
    langFilter.SetDataSource(&langSource);
    EXPECT_EQ(DemoFilterFileName(&langFilter), Folder->filePath(QStringLiteral("QLang.flt")))
        << "a dataset without a table name stores its filters under its own name";
    FilterLoadHook = nullptr;
    FilterSaveHook = nullptr;
}

} // namespace
