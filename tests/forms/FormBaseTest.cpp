#include "PeopleDatabase.h"
#include "forms/ActiveForm.h"

#include <QApplication>
#include <QPointer>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <controls/ControlClasses.h>
#include <controls/KroPages.h>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Field.h>
#include <filter/KroFilt.h>
#include <forms/FormsClasses.h>
#include <forms/fBase.h>
#include <grid/GridClasses.h>
#include <grid/KroGrid.h>
#include <gtest/gtest.h>
#include <search/SearchClasses.h>
#include <ui/Application.h>
#include <ui/Buttons.h>
#include <ui/DBCtrls.h>
#include <ui/ExtCtrls.h>
#include <ui/Menus.h>
#include <ui/Screen.h>
#include <ui/ScriptedResponder.h>
#include <ui/StdCtrls.h>

namespace {

constexpr int PeopleRows = 12;

void Click(TControl* Control) {
    QTest::mouseClick(Control->Widget(), Qt::LeftButton);
    ProcessEvents();
}

bool NavigatorButtonShown(TDBNavigator* Navigator, const char* Name) {
    auto* button = Navigator->Widget()->findChild<QToolButton*>(QString::fromLatin1(Name));
    return button && button->isVisible();
}

class FormBase : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterControlClasses();
        RegisterGridClasses();
        RegisterFilterClasses();
        RegisterFormsClasses();
        RegisterSearchClasses();
        People = NewTable(QStringLiteral("People.db"), QStringLiteral("People"));
        Countries = NewTable(QStringLiteral("Country.db"), QStringLiteral("Countries"));
        FormDBReturn = false;
    }

    void TearDown() override {
        for (int i = Screen()->FormCount() - 1; i >= 0; --i)
            if (qobject_cast<TFormDB*>(Screen()->Forms(i)))
                delete Screen()->Forms(i);
    }

    TKroTable* NewTable(const QString& Name, const QString& Caption) {
        auto* table = new TKroTable(&Module);
        table->SetDatabaseName(Db.Alias());
        table->SetTableName(Name);
        table->SetCaption(Caption);
        return table;
    }

    // A base form over DataSet with Options, shown and active.
    TFormBase* ShowForm(TDataSet* DataSet, TFormDBOptions Options) {
        auto* form = new TFormBase(Application());
        form->SetOptions(Options);
        form->SetDataSet(DataSet);
        form->AdjustFormWidth();
        form->Show();
        Activate(form);
        return form;
    }

    TPeopleDatabase Db{PeopleRows};
    TComponent Module;
    TKroTable* People = nullptr;
    TKroTable* Countries = nullptr;
};

} // namespace

TEST_F(FormBase, ANarrowTableShowsOnlyTheGrid) {
    QPointer<TFormBase> form = ShowFormDB<TFormBase>(Countries, tsShow);
    ASSERT_TRUE(form);
    Activate(form);
    EXPECT_EQ(form->Caption(), QStringLiteral("Countries"));
    EXPECT_EQ(form->PageControl1->PageCount(), 1);
    EXPECT_FALSE(form->TabSGrid->TabVisible()) << "no tabs";
    EXPECT_FALSE(form->RecordPage());
    EXPECT_TRUE(form->KroDbGrid->Widget()->isVisible());
    EXPECT_EQ(form->KroDbGrid->DataSource()->DataSet(), Countries);
    EXPECT_EQ(form->ActiveControl(), form->KroDbGrid);
    EXPECT_EQ(form->DBNav->Hints()->Count(), 10);
    EXPECT_FALSE(form->BitBtnOk->Visible()) << "nothing to return to";
    EXPECT_FALSE(form->FilterPanel->Visible());
}

TEST_F(FormBase, AMemoOrAnOptionAddsARecordPage) {
    TFormBase* people = ShowFormDB<TFormBase>(People, tsShow);
    ASSERT_EQ(people->PageControl1->PageCount(), 2) << "the notes are a memo";
    EXPECT_TRUE(people->TabSGrid->TabVisible());
    ASSERT_TRUE(people->RecordPage());
    EXPECT_EQ(people->RecordPage()->Caption(), QStringLiteral("Record"));
    EXPECT_EQ(people->RecordBox()->Parent(), people->RecordPage());
    EXPECT_FALSE(people->RecordBox()->Font()->Style().Contains(fsBold));
    EXPECT_EQ(people->RecordBox()->ControlCount(), 2 * People->FieldCount())
        << "a label and a control per field";
    QSet<int> rows;
    for (int i = 0; i < people->RecordBox()->ControlCount(); ++i)
        rows.insert(people->RecordBox()->Controls(i)->Top());
    EXPECT_LT(rows.size(), People->FieldCount()) << "more than five fields share rows";
    // Adjusting again adds no second page.
    people->AdjustFormWidth();
    EXPECT_EQ(people->PageControl1->PageCount(), 2);

    // A narrow table asked for the page gets it; read-only, its font is bold.
    TFormBase* countries = ShowForm(Countries, {foPageOneRecord, foDataReadOnly});
    ASSERT_TRUE(countries->RecordPage());
    EXPECT_TRUE(countries->RecordBox()->Font()->Style().Contains(fsBold));
    EXPECT_EQ(countries->RecordBox()->ControlCount(), 4);
}

TEST_F(FormBase, AReadOnlyFormHidesTheNavigatorsEditingButtons) {
    TFormBase* editing = ShowForm(Countries, {foAutoWidth});
    EXPECT_TRUE(NavigatorButtonShown(editing->DBNav, "nbInsert"));
    EXPECT_TRUE(editing->KroDbGrid->Options().Contains(dgEditing));
    delete editing;

    TFormBase* form = ShowForm(Countries, {foDataReadOnly, foAutoWidth});
    for (const char* shown : {"nbFirst", "nbPrior", "nbNext", "nbLast", "nbRefresh"})
        EXPECT_TRUE(NavigatorButtonShown(form->DBNav, shown)) << shown;
    for (const char* hidden : {"nbInsert", "nbDelete", "nbEdit", "nbPost", "nbCancel"})
        EXPECT_FALSE(NavigatorButtonShown(form->DBNav, hidden)) << hidden;
    EXPECT_FALSE(form->KroDbGrid->Options().Contains(dgEditing));
    EXPECT_TRUE(Countries->ReadOnly());
}

TEST_F(FormBase, ReturnIsOfferedOnlyWhenAValueIsPicked) {
    TFieldReturn key;
    key.SetKeyFieldName(QStringLiteral("Id"));
    key.SetValue(2);
    TScriptedResponder responder;
    bool returnShown = false;
    responder.Answer([&](TForm* Form) {
        auto* form = qobject_cast<TFormBase*>(Form);
        ASSERT_TRUE(form);
        Activate(form);
        returnShown = form->BitBtnOk->Widget()->isVisible();
        form->KroDbGrid->SetFocus();
        QTest::keyClick(form->KroDbGrid->Widget(), Qt::Key_Down);
        Click(form->BitBtnOk);
    });
    ShowFormDB<TFormBase>(Countries, tsSelect, &key);
    EXPECT_EQ(responder.PendingAnswers(), 0);
    EXPECT_TRUE(returnShown);
    EXPECT_TRUE(FormDBReturn);
    EXPECT_EQ(key.Value().toInt(), 3) << "the record below the one asked for";

    ProcessEvents(); // the form closed is freed

    // Shown modally without a key to return: no Return button.
    returnShown = true;
    responder.Answer([&](TForm* Form) {
        Activate(Form);
        returnShown = static_cast<TFormBase*>(Form)->BitBtnOk->Widget()->isVisible();
        Form->SetModalResult(mrCancel);
    });
    ShowFormDB<TFormBase>(Countries, tsSelect);
    EXPECT_FALSE(returnShown);
}

TEST_F(FormBase, TheFilterBarFollowsAWholeFilterCycle) {
    TFormBase* form = ShowForm(People, {foAutoWidth});
    ASSERT_FALSE(form->FilterPanel->Visible());
    Click(form->SBFilterPanel);
    ASSERT_TRUE(form->FilterPanel->Widget()->isVisible());
    EXPECT_EQ(form->FilterPanel->Height(), 28);

    // No filters yet: only "off" and editing.
    EXPECT_TRUE(form->SBFilterNone->Down());
    EXPECT_FALSE(form->SBFilterSet->Enabled());
    EXPECT_FALSE(form->ComboBoxFilterList->Enabled());
    EXPECT_FALSE(form->SBFilterExternalSet->Enabled()) << "no basic filter";
    EXPECT_EQ(form->ComboBoxFilterList->Hint(), QStringLiteral("List of filters"));

    TKroFilter* filter = form->EFilter;
    for (const auto& [name, country] : {std::pair{"Second country", 2}, {"Third country", 3}}) {
        filter->AddFilter();
        filter->Current()->Name = QString::fromLatin1(name);
        filter->AddCondition();
        TConditionItem* condition = filter->Current()->Conditions.Last();
        condition->FieldName = QStringLiteral("Country");
        condition->Operation = QStringLiteral("=");
        condition->Value = country;
    }
    form->UpdateFilterControls();
    EXPECT_EQ(form->ComboBoxFilterList->Items()->Count(), 2);
    EXPECT_EQ(form->ComboBoxFilterList->Text(), QStringLiteral("Third country"));
    EXPECT_EQ(form->ComboBoxFilterList->Hint(),
              QStringLiteral("List of filters\nCurrent filter: Third country"));
    EXPECT_TRUE(form->SBFilterSet->Enabled());

    // The user picks the first filter and sets it.
    form->ComboBoxFilterList->SetFocus();
    QTest::keyClick(form->ComboBoxFilterList->Widget(), Qt::Key_Up);
    ProcessEvents();
    EXPECT_EQ(filter->CurrentFilter(), 0);
    EXPECT_EQ(form->ComboBoxFilterList->Hint(),
              QStringLiteral("List of filters\nCurrent filter: Second country"));
    Click(form->SBFilterSet);
    EXPECT_EQ(filter->FilterMode(), 1);
    EXPECT_TRUE(form->SBFilterSet->Down());
    EXPECT_FALSE(form->SBFilterNone->Down());
    EXPECT_EQ(People->RecordCount(), PeopleRows / 3) << "countries cycle through three";

    Click(form->SBFilterNone);
    EXPECT_EQ(filter->FilterMode(), 0);
    EXPECT_TRUE(form->SBFilterNone->Down());
    EXPECT_EQ(People->RecordCount(), PeopleRows);

    Click(form->SBFilterPanel);
    EXPECT_FALSE(form->FilterPanel->Widget()->isVisible());
}

TEST_F(FormBase, AnOptionMakesThePageControlMakeRoomForTheFilterBar) {
    for (const bool option : {false, true}) {
        SCOPED_TRACE(option ? "foPC1ChangeSize" : "without the option");
        TFormDBOptions options{foAutoWidth};
        if (option)
            options.Include(foPC1ChangeSize);
        TFormBase* form = ShowForm(People, options);
        // A descendant that places the page control itself rather than filling the form.
        form->PageControl1->SetAlign(alNone);
        const int height = form->PageControl1->Height();
        int lockedResizes = 0;
        form->PageControl1->SetOnResize([&](TObject*) { lockedResizes += form->UpdatesLocked(); });

        Click(form->SBFilterPanel);
        EXPECT_EQ(form->PageControl1->Height(), option ? height - 28 : height);
        Click(form->SBFilterPanel);
        EXPECT_EQ(form->PageControl1->Height(), height);
        EXPECT_EQ(lockedResizes, option ? 2 : 0) << "painting is held while the page resizes";
        EXPECT_FALSE(form->UpdatesLocked());
        delete form;
    }
}

TEST_F(FormBase, TheToolsMenuRefreshesAndSetsUpThePrinter) {
    TFormBase* form = ShowForm(Countries, {foAutoWidth});
    const int before = Countries->RecordCount();
    TTable* other = Db.NewTable(QStringLiteral("Country.db"), &Module);
    other->Open();
    other->Append();
    other->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Added elsewhere"));
    other->Post();
    EXPECT_EQ(Countries->RecordCount(), before) << "not seen before a refresh";
    form->ItemRefresh->Click();
    EXPECT_EQ(Countries->RecordCount(), before + 1);

    TScriptedResponder responder;
    responder.Answer(mrCancel);
    form->ItemPrinterSetup->Click();
    ASSERT_EQ(responder.Shown().size(), 1);
    EXPECT_EQ(responder.Shown()[0].FormClass, QStringLiteral("TPrinterSetupDialog"));
}

TEST_F(FormBase, TheSearchButtonFindsARecordByTheSortingFields) {
    Countries->SetIndexFieldNames(QStringLiteral("Name"));
    TFormBase* form = ShowForm(Countries, {foAutoWidth});
    const QString wanted = Countries->FieldByName(QStringLiteral("Name"))->AsString();
    Countries->Last();
    ASSERT_NE(Countries->FieldByName(QStringLiteral("Name"))->AsString(), wanted);
    TScriptedResponder responder;
    QString caption;
    responder.Answer([&](TForm* Dialog) {
        caption = Dialog->Caption();
        auto* editor = qobject_cast<TWinControl*>(Dialog->ActiveControl());
        ASSERT_TRUE(editor);
        QTest::keyClicks(editor->Widget(), wanted);
        Dialog->SetModalResult(mrOk);
    });
    Click(form->SpeedButton1);
    EXPECT_EQ(responder.PendingAnswers(), 0);
    EXPECT_TRUE(caption.startsWith(QStringLiteral("Search by sorting fields: ")))
        << caption.toStdString();
    EXPECT_EQ(Countries->FieldByName(QStringLiteral("Name"))->AsString(), wanted);
}

TEST_F(FormBase, DatasetsWithoutAnEditFormOfTheirOwnShowInABaseForm) {
    ASSERT_TRUE(DefaultEditFormHook);
    Countries->Open();
    TScriptedResponder responder;
    QString shownClass;
    responder.Answer([&](TForm* Form) {
        shownClass = Form->ClassName();
        Form->SetModalResult(mrOk);
    });
    DefaultEditFormHook(Countries);
    EXPECT_EQ(shownClass, QStringLiteral("TFormBase"));
    EXPECT_TRUE(FormDBReturn);
}
