#include "ExampleFixture.h"

#include <QApplication>
#include <QImage>
#include <QTabBar>
#include <QTest>
#include <Unit2.h>
#include <clone/KroClone.h>
#include <controls/KroContr.h>
#include <controls/KroPages.h>
#include <controls/KroPopup.h>
#include <dataset/KroSql.h>
#include <dataset/KroTable.h>
#include <fields/KroListCombo.h>
#include <fields/KroLookCombo.h>
#include <filter/Filter.h>
#include <filter/FilterDialogSteps.h>
#include <grid/KroGrid.h>
#include <rich/KroRich.h>
#include <rtl/Exceptions.h>
#include <rtl/Font.h>
#include <ui/Buttons.h>
#include <ui/DBCtrls.h>
#include <ui/ScriptedResponder.h>

namespace {

using namespace FilterDialogSteps;

void ProcessEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

qint64 Count(const QString& Sql) {
    return GetFromSQLText(DemoAlias, Sql, false).toLongLong();
}

// The program started, its people form opened by "Main form" and active.
class PeopleForm : public ExampleFixture {
protected:
    void SetUp() override {
        ExampleFixture::SetUp();
        StartExample({Dir.path(), {}});
        Form1->Show();
        QTest::mouseClick(Form1->SpeedButton1->Widget(), Qt::LeftButton);
        ASSERT_NE(FormPeople, nullptr) << qPrintable(Responder.Shown().value(0).Text);
        Form = FormPeople;
        Activate(Form);
        TabBar = Form->PageControl1->Widget()->findChild<QTabBar*>();
        ASSERT_NE(TabBar, nullptr);
    }
    // As the window system would: its window gets the focus and the window is active.
    static void Activate(TForm* Window) {
        Window->Widget()->activateWindow();
        QApplication::setActiveWindow(Window->Widget());
        ProcessEvents();
    }
    // The text under the names in the grid's total row.
    QString Total() const { return Form->KroDbGrid->TotalList()->Value(QStringLiteral("Name")); }
    static QString CountText(qint64 People) {
        return QStringLiteral("Count: ") + QString::number(People);
    }
    void ClickTab(TTabSheet* Sheet) {
        QTest::mouseClick(TabBar, Qt::LeftButton, {}, TabBar->tabRect(Sheet->PageIndex()).center());
        ProcessEvents();
    }
    // Makes, in the filter dialog, the filter of the people whose names come before Name.
    void FilterNamesBefore(const QString& Name) {
        FilterBy(QStringLiteral("Before ") + Name, {}, QStringLiteral("Name"), QStringLiteral("<"),
                 Name);
    }
    // Makes, in the filter dialog, the filter called Name of one condition: Field of the
    // dataset with the caption DataSet (the people when empty), Operation, Value.
    void FilterBy(const QString& Name, const QString& DataSet, const QString& Field,
                  const QString& Operation, const QString& Value) {
        if (!Form->SBFilterPanel->Down())
            QTest::mouseClick(Form->SBFilterPanel->Widget(), Qt::LeftButton);
        Responder.Answer([=](TForm* Dialog) {
            auto& filter = *static_cast<TFormFilter*>(Dialog);
            Activate(&filter);
            Click(filter.SBAdd);
            Type(filter.EditFilterName, Name);
            Click(filter.SBAddCond);
            ASSERT_EQ(filter.RowCount(), 1);
            if (!DataSet.isEmpty())
                Choose(filter.Row(0)->DataSetBox, DataSet);
            Choose(filter.Row(0)->FieldBox, Field);
            Choose(filter.Row(0)->OperationBox, Operation);
            Type(qobject_cast<TWinControl*>(filter.Row(0)->Editor), Value);
            QTest::mouseClick(filter.BitBtnSet->Widget(), Qt::LeftButton);
        });
        QTest::mouseClick(Form->SBFilterEdit->Widget(), Qt::LeftButton);
        ProcessEvents();
    }
    // Appends a person called Name with the next free id to DataSet and posts it.
    static void PostNewPerson(TDataSet* DataSet, const QString& Name) {
        const qint64 next = Count(QStringLiteral("Select Max(id)+1 from People.db"));
        DataSet->Append();
        DataSet->FieldByName(QStringLiteral("id"))->SetAsInteger(int(next));
        DataSet->FieldByName(QStringLiteral("Name"))->SetAsString(Name);
        DataSet->Post();
    }
    static qint64 AllPeople() { return Count(QStringLiteral("Select Count(*) from People.db")); }
    // The cell of the passport name on the grid's current row, with the name column
    // selected so that the cell is drawn as any other.
    QRect PassportCell() const {
        TKroDbGrid* grid = Form->KroDbGrid;
        grid->SetSelectedField(DM1->TbPeople->FieldByName(QStringLiteral("Name")));
        for (int i = 0; i < grid->Columns()->Count(); ++i)
            if (grid->Columns()->Items(i)->FieldName() == QLatin1String("Pasport"))
                return grid->CellRect(i + grid->IndicatorOffset(), grid->Row());
        return {};
    }
    // Moves to the first person of language Lang with a passport name.
    void GoToLanguage(int Lang) {
        const Variant id = GetFromSQLText(
            DemoAlias,
            QStringLiteral("Select Min(id) from People.db where Lang = %1 and Pasport <> ''")
                .arg(Lang),
            false);
        ASSERT_TRUE(id.isValid()) << "a person of language " << Lang;
        ASSERT_TRUE(DM1->TbPeople->Locate(QStringLiteral("id"), id, {}));
        Form->KroDbGrid->Widget()->repaint();
    }
    static int RedPixels(const QImage& Image, const QRect& Area) {
        int count = 0;
        for (int y = Area.top(); y <= Area.bottom(); ++y)
            for (int x = Area.left(); x <= Area.right(); ++x) {
                const QColor c = Image.pixelColor(x, y);
                count += c.red() > 160 && c.green() < 90 && c.blue() < 90;
            }
        return count;
    }

    TScriptedResponder Responder;
    TFormPeople* Form = nullptr;
    QTabBar* TabBar = nullptr;
};

TEST_F(PeopleForm, MainFormOpensOneFormAndASecondClickBringsItForward) {
    EXPECT_TRUE(Form->Widget()->isVisible());
    EXPECT_EQ(Form->Caption(), QStringLiteral("People"));
    EXPECT_EQ(EditForms(), QList<TFormDB*>{Form});
    QStringList tabs;
    for (int i = 0; i < TabBar->count(); ++i)
        tabs << TabBar->tabText(i);
    EXPECT_EQ(tabs, QStringList({"Grid", "Lookups", "Data Master", "Call Edit Forms", "ListField",
                                 "Popup", "Design", "Other"}));
    EXPECT_EQ(Form->KroDbGrid->DataSource()->DataSet(), DM1->TbPeople);
    EXPECT_EQ(DM1->TbJob->MasterSource(), Form->DataSource1) << "the jobs follow the form";

    Activate(Form1);
    ASSERT_EQ(Screen()->ActiveForm(), Form1);
    QTest::mouseClick(Form1->SpeedButton1->Widget(), Qt::LeftButton);
    ProcessEvents();
    EXPECT_EQ(EditForms(), QList<TFormDB*>{Form});
    EXPECT_EQ(Screen()->ActiveForm(), Form) << "brought forward";

    // Closing hides the form; the button shows the same one again.
    Form->Close();
    ProcessEvents();
    EXPECT_FALSE(Form->Widget()->isVisible());
    QTest::mouseClick(Form1->SpeedButton1->Widget(), Qt::LeftButton);
    EXPECT_EQ(FormPeople, Form);
    EXPECT_TRUE(Form->Widget()->isVisible());
}

TEST_F(PeopleForm, TheCountInTheTotalRowFollowsFiltersPostsAndDeletes) {
    const qint64 all = Count(QStringLiteral("Select Count(*) from People.db"));
    ASSERT_GT(all, 0);
    EXPECT_EQ(Total(), CountText(all)) << "counted as the form became active";

    FilterNamesBefore(QStringLiteral("D"));
    const qint64 before = Count(QStringLiteral("Select Count(*) from People.db where Name < 'D'"));
    ASSERT_GT(before, 0);
    ASSERT_LT(before, all);
    EXPECT_EQ(Form->EFilter->FilterMode(), 1);
    EXPECT_EQ(Total(), CountText(before));
    EXPECT_TRUE(Responder.Shown().size() == 1) << "the filter dialog only";

    QTest::mouseClick(Form->SBFilterNone->Widget(), Qt::LeftButton);
    EXPECT_EQ(Total(), CountText(all));
    QTest::mouseClick(Form->SBFilterSet->Widget(), Qt::LeftButton);
    EXPECT_EQ(Total(), CountText(before));

    // A person posted or deleted is counted at once.
    TKroTable* people = DM1->TbPeople;
    people->Append();
    people->FieldByName(QStringLiteral("id"))->SetAsInteger(int(all) + 1000);
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Aaron Abbot"));
    people->Post();
    EXPECT_EQ(Total(), CountText(before + 1));
    ASSERT_TRUE(people->Locate(QStringLiteral("id"), int(all) + 1000, {}));
    people->Delete();
    EXPECT_EQ(Total(), CountText(before));
}

TEST_F(PeopleForm, WithoutAFilterTheCountFollowsNewAndDeletedPeopleAndFailedPosts) {
    const qint64 all = AllPeople();
    ASSERT_EQ(Total(), CountText(all));
    TKroTable* people = DM1->TbPeople;
    PostNewPerson(people, QStringLiteral("Zoe Zimmer"));
    EXPECT_EQ(AllPeople(), all + 1);
    EXPECT_EQ(Total(), CountText(all + 1));
    const int id = people->FieldByName(QStringLiteral("id"))->AsInteger();

    // A changed person is no new one.
    people->Edit();
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Zoe Zander"));
    people->Post();
    EXPECT_EQ(Total(), CountText(all + 1));

    // A person the database refuses (the id is taken) is not counted, nor is the edit that
    // follows it.
    people->Append();
    people->FieldByName(QStringLiteral("id"))->SetAsInteger(id);
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Zoe Twice"));
    EXPECT_THROW(people->Post(), Exception);
    people->Cancel();
    EXPECT_EQ(AllPeople(), all + 1);
    EXPECT_EQ(Total(), CountText(all + 1));
    ASSERT_TRUE(people->Locate(QStringLiteral("id"), id, {}));
    people->Edit();
    people->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Zoe Zimmer"));
    people->Post();
    EXPECT_EQ(Total(), CountText(all + 1));

    people->Delete();
    EXPECT_EQ(AllPeople(), all);
    EXPECT_EQ(Total(), CountText(all));

    // People added elsewhere are counted when the form becomes active again.
    AddDemoPeople(DemoAlias, 2);
    Activate(Form1);
    Activate(Form);
    EXPECT_EQ(Total(), CountText(all + 2));
    PostNewPerson(people, QStringLiteral("Zoe Zimmer"));
    EXPECT_EQ(Total(), CountText(all + 3));
}

TEST_F(PeopleForm, APersonPostedUnderAFilterOnTheJobsIsCountedByTheFilter) {
    const qint64 all = AllPeople();
    const QString company =
        GetFromSQLText(DemoAlias, QStringLiteral("Select Min(Company) from Job.db"), false)
            .toString();
    ASSERT_FALSE(company.isEmpty());
    const QString employed = QStringLiteral("Select Count(*) from People.db p where Exists "
                                            "(Select * from Job.db j where j.People = p.id and "
                                            "j.Company = '%1')")
                                 .arg(company);
    const qint64 working = Count(employed);
    ASSERT_GT(working, 0);
    ASSERT_LT(working, all);

    FilterBy(QStringLiteral("At ") + company, QStringLiteral("Jobs"), QStringLiteral("Company"),
             QStringLiteral("="), company);
    ASSERT_NE(Form->EFilter->FilterMode(), 0) << qPrintable(Responder.Shown().value(1).Text);
    TDataSet* shown = Form->KroDbGrid->DataSource()->DataSet();
    ASSERT_NE(shown, DM1->TbPeople) << "the extract query shows the people";
    EXPECT_EQ(shown->RecordCount(), working);
    EXPECT_EQ(Total(), CountText(working));

    // A person posted to the table behind the query has no jobs yet: the filter leaves it
    // out of the count.
    PostNewPerson(DM1->TbPeople, QStringLiteral("Zoe Zimmer"));
    EXPECT_EQ(AllPeople(), all + 1);
    EXPECT_EQ(Total(), CountText(working));

    QTest::mouseClick(Form->SBFilterNone->Widget(), Qt::LeftButton);
    EXPECT_EQ(Form->KroDbGrid->DataSource()->DataSet(), DM1->TbPeople);
    EXPECT_EQ(Total(), CountText(all + 1));
    ASSERT_TRUE(DM1->TbPeople->Locate(QStringLiteral("Name"), QStringLiteral("Zoe Zimmer"), {}));
    DM1->TbPeople->Delete();
    EXPECT_EQ(Total(), CountText(all));
    EXPECT_EQ(AllPeople(), all);
}

TEST_F(PeopleForm, TheOtherTabSwitchesTheFilterOff) {
    FilterNamesBefore(QStringLiteral("D"));
    ASSERT_EQ(Form->EFilter->FilterMode(), 1);
    ClickTab(Form->KroTabSExtracts);
    EXPECT_EQ(Form->EFilter->FilterMode(), 1) << "other tabs keep the filter";
    ClickTab(Form->KroTabSheet1);
    EXPECT_EQ(Form->PageControl1->ActivePage(), Form->KroTabSheet1);
    EXPECT_EQ(Form->EFilter->FilterMode(), 0);
    EXPECT_TRUE(Form->SBFilterNone->Down());
    EXPECT_EQ(Total(), CountText(Count(QStringLiteral("Select Count(*) from People.db"))));
}

TEST_F(PeopleForm, PassportNamesTakeTheColoursAndFontOfTheLanguage) {
    const TColor background = Form->KroDbGrid->Color();
    GoToLanguage(2);
    QRect cell = PassportCell();
    ASSERT_FALSE(cell.isEmpty()) << "the passport column is in sight";
    QImage image = Form->KroDbGrid->Widget()->grab().toImage();
    EXPECT_GT(RedPixels(image, cell), 10) << "German passport names are red";
    EXPECT_EQ(image.pixelColor(cell.topLeft() + QPoint(1, 1)), ColorToQColor(background));

    GoToLanguage(6);
    cell = PassportCell();
    image = Form->KroDbGrid->Widget()->grab().toImage();
    EXPECT_EQ(image.pixelColor(cell.topLeft() + QPoint(1, 1)), QColor(255, 255, 192))
        << "Portuguese ones on light yellow";
    EXPECT_EQ(RedPixels(image, cell), 0);

    GoToLanguage(1);
    cell = PassportCell();
    image = Form->KroDbGrid->Widget()->grab().toImage();
    EXPECT_EQ(image.pixelColor(cell.topLeft() + QPoint(1, 1)), ColorToQColor(background));
    EXPECT_EQ(RedPixels(image, cell), 0);

    // The font is the one of the person's language; other columns keep the grid's.
    TField* passport = DM1->TbPeople->FieldByName(QStringLiteral("Pasport"));
    TFont font;
    GoToLanguage(2);
    Form->KroDbGrid->OnSetFont()(Form->KroDbGrid, passport, &font);
    EXPECT_EQ(font.Name(), QStringLiteral("URW Gothic"));
    TFont other;
    const QString name = other.Name();
    Form->KroDbGrid->OnSetFont()(Form->KroDbGrid, DM1->TbPeople->FieldByName("Name"), &other);
    EXPECT_EQ(other.Name(), name);
}

TEST_F(PeopleForm, CloningAPersonCopiesTheJobsUnderTheNextId) {
    ClickTab(Form->KroTabSheet1);
    const Variant person = GetFromSQLText(
        DemoAlias, QStringLiteral("Select People from Job.db group by People having Count(*) > 1"),
        false);
    ASSERT_TRUE(person.isValid()) << "someone with two jobs";
    ASSERT_TRUE(DM1->TbPeople->Locate(QStringLiteral("id"), person, {}));
    const QString name = DM1->TbPeople->FieldByName(QStringLiteral("Name"))->AsString();
    const qint64 next = Count(QStringLiteral("Select Max(id)+1 from People.db"));
    const QString jobsOf = QStringLiteral("Select Count(*) from Job.db where People = %1");
    const qint64 jobs = Count(jobsOf.arg(person.toInt()));
    EXPECT_EQ(Form->GridCloneJobs->DataSource()->DataSet()->RecordCount(), jobs);
    const qint64 all = Count(QStringLiteral("Select Count(*) from People.db"));

    Responder.Answer(mrOk);
    Responder.Answer(mrOk);
    QTest::mouseClick(Form->Button1->Widget(), Qt::LeftButton);
    ProcessEvents();
    ASSERT_EQ(Responder.Shown().size(), 2);
    EXPECT_EQ(Responder.Shown()[0].Text, QStringLiteral("People\nClone?"));
    EXPECT_EQ(Responder.Shown()[1].Text, QStringLiteral("Jobs\nClone?"));
    EXPECT_EQ(DM1->TbPeople->FieldByName(QStringLiteral("id"))->AsInteger(), next)
        << "the grid shows the copy";
    EXPECT_EQ(DM1->TbPeople->FieldByName(QStringLiteral("Name"))->AsString(), name);
    EXPECT_EQ(Count(jobsOf.arg(next)), jobs);
    EXPECT_EQ(Count(QStringLiteral("Select Count(*) from Job.db a, Job.db b where a.People = %1 "
                                   "and b.People = %2 and a.Company = b.Company")
                        .arg(next)
                        .arg(person.toInt())),
              jobs);
    EXPECT_EQ(Form->GridCloneJobs->DataSource()->DataSet()->RecordCount(), jobs);
    EXPECT_EQ(Total(), CountText(all + 1));

    // Cancelling the question leaves the people as they are.
    Responder.Answer(mrCancel);
    QTest::mouseClick(Form->Button1->Widget(), Qt::LeftButton);
    EXPECT_EQ(Count(QStringLiteral("Select Count(*) from People.db")), all + 1);
}

TEST_F(PeopleForm, TheLookupsTabShowsItsCombosAndCountsTheListsOpened) {
    ClickTab(Form->TabSheet1);
    EXPECT_EQ(Form->LookupUnbound->Text(), QStringLiteral("99")) << "a key no language has";
    EXPECT_TRUE(Form->LookupUnbound->KeyText(99).isEmpty());
    const QString language = DM1->TbPeople->FieldByName(QStringLiteral("LangName"))->AsString();
    EXPECT_TRUE(language.endsWith(Form->LookupLangName->Text())) << language.toStdString();
    EXPECT_EQ(Form->LookupLangKey->Text(), Form->LookupLangName->Text());
    EXPECT_TRUE(Form->TextLangName->Caption().contains(Form->LookupLangName->Text()));

    for (TKroDBLookupCombo* combo : {Form->LookupLangKey, Form->LookupLangCodeName}) {
        combo->SetFocus();
        QTest::keyClick(combo->Widget(), Qt::Key_Down, Qt::AltModifier);
        EXPECT_TRUE(combo->DroppedDown());
        QTest::keyClick(combo->Widget(), Qt::Key_Escape);
    }
    EXPECT_EQ(Form->LookupLangKey->Hint(), QStringLiteral("You open this list 1 time"));
    EXPECT_EQ(Form->LookupLangCodeName->Hint(), QStringLiteral("You open this list 2 time"));
    EXPECT_EQ(Form->DropDownCount(), 2);

    // Alt+F1 on a combo over the language list opens the languages table to pick from.
    Responder.Answer(mrCancel);
    Form->LookupUnbound->SetFocus();
    QTest::keyClick(Form->LookupUnbound->Widget(), Qt::Key_F1, Qt::AltModifier);
    ASSERT_EQ(Responder.Shown().size(), 1);
    EXPECT_EQ(Responder.Shown()[0].FormClass, QStringLiteral("TFormBase"));
    EXPECT_EQ(Responder.Shown()[0].Caption, QStringLiteral("Languages"));
    EXPECT_EQ(Form->LookupUnbound->Text(), QStringLiteral("99"));
}

TEST_F(PeopleForm, TheProfessionListStartsFromTheTopOfTheTree) {
    ClickTab(Form->TabSheet1);
    TKroDBLookupCombo* combo = Form->LookupProfession;
    const QString profession = combo->Text();
    EXPECT_FALSE(profession.isEmpty());
    EXPECT_TRUE(
        DM1->TbPeople->FieldByName(QStringLiteral("ProfName"))->AsString().endsWith(profession));
    combo->SetFocus();
    QTest::keyClick(combo->Widget(), Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(combo->DroppedDown());
    EXPECT_EQ(combo->ListDataSet()->RecordCount(),
              Count(QStringLiteral("Select Count(*) from Prof.db where IdUp is null")));
    EXPECT_GT(combo->ListDataSet()->RecordCount(), 0);
    QTest::keyClick(combo->Widget(), Qt::Key_Escape);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->Text(), profession) << "the person's profession is shown again";
}

TEST_F(PeopleForm, TheDetailGridsShowTheJobsOfThePersonChosen) {
    ClickTab(Form->KroTabSExtracts);
    TDataSet* jobs = Form->GridDetail->DataSource()->DataSet();
    ASSERT_EQ(jobs, DM1->TbJob);
    const QString jobsOf = QStringLiteral("Select Count(*) from Job.db where People = %1");
    for (int step = 0; step < 3; ++step) {
        const int id = DM1->TbPeople->FieldByName(QStringLiteral("id"))->AsInteger();
        EXPECT_EQ(jobs->RecordCount(), Count(jobsOf.arg(id))) << id;
        Form->GridMaster->SetFocus();
        QTest::keyClick(Form->GridMaster->Widget(), Qt::Key_Down);
    }
}

TEST_F(PeopleForm, TheListAndPopupTabsShowThePersonsFields) {
    ClickTab(Form->KroTabSList);
    const QString sex = DM1->TbPeople->FieldByName(QStringLiteral("Sex"))->AsString();
    EXPECT_TRUE(sex == QLatin1String("Male") || sex == QLatin1String("Female"));
    EXPECT_EQ(Form->ComboSex->Text(), sex);

    ClickTab(Form->KroTabSPopup);
    const Variant withText = GetFromSQLText(
        DemoAlias,
        QStringLiteral("Select Min(id) from People.db where Rich is not null and Info is not null"),
        false);
    ASSERT_TRUE(withText.isValid());
    ASSERT_TRUE(DM1->TbPeople->Locate(QStringLiteral("id"), withText, {}));
    EXPECT_EQ(Form->MemoInfo->Text(),
              DM1->TbPeople->FieldByName(QStringLiteral("Info"))->AsString());
    EXPECT_EQ(Form->EditName->Text(),
              DM1->TbPeople->FieldByName(QStringLiteral("Name"))->AsString());
    EXPECT_EQ(Form->EditName->PopupMenu(), PopupMenuKroDBFieldControls());
    EXPECT_EQ(Form->MemoInfo->PopupMenu(), PopupMenuKroDBMemo());
    EXPECT_EQ(Form->RichEdit->PopupMenu(), PopupMenuKroDBRichEdit());
    EXPECT_EQ(Form->ImagePhoto->PopupMenu(), PopupMenuKroDBImage());
    EXPECT_FALSE(Form->RichEdit->Text().trimmed().isEmpty()) << "the person's formatted text";
}

} // namespace
