#include "ExampleFixture.h"

#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTest>
#include <Unit1.h>
#include <Unit2.h>
#include <UrlCatcher.h>
#include <controls/KroPages.h>
#include <dataset/KroTable.h>
#include <forms/fBase.h>
#include <grid/KroGrid.h>
#include <ui/Application.h>
#include <ui/Buttons.h>
#include <ui/StdCtrls.h>

namespace {

// The program on a new folder, with the engine's stored configuration at hand.
class ExampleProgram : public ExampleFixture {
protected:
    QByteArray StoredConfiguration() const {
        QFile config(Session()->ConfigFileName());
        return config.open(QIODevice::ReadOnly) ? config.readAll() : QByteArray();
    }
};

TEST_F(ExampleProgram, StartsOnANewFolderWithTheLookupQueriesOpen) {
    const QByteArray configuration = StoredConfiguration();
    StartExample({Dir.path(), {}});
    ASSERT_NE(DM1, nullptr);
    ASSERT_NE(Form1, nullptr);
    EXPECT_EQ(Application()->MainForm(), Form1);
    EXPECT_EQ(Form1->Caption(), QStringLiteral("Example of Kro library"));
    EXPECT_EQ(OtherQueryClass, &TKroQuery::staticMetaObject);
    EXPECT_TRUE(DM1->QCountry->Active());
    EXPECT_TRUE(DM1->QLang->Active());
    EXPECT_FALSE(DM1->TbPeople->Active());
    EXPECT_EQ(Session()->GetAliasParams(DemoAlias).value(QStringLiteral("PATH")), Dir.path());
    EXPECT_EQ(StoredConfiguration(), configuration) << "the alias is for this session only";
    EXPECT_EQ(DemoFilterFolder, Dir.path());
}

TEST_F(ExampleProgram, AnAliasRegisteredBeforeIsUsedAsItIs) {
    StartExample({Dir.path(), {}});
    const qint64 countries = DM1->QCountry->RecordCount();
    delete Form1;
    delete DM1;
    DM1 = nullptr;
    QTemporaryDir elsewhere;
    StartExample({elsewhere.path(), {}});
    EXPECT_EQ(Session()->GetAliasParams(DemoAlias).value(QStringLiteral("PATH")), Dir.path());
    EXPECT_EQ(DM1->QCountry->RecordCount(), countries) << "the second start reuses the database";
    EXPECT_FALSE(QFile::exists(elsewhere.filePath(QLatin1String(StandardDatabaseFile))));
}

TEST_F(ExampleProgram, TheButtonsOpenOneEditFormPerTable) {
    StartExample({Dir.path(), {}});
    Form1->Show();
    QTest::mouseClick(Form1->SpeedButton4->Widget(), Qt::LeftButton);
    ASSERT_EQ(EditForms().size(), 1);
    EXPECT_EQ(EditForms()[0]->DataSet(), DM1->TbCountry);
    EXPECT_TRUE(DM1->TbCountry->Active());
    auto* form = qobject_cast<TFormBase*>(EditForms()[0]);
    ASSERT_NE(form, nullptr) << "the library's base form";
    EXPECT_EQ(form->KroDbGrid->DataSource()->DataSet(), DM1->TbCountry)
        << "the grid shows the countries";
    EXPECT_TRUE(form->KroDbGrid->Widget()->isVisible());
    QTest::mouseClick(Form1->SpeedButton5->Widget(), Qt::LeftButton);
    QTest::mouseClick(Form1->SpeedButton1->Widget(), Qt::LeftButton);
    QTest::mouseClick(Form1->SpeedButton1->Widget(), Qt::LeftButton);
    const QList<TFormDB*> forms = EditForms();
    ASSERT_EQ(forms.size(), 3) << "a second click shows the people's form again";
    EXPECT_EQ(forms[1]->DataSet(), DM1->TbLang);
    EXPECT_EQ(forms[2]->DataSet(), DM1->TbPeople);
}

TEST_F(ExampleProgram, TheContactLabelsOpenTheMailProgramAndTheBrowser) {
    StartExample({Dir.path(), {}});
    Form1->Show();
    TUrlCatcher mail(QStringLiteral("mailto"));
    TUrlCatcher web(QStringLiteral("https"));
    QTest::mouseClick(Form1->LabelMail->Widget(), Qt::LeftButton);
    QTest::mouseClick(Form1->LabelHomePage->Widget(), Qt::LeftButton);
    ASSERT_EQ(mail.Opened.size(), 1);
    EXPECT_EQ(mail.Opened[0].path(), Form1->LabelMail->Caption());
    EXPECT_EQ(web.Opened, QList<QUrl>{QUrl(Form1->LabelHomePage->Caption())});
    EXPECT_EQ(Form1->LabelMail->Cursor(), crHandPoint);
}

// Pictures of the program's windows for review, written when KRO_DEMO_PICTURES names a
// directory (scripts/render-demo.sh).
TEST_F(ExampleProgram, Pictures) {
    const QString directory = qEnvironmentVariable("KRO_DEMO_PICTURES");
    if (directory.isEmpty())
        GTEST_SKIP() << "KRO_DEMO_PICTURES names no directory";
    ASSERT_TRUE(QDir().mkpath(directory));
    StartExample({Dir.path(), {}});
    Form1->Show();
    for (TSpeedButton* button : {Form1->SpeedButton4, Form1->SpeedButton5, Form1->SpeedButton1})
        QTest::mouseClick(button->Widget(), Qt::LeftButton);
    QCoreApplication::processEvents();
    QList<std::pair<TForm*, QString>> forms{{Form1, QStringLiteral("main")}};
    for (TFormDB* form : EditForms())
        if (form != FormPeople)
            forms.append({form, form->DataSet()->Name()});
    const auto save = [&directory](TForm* Form, const QString& Name) {
        const QPixmap picture = Form->Widget()->grab();
        EXPECT_FALSE(picture.isNull());
        const QString path = QDir(directory).filePath(Name + QStringLiteral(".png"));
        EXPECT_TRUE(picture.save(path)) << path.toStdString();
    };
    for (const auto& [form, name] : forms)
        save(form, name);
    // The people form once per tab: people-grid.png, people-lookups.png, ...; the grid on
    // the first German speaker, whose passport name is red.
    ASSERT_NE(FormPeople, nullptr);
    DM1->TbPeople->Locate(QStringLiteral("Lang"), 2, {});
    for (int i = 0; i < FormPeople->PageControl1->PageCount(); ++i) {
        TTabSheet* page = FormPeople->PageControl1->Pages(i);
        FormPeople->PageControl1->SetActivePage(page);
        QCoreApplication::processEvents();
        save(FormPeople,
             QStringLiteral("people-") + page->Caption().toLower().replace(QLatin1Char(' '), '-'));
    }
}

} // namespace
