#include "PeopleDatabase.h"
#include "forms/ActiveForm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPointer>
#include <QTest>
#include <QToolButton>
#include <controls/ControlClasses.h>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Field.h>
#include <forms/KroForms.h>
#include <gtest/gtest.h>
#include <rtl/Font.h>
#include <ui/Application.h>
#include <ui/DBCtrls.h>
#include <ui/DBGrids.h>
#include <ui/Screen.h>
#include <ui/ScriptedResponder.h>

// An edit form as applications make them: a grid, a navigator and an edit of the name on
// the form's source, and a button that returns the current record.
class TPeopleEditForm : public TFormDB {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPeopleEditForm(TComponent* AOwner = nullptr)
        : TFormDB(AOwner, TInherited{}) {
        SetCaption(QStringLiteral("Edit form"));
        SetBounds(10, 10, 200, 150);
        Source = new TDataSource(this);
        for (TControl* control : std::initializer_list<TControl*>{Grid, Navigator, NameEdit})
            control->SetParent(this);
        Grid->SetBounds(0, 0, 200, 100);
        Grid->SetDataSource(Source);
        Navigator->SetBounds(0, 100, 200, 25);
        Navigator->SetDataSource(Source);
        NameEdit->SetBounds(0, 125, 100, 20);
        NameEdit->SetDataSource(Source);
        NameEdit->SetDataField(QStringLiteral("Name"));
        ReturnButton->SetParent(this);
        ReturnButton->SetBounds(100, 125, 100, 20);
        ReturnButton->SetCaption(QStringLiteral("Return"));
        ReturnButton->SetModalResult(mrOk);
        SetDataSource(Source);
        InitForm();
    }

    TDataSource* Source;
    TDBGrid* Grid = new TDBGrid(this);
    TDBNavigator* Navigator = new TDBNavigator(this);
    TDBEdit* NameEdit = new TDBEdit(this);
    TButton* ReturnButton = new TButton(this);
};

// The same, read-only and hidden rather than freed on closing.
class TReadOnlyEditForm : public TPeopleEditForm {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TReadOnlyEditForm(TComponent* AOwner = nullptr) : TPeopleEditForm(AOwner) {
        SetOptions({foDataReadOnly, foAutoWidth});
    }
};

// An MDI child: the platform shows it as a window of its own.
class TChildEditForm : public TPeopleEditForm {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TChildEditForm(TComponent* AOwner = nullptr) : TPeopleEditForm(AOwner) {
        SetFormStyle(fsMDIChild);
    }
};

namespace {

constexpr int PeopleRows = 6;

class KroForms : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterControlClasses();
        People = new TKroTable(&Module);
        People->SetDatabaseName(Db.Alias());
        People->SetTableName(QStringLiteral("People.db"));
        People->SetCaption(QStringLiteral("People"));
        FormDBReturn = false;
    }

    void TearDown() override {
        for (int i = Screen()->FormCount() - 1; i >= 0; --i)
            if (qobject_cast<TFormDB*>(Screen()->Forms(i)))
                delete Screen()->Forms(i);
    }

    int Id() const { return People->FieldByName(QStringLiteral("Id"))->AsInteger(); }
    QString Name() const { return People->FieldByName(QStringLiteral("Name"))->AsString(); }

    TPeopleDatabase Db{PeopleRows};
    TComponent Module;
    TKroTable* People = nullptr;
};

} // namespace

TEST_F(KroForms, AClosedTableIsOpenedByItsFormAndClosedWithIt) {
    ASSERT_FALSE(People->Active());
    QPointer<TPeopleEditForm> form = ShowFormDB<TPeopleEditForm>(People, tsShow);
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->Widget()->isVisible());
    EXPECT_EQ(form->Owner(), Application());
    EXPECT_TRUE(People->Active());
    EXPECT_EQ(form->DataSet(), People);
    EXPECT_EQ(form->Caption(), QStringLiteral("People")) << "the dataset's caption";
    EXPECT_EQ(form->Widget()->windowTitle(), QStringLiteral("People"));
    EXPECT_EQ(form->NameEdit->Text(), QStringLiteral("Person 0001"));

    // The user closes the window: the form goes and the table with it.
    form->Widget()->close();
    ProcessEvents();
    EXPECT_FALSE(form);
    EXPECT_FALSE(People->Active());
}

TEST_F(KroForms, AReadOnlyFormMakesTheTableReadOnlyWhileItShowsIt) {
    People->Open();
    QPointer<TFormDB> form = ShowFormDB<TReadOnlyEditForm>(People, tsShow);
    EXPECT_TRUE(People->ReadOnly());
    EXPECT_TRUE(People->Active()) << "reopened after becoming read-only";
    auto* navigator = static_cast<TReadOnlyEditForm*>(form.data())->Navigator;
    auto* insert = navigator->Widget()->findChild<QToolButton*>(QStringLiteral("nbInsert"));
    ASSERT_TRUE(insert);
    EXPECT_FALSE(insert->isEnabled()) << "nothing can be inserted";

    // Without foFreeOnClose closing hides the form, which keeps the table.
    form->Close();
    ProcessEvents();
    ASSERT_TRUE(form);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(People->ReadOnly());
    EXPECT_EQ(ShowFormDB<TReadOnlyEditForm>(People, tsShow), form) << "found again";
    delete form;
    EXPECT_FALSE(People->ReadOnly());
    EXPECT_TRUE(People->Active()) << "open as it was before";
}

TEST_F(KroForms, SelectionShowsTheKeysRecordAndReturnsTheOneCurrentAtClosing) {
    People->Open();
    TFieldReturn key;
    key.SetKeyFieldName(QStringLiteral("Id"));
    key.SetValue(3);
    TScriptedResponder responder;
    int shownId = 0;
    QString gridName;
    responder.Answer([&](TForm* Form) {
        auto* form = qobject_cast<TPeopleEditForm*>(Form);
        ASSERT_TRUE(form);
        Activate(form);
        shownId = Id();
        gridName = form->NameEdit->Text();
        form->Grid->SetFocus();
        QTest::keyClick(form->Grid->Widget(), Qt::Key_Down);
        QTest::mouseClick(form->ReturnButton->Widget(), Qt::LeftButton);
    });
    QPointer<TFormDB> form = ShowFormDB<TPeopleEditForm>(People, tsSelect, &key);
    EXPECT_EQ(responder.PendingAnswers(), 0);
    EXPECT_EQ(shownId, 3);
    EXPECT_EQ(gridName, QStringLiteral("Person 0003"));
    EXPECT_TRUE(FormDBReturn);
    EXPECT_EQ(key.Value().toInt(), 4) << "the record current at closing";
    ProcessEvents();
    EXPECT_FALSE(form) << "freed on closing";
    EXPECT_TRUE(People->Active()) << "the table was open before";

    // Cancelled: the flag says so.
    key.SetValue(2);
    responder.Answer(mrCancel);
    ShowFormDB<TPeopleEditForm>(People, tsSelect, &key);
    EXPECT_FALSE(FormDBReturn);
}

TEST_F(KroForms, AskingAgainForAnActiveFormReturnsItUnchanged) {
    TPeopleEditForm* form = ShowFormDB<TPeopleEditForm>(People, tsShow);
    Activate(form);
    ASSERT_EQ(Screen()->ActiveForm(), form);
    TFieldReturn key;
    key.SetKeyFieldName(QStringLiteral("Id"));
    key.SetValue(5);
    TScriptedResponder responder; // with no answers: showing it modally would fail
    EXPECT_EQ(ShowFormDB<TPeopleEditForm>(People, tsSelect, &key), form);
    EXPECT_TRUE(responder.Shown().isEmpty());
    EXPECT_EQ(form->FieldReturn(), nullptr) << "the key is not applied";

    // Asked while another form is active: brought to the front with the new key.
    TForm other;
    other.Show();
    Activate(&other);
    EXPECT_EQ(ShowFormDB<TPeopleEditForm>(People, tsShow, &key), form);
    ProcessEvents();
    EXPECT_EQ(Screen()->ActiveForm(), form);
    EXPECT_EQ(Id(), 5);
}

TEST_F(KroForms, AnMdiChildAskedForSelectionIsShownModelessly) {
    TScriptedResponder responder;
    FormDBReturn = true;
    TFormDB* form = ShowFormDB<TChildEditForm>(People, tsSelect);
    EXPECT_TRUE(form->Widget()->isVisible());
    EXPECT_TRUE(responder.Shown().isEmpty());
    EXPECT_TRUE(FormDBReturn) << "left as it was";
    // And freed on closing even without foFreeOnClose.
    form->SetOptions({});
    QPointer<TFormDB> guard = form;
    form->Close();
    ProcessEvents();
    EXPECT_FALSE(guard);
}

TEST_F(KroForms, LeavingTheFormPostsTheEditedRecord) {
    TPeopleEditForm* form = ShowFormDB<TPeopleEditForm>(People, tsShow);
    Activate(form);
    form->NameEdit->SetFocus();
    QTest::keyClick(form->NameEdit->Widget(), Qt::Key_End);
    QTest::keyClicks(form->NameEdit->Widget(), QStringLiteral(" Jr"));
    ASSERT_EQ(People->State(), dsEdit);
    TForm other;
    other.Show();
    Activate(&other);
    EXPECT_EQ(People->State(), dsBrowse);
    People->Refresh();
    EXPECT_EQ(Name(), QStringLiteral("Person 0001 Jr"));
}

TEST_F(KroForms, ANewSourceTakesTheFormsSourceUsersAlongButNotItsFieldControls) {
    TPeopleEditForm* form = ShowFormDB<TPeopleEditForm>(People, tsShow);
    auto* hiddenGrid = new TDBGrid(form);
    hiddenGrid->SetParent(form);
    hiddenGrid->SetVisible(false);
    hiddenGrid->SetDataSource(form->Source);
    TTable* jobs = Db.NewTable(QStringLiteral("Job.db"), &Module);
    TDataSource jobsSource;
    jobsSource.SetDataSet(jobs);

    form->SetDataSource(&jobsSource);
    EXPECT_EQ(form->DataSource(), &jobsSource);
    EXPECT_EQ(form->Grid->DataSource(), &jobsSource);
    EXPECT_EQ(form->Navigator->DataSource(), &jobsSource);
    EXPECT_EQ(form->NameEdit->DataSource(), form->Source) << "bound to a field";
    EXPECT_EQ(hiddenGrid->DataSource(), form->Source) << "invisible";
    EXPECT_TRUE(jobs->Active()) << "the new dataset is prepared";
    EXPECT_FALSE(People->Active()) << "the old one is given back closed, as it was";
    EXPECT_EQ(form->Caption(), QStringLiteral("People")) << "a table without a caption";
}

TEST_F(KroForms, TheFormWidensToShowTheFields) {
    TPeopleEditForm* form = ShowFormDB<TPeopleEditForm>(People, tsCreate);
    EXPECT_FALSE(form->Visible());
    const int chars = [this] {
        int sum = 0;
        for (int i = 0; i < People->FieldCount(); ++i) {
            const TField* field = People->Fields()->Fields(i);
            sum += std::max(field->DisplayWidth(), int(field->DisplayLabel().size())) + 1;
        }
        return sum;
    }();
    const int expected = std::min(
        QFontMetrics(form->Font()->ToQFont()).horizontalAdvance(QLatin1Char('0')) * chars + 45,
        Screen()->Width());
    EXPECT_EQ(form->Width(), expected);
    EXPECT_LE(form->Left() + form->Width(), Screen()->Width());

    // Never narrowed.
    form->SetWidth(expected + 50);
    form->AdjustFormWidth();
    EXPECT_EQ(form->Width(), expected + 50);
}

TEST_F(KroForms, AFieldReturnFreedWhileTheFormLivesIsForgotten) {
    People->Open();
    TPeopleEditForm* form = ShowFormDB<TPeopleEditForm>(People, tsCreate);
    {
        TFieldReturn key;
        key.SetKeyFieldName(QStringLiteral("Id"));
        form->SetFieldReturn(&key);
    }
    EXPECT_EQ(form->FieldReturn(), nullptr);
    form->Show();
    Activate(form);
    QPointer<TFormDB> guard = form;
    form->Close();
    ProcessEvents();
    EXPECT_FALSE(guard);
}

TEST(NavigatorHints, ANavigatorWithoutHintsGetsThoseOfItsButtons) {
    TForm form;
    auto* navigator = new TDBNavigator(&form);
    SetNavigatorHints(navigator);
    QStringList hints;
    for (int i = 0; i < navigator->Hints()->Count(); ++i)
        hints << navigator->Hints()->Strings(i);
    EXPECT_EQ(hints, QStringList({"First record", "Prior record", "Next record", "Last record",
                                  "Insert record", "Delete record", "Edit record", "Post edit",
                                  "Cancel edit", "Refresh data"}));
    navigator->SetParent(&form);
    navigator->SetShowHint(true);
    form.Show();
    EXPECT_EQ(navigator->Widget()->findChild<QToolButton*>(QStringLiteral("nbPost"))->toolTip(),
              QStringLiteral("Post edit"));

    auto* own = new TDBNavigator(&form);
    own->Hints()->Add(QStringLiteral("Start"));
    SetNavigatorHints(own);
    EXPECT_EQ(own->Hints()->Count(), 1);
}

#include "KroFormsTest.moc"
