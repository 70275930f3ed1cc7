#include "PeopleDatabase.h"

#include <QApplication>
#include <QTabBar>
#include <QTest>
#include <controls/ControlClasses.h>
#include <controls/KroPages.h>
#include <db/DataSource.h>
#include <db/Field.h>
#include <gtest/gtest.h>
#include <rtl/Streaming.h>
#include <ui/DBCtrls.h>
#include <ui/DBGrids.h>
#include <ui/Forms.h>

namespace {

// People on a first page; their jobs in a grid on a second, hidden page; an inner page
// control on a third page whose active inner page holds a second jobs grid; a page with a
// field edit only.
const char* PagesFormText = R"(
object PagesForm: TForm
  Width = 500
  Height = 300
  object Pages: TKroPageControl
    Align = alClient
    ActivePage = PeopleSheet
    object PeopleSheet: TKroTabSheet
      Caption = 'People'
      object PeopleGrid: TDBGrid
        Align = alClient
        DataSource = PeopleSource
      end
    end
    object JobsSheet: TKroTabSheet
      Caption = 'Jobs'
      TurnSource = True
      TurnMasterSource = True
      object JobsGrid: TDBGrid
        Align = alClient
        DataSource = JobsSource
      end
    end
    object NestedSheet: TKroTabSheet
      Caption = 'Nested'
      object InnerPages: TKroPageControl
        Align = alClient
        ActivePage = InnerJobs
        object InnerJobs: TKroTabSheet
          Caption = 'Inner jobs'
          TurnSource = True
          object InnerGrid: TDBGrid
            Align = alClient
            DataSource = InnerSource
          end
        end
        object InnerOther: TKroTabSheet
          Caption = 'Inner other'
        end
      end
    end
    object EditSheet: TKroTabSheet
      Caption = 'Edit'
      TurnSource = True
      object NameEdit: TDBEdit
        DataSource = PeopleSource
        DataField = 'Name'
      end
    end
  end
end
)";

template <class T> T* Find(TComponent* Root, const char* Name) {
    return qobject_cast<T*>(Root->FindComponent(QString::fromLatin1(Name)));
}

class KroPages : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterControlClasses();
        People = Db.NewTable(QStringLiteral("People.db"), &Form);
        Jobs = Db.NewTable(QStringLiteral("Job.db"), &Form);
        for (auto [source, name] :
             {std::pair{PeopleSource, "PeopleSource"}, std::pair{JobsSource, "JobsSource"},
              std::pair{InnerSource, "InnerSource"}})
            source->SetName(QString::fromLatin1(name));
        PeopleSource->SetDataSet(People);
        JobsSource->SetDataSet(Jobs);
        InnerSource->SetDataSet(Jobs);
        Jobs->SetIndexFieldNames(QStringLiteral("People;Title"));
        Jobs->SetMasterSource(PeopleSource);
        Jobs->SetMasterFields(QStringLiteral("Id"));
        People->Open();
        Jobs->Open();
        AddJob(1, "Cook");
        AddJob(1, "Baker");
        People->Next();
        AddJob(2, "Pilot");
        People->First();
        JobChanges.SetDataSet(Jobs);
        JobChanges.SetOnDataChange(TDataChangeEvent([this](TObject*, TField*) { ++Changes; }));

        ReadComponentFromText(QString::fromUtf8(PagesFormText), QStringLiteral("pages.form"),
                              &Form);
        Pages = Find<TKroPageControl>(&Form, "Pages");
        JobsSheet = Find<TKroTabSheet>(&Form, "JobsSheet");
        JobsGrid = Find<TDBGrid>(&Form, "JobsGrid");
        ASSERT_TRUE(Pages && JobsSheet && JobsGrid);
        Form.Show();
        QApplication::setActiveWindow(Form.Widget());
        QCoreApplication::processEvents();
    }

    void AddJob(int Person, const char* Title) {
        Jobs->Insert();
        Jobs->FieldByName(QStringLiteral("People"))->SetAsInteger(Person);
        Jobs->FieldByName(QStringLiteral("Title"))->SetAsString(QString::fromLatin1(Title));
        Jobs->Post();
    }

    void ClickTab(TPageControl* Control, int Index) {
        auto* tabs = Control->Widget()->findChild<QTabBar*>();
        ASSERT_TRUE(tabs);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(Index).center());
    }

    // The job titles a grid draws, row by row.
    static QStringList PaintedTitles(TDBGrid* Grid) {
        QStringList titles;
        Grid->SetOnDrawColumnCell(
            TDrawColumnCellEvent([&](TObject*, const QRect&, int, TColumn* Column, TGridDrawState) {
                if (Column->FieldName() == QLatin1String("Title"))
                    titles.append(Column->Field()->DisplayText());
            }));
        Grid->Widget()->repaint();
        Grid->SetOnDrawColumnCell(TDrawColumnCellEvent());
        return titles;
    }

    TPeopleDatabase Db{3};
    TForm Form;
    TTable* People = nullptr;
    TTable* Jobs = nullptr;
    TDataSource* PeopleSource = new TDataSource(&Form);
    TDataSource* JobsSource = new TDataSource(&Form);
    TDataSource* InnerSource = new TDataSource(&Form);
    TDataSource JobChanges; // counts what the jobs table shows
    int Changes = 0;
    TKroPageControl* Pages = nullptr;
    TKroTabSheet* JobsSheet = nullptr;
    TDBGrid* JobsGrid = nullptr;
};

} // namespace

TEST_F(KroPages, ADetailGridOnAHiddenPageFollowsItsMasterOnlyWhenShown) {
    EXPECT_EQ(JobsSheet->TurnControl(), JobsGrid) << "the page's grid is taken when none is named";
    EXPECT_EQ(JobsGrid->DataSource(), nullptr) << "the hidden page starts cut off";
    EXPECT_EQ(Jobs->MasterSource(), nullptr);

    Changes = 0;
    People->Next();
    People->Next();
    People->Prior();
    EXPECT_EQ(Changes, 0) << "scrolling the master re-reads no details";

    ClickTab(Pages, 1);
    ASSERT_EQ(Pages->ActivePage(), JobsSheet);
    EXPECT_EQ(JobsGrid->DataSource(), JobsSource);
    EXPECT_EQ(Jobs->MasterSource(), PeopleSource);
    EXPECT_EQ(PaintedTitles(JobsGrid), QStringList({"Pilot"})) << "the second person's jobs";

    People->First();
    EXPECT_EQ(PaintedTitles(JobsGrid), QStringList({"Baker", "Cook"}));

    // Back to the first page in code: cut off again.
    Pages->SetActivePage(Find<TTabSheet>(&Form, "PeopleSheet"));
    EXPECT_EQ(JobsGrid->DataSource(), nullptr);
    EXPECT_EQ(Jobs->MasterSource(), nullptr);
    Changes = 0;
    People->Next();
    EXPECT_EQ(Changes, 0);
}

TEST_F(KroPages, ASourceTheProgramGaveAHiddenControlIsKept) {
    TDataSource other;
    other.SetDataSet(People);
    JobsGrid->SetDataSource(&other);
    Pages->SetActivePage(JobsSheet);
    EXPECT_EQ(JobsGrid->DataSource(), &other);
    EXPECT_EQ(Jobs->MasterSource(), PeopleSource) << "the master goes back to the jobs";

    // A source destroyed while saved is forgotten.
    Pages->SetActivePageIndex(0);
    ASSERT_EQ(JobsGrid->DataSource(), nullptr);
    JobsGrid->SetDataSource(JobsSource);
    Pages->SetActivePage(JobsSheet);
    Pages->SetActivePageIndex(0);
    delete JobsSource;
    JobsSource = nullptr;
    Pages->SetActivePage(JobsSheet);
    EXPECT_EQ(JobsGrid->DataSource(), nullptr);
}

TEST_F(KroPages, PagesOfANestedPageControlFollowTheOuterPage) {
    auto* nested = Find<TKroTabSheet>(&Form, "NestedSheet");
    auto* innerGrid = Find<TDBGrid>(&Form, "InnerGrid");
    auto* innerPages = Find<TKroPageControl>(&Form, "InnerPages");
    ASSERT_TRUE(nested && innerGrid && innerPages);
    EXPECT_EQ(innerGrid->DataSource(), InnerSource)
        << "the active inner page of a hidden outer page is not cut at loading";

    ClickTab(Pages, 2);
    ASSERT_EQ(Pages->ActivePage(), nested);
    EXPECT_EQ(innerGrid->DataSource(), InnerSource);
    Pages->SetActivePageIndex(0);
    EXPECT_EQ(innerGrid->DataSource(), nullptr) << "hiding the outer page cuts the inner one";
    ClickTab(Pages, 2);
    EXPECT_EQ(innerGrid->DataSource(), InnerSource);

    // The inner pages switch among themselves as well.
    ClickTab(innerPages, 1);
    EXPECT_EQ(innerGrid->DataSource(), nullptr);
    Pages->SetActivePageIndex(0);
    ClickTab(Pages, 2);
    EXPECT_EQ(innerGrid->DataSource(), nullptr) << "the inner grid's page is still hidden";
    ClickTab(innerPages, 0);
    EXPECT_EQ(innerGrid->DataSource(), InnerSource);
}

TEST_F(KroPages, APageWithoutGridOrTurnControlIsNeverSwitched) {
    auto* edit = Find<TDBEdit>(&Form, "NameEdit");
    ASSERT_TRUE(edit);
    EXPECT_EQ(Find<TKroTabSheet>(&Form, "EditSheet")->TurnControl(), nullptr);
    EXPECT_EQ(edit->DataSource(), PeopleSource);
    ClickTab(Pages, 3);
    Pages->SetActivePageIndex(0);
    EXPECT_EQ(edit->DataSource(), PeopleSource);
}

TEST_F(KroPages, ASheetOfAnotherPageControlIsIgnored) {
    TKroPageControl other(&Form);
    auto* foreign = new TKroTabSheet(&Form);
    foreign->SetPageControl(&other);
    Pages->SetActivePage(JobsSheet);
    Pages->SetActivePage(foreign);
    EXPECT_EQ(Pages->ActivePage(), JobsSheet);
    EXPECT_EQ(JobsGrid->DataSource(), JobsSource) << "the shown page stays connected";
}
