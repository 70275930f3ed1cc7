#include "FilterDialogSteps.h"
#include "FilterFixture.h"
#include "ResponderMessages.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTest>
#include <db/Fields.h>
#include <fields/KroLook.h>
#include <filter/Filter.h>
#include <functional>
#include <ui/Buttons.h>
#include <ui/DBLookup.h>
#include <ui/ExtCtrls.h>

using namespace FilterDialogSteps;

// The filter dialog driven as the user would, through EditFilters.
class FilterDialogFixture : public FilterFixture {
protected:
    // Answers the next dialog: Action works it, then Button is pressed.
    void AnswerDialog(const std::function<void(TFormFilter&)>& Action,
                      TBitBtn* TFormFilter::*Button) {
        Responder.Answer([Action, Button](TForm* Form) {
            auto& dialog = *static_cast<TFormFilter*>(Form);
            QApplication::setActiveWindow(dialog.Widget());
            Action(dialog);
            QTest::mouseClick((dialog.*Button)->Widget(), Qt::LeftButton);
        });
    }
    static void CtrlGrey(TFormFilter& Dialog, Qt::Key Key) {
        QTest::keyClick(Dialog.ActiveControl() ? Dialog.ActiveControl()->Widget() : Dialog.Widget(),
                        Key, Qt::ControlModifier | Qt::KeypadModifier);
    }
    QStringList Messages() const { return MessagesShown(Responder); }
    // People's fields made persistent, with the lookup field CountryName showing the
    // country's name; OnlyEqual limits its conditions to "=" and "<>".
    void UseCountryLookup(bool OnlyEqual) {
        People->Close();
        TKroTable* countries = NewTable(QStringLiteral("Country.DB"), QStringLiteral("Countries"));
        countries->Open();
        const auto add = [this](TField* Field, const char* Name) {
            Field->SetFieldName(QString::fromLatin1(Name));
            Field->SetDataSet(People);
            return Field;
        };
        add(new TAutoIncField(&Module), "Id");
        add(new TStringField(&Module), "Name")->SetSize(30);
        add(new TIntegerField(&Module), "Country");
        add(new TDateField(&Module), "Birth");
        add(new TCurrencyField(&Module), "Salary");
        add(new TBooleanField(&Module), "Active");
        add(new TMemoField(&Module), "Notes");
        auto* look = new TKroLookField(&Module);
        add(look, "CountryName");
        look->SetFieldKind(fkLookup);
        look->SetLookupDataSet(countries);
        look->SetKeyFields(QStringLiteral("Country"));
        look->SetLookupKeyFields(QStringLiteral("Id"));
        look->SetLookupResultField(QStringLiteral("Name"));
        look->SetOnlyEqualInFilter(OnlyEqual);
        People->Open();
    }
};

ON_EVERY_ENGINE_WITH(FilterDialog, FilterDialogFixture);

TEST_P(FilterDialog, WithoutFiltersOnlyANewOneCanBeMade) {
    AnswerDialog(
        [](TFormFilter& Dialog) {
            EXPECT_EQ(Dialog.Caption(), QStringLiteral("Edit filters"));
            EXPECT_EQ(Dialog.BitBtnSet->Caption(), QStringLiteral("Set filter"));
            EXPECT_EQ(Dialog.BitBtnNone->Caption(), QStringLiteral("Switch off"));
            EXPECT_EQ(Dialog.SBAddCond->Hint(),
                      QStringLiteral("Insert condition (Ctrl+Gray_Plus)"));
            EXPECT_TRUE(Dialog.SBAdd->Enabled());
            for (TControl* control :
                 {static_cast<TControl*>(Dialog.SBPred), static_cast<TControl*>(Dialog.SBNext),
                  static_cast<TControl*>(Dialog.SBDelete), static_cast<TControl*>(Dialog.SBAddCond),
                  static_cast<TControl*>(Dialog.SBDeleteCond),
                  static_cast<TControl*>(Dialog.EditFilterName),
                  static_cast<TControl*>(Dialog.CheckBoxAutoTotal)})
                EXPECT_FALSE(control->Enabled()) << control->Name().toStdString();
            // The main dataset's line and the jobs' line with its check box.
            ASSERT_EQ(Dialog.LinkEdits().size(), 2);
            ASSERT_EQ(Dialog.DataSetLabels().size(), 2);
            EXPECT_EQ(Dialog.DataSetLabels()[0]->Caption(), QStringLiteral("People"));
            EXPECT_EQ(Dialog.DataSetLabels()[1]->Caption(), QStringLiteral("Jobs"));
            ASSERT_EQ(Dialog.ForAllBoxes().size(), 1);
            EXPECT_EQ(Dialog.ForAllBoxes()[0]->Caption(), QStringLiteral("For all records"));
            EXPECT_TRUE(Dialog.LinkEdits()[1]->Visible());
            EXPECT_FALSE(Dialog.LinkEdits()[0]->Enabled());
            EXPECT_EQ(Dialog.LabelSubTotalHint->Caption(), FilterTextGroups);
            EXPECT_EQ(Dialog.LNumberFilter->Caption(), QString());
            EXPECT_EQ(Dialog.Scroll->Height(), 323 - 2 * 21 - 57 - 2);
        },
        &TFormFilter::BitBtnCancel);
    Filter->EditFilters();
    EXPECT_FALSE(Filter->HasFilters());
}

TEST_P(FilterDialog, WithoutDetailDatasetsThereIsOneLinkEditAndNoDatasetColumn) {
    Filter->SubDataSets()->Clear();
    NewFilter({{QStringLiteral("Name"), QStringLiteral(">"), QStringLiteral("Person 0020")}});
    AnswerDialog(
        [](TFormFilter& Dialog) {
            EXPECT_EQ(Dialog.LinkEdits().size(), 1);
            EXPECT_TRUE(Dialog.DataSetLabels().isEmpty());
            EXPECT_TRUE(Dialog.ForAllBoxes().isEmpty());
            EXPECT_EQ(Dialog.LabelSubTotalHint->Caption(), QString());
            ASSERT_EQ(Dialog.RowCount(), 1);
            const TViewItem& row = *Dialog.Row(0);
            EXPECT_EQ(row.DataSetBox, nullptr);
            EXPECT_EQ(row.Number->Caption(), QStringLiteral("1"));
            EXPECT_EQ(row.FieldBox->Text(), QStringLiteral("Name"));
            EXPECT_EQ(row.OperationBox->Text(), QStringLiteral(">"));
            EXPECT_EQ(row.OperationBox->Items()->Count(), 7) << "the six and the Like operation";
            auto* edit = qobject_cast<TEdit*>(row.Editor);
            ASSERT_NE(edit, nullptr);
            EXPECT_TRUE(edit->Visible());
            EXPECT_EQ(edit->Text(), QStringLiteral("Person 0020"));
            EXPECT_EQ(Dialog.LNumberFilter->Caption(), QStringLiteral("1/1"));
        },
        &TFormFilter::BitBtnCancel);
    Filter->EditFilters();
}

TEST_P(FilterDialog, AFilterMadeInTheDialogIsStoredAndReadBack) {
    const qint64 expected =
        Count(QStringLiteral("SELECT COUNT(*) FROM \"People\" WHERE \"Name\" < 'Person 0012'"));
    AnswerDialog(
        [](TFormFilter& Dialog) {
            Click(Dialog.SBAdd);
            Type(Dialog.EditFilterName, QStringLiteral("Early ones"));
            Click(Dialog.SBAddCond);
            ASSERT_EQ(Dialog.RowCount(), 1);
            TViewItem& row = *Dialog.Row(0);
            EXPECT_EQ(row.DataSetBox->Text(), QStringLiteral("People"));
            Choose(row.FieldBox, QStringLiteral("Name"));
            Choose(row.OperationBox, QStringLiteral("<"));
            Type(qobject_cast<TWinControl*>(row.Editor), QStringLiteral("Person 0012"));
        },
        &TFormFilter::BitBtnSet);
    Filter->EditFilters();
    ASSERT_EQ(Filter->FilterCount(), 1);
    EXPECT_EQ(Filter->Current()->Name, QStringLiteral("Early ones"));
    EXPECT_EQ(ShownNames().size(), expected);
    EXPECT_TRUE(Messages().isEmpty()) << Messages().join(QLatin1Char('|')).toStdString();
    // The program's datasets made again read the filter from its file.
    auto* again = new TKroFilter(&Module);
    again->SubDataSets()->Add();
    again->SubDataSets()->Items(0)->SetDataSet(Jobs);
    Filter->SwitchOff();
    delete Filter;
    Filter = again;
    again->SetDataSource(PeopleSource);
    ASSERT_EQ(again->FilterCount(), 1);
    const TConditionItem* condition = again->Current()->Conditions[0];
    EXPECT_EQ(condition->FieldName, QStringLiteral("Name"));
    EXPECT_EQ(condition->Operation, QStringLiteral("<"));
    again->SetFilter(1);
    EXPECT_EQ(ShownNames().size(), expected);
}

TEST_P(FilterDialog, OperationsAreChosenNotTyped) {
    NewFilter({{QStringLiteral("Name"), QStringLiteral("="), QStringLiteral("A")}});
    AnswerDialog(
        [this](TFormFilter& Dialog) {
            TComboBox* operation = Dialog.Row(0)->OperationBox;
            operation->SetFocus();
            QTest::keyClicks(operation->Widget(), QStringLiteral("<>~"));
            EXPECT_EQ(operation->Text(), QStringLiteral("="));
            EXPECT_EQ(Filter->Current()->Conditions[0]->Operation, QStringLiteral("="));
        },
        &TFormFilter::BitBtnCancel);
    Filter->EditFilters();
}

TEST_P(FilterDialog, CtrlGreyPlusAndMinusAddAndDeleteConditions) {
    NewFilter({{QStringLiteral("Name"), QStringLiteral("="), QStringLiteral("A")},
               {QStringLiteral("Country"), QStringLiteral("="), 2}});
    AnswerDialog(
        [this](TFormFilter& Dialog) {
            ASSERT_EQ(Dialog.RowCount(), 2);
            Dialog.Row(0)->FieldBox->SetFocus();
            CtrlGrey(Dialog, Qt::Key_Plus);
            ASSERT_EQ(Dialog.RowCount(), 3);
            EXPECT_EQ(Filter->Current()->Conditions.Count(), 3);
            EXPECT_EQ(Dialog.Row(2)->Number->Caption(), QStringLiteral("3"));
            EXPECT_TRUE(Dialog.Row(2)->FieldBox->Focused()) << "the new row takes the focus";
            // The first row goes; the others move up and are numbered again.
            Dialog.Row(0)->FieldBox->SetFocus();
            CtrlGrey(Dialog, Qt::Key_Minus);
            ASSERT_EQ(Dialog.RowCount(), 2);
            EXPECT_EQ(Filter->Current()->Conditions[0]->FieldName, QStringLiteral("Country"));
            EXPECT_EQ(Dialog.Row(0)->Number->Caption(), QStringLiteral("1"));
            EXPECT_EQ(Dialog.Row(0)->FieldBox->Text(), QStringLiteral("Country"));
            EXPECT_EQ(Dialog.Row(0)->FieldBox->Top(), Dialog.Row(0)->OperationBox->Top());
            EXPECT_LT(Dialog.Row(0)->FieldBox->Top(), Dialog.Row(1)->FieldBox->Top());
            EXPECT_TRUE(Dialog.Row(0)->FieldBox->Focused());
            // Without a row's control focused nothing is deleted.
            Dialog.EditFilterName->SetFocus();
            CtrlGrey(Dialog, Qt::Key_Minus);
            EXPECT_EQ(Dialog.RowCount(), 2);
        },
        &TFormFilter::BitBtnCancel);
    Filter->EditFilters();
}

TEST_P(FilterDialog, AConditionOnAMissingDetailTableIsReportedOnceAndReset) {
    NewFilter({{QStringLiteral("Gone.db.Title"), QStringLiteral("="), QStringLiteral("Cook")}});
    AnswerDialog(
        [this](TFormFilter& Dialog) {
            const TConditionItem* condition = Filter->Current()->Conditions[0];
            EXPECT_TRUE(condition->DataSetName.isEmpty() && condition->FieldName.isEmpty());
            EXPECT_TRUE(VarIsNull(condition->Value));
            EXPECT_EQ(Dialog.Row(0)->FieldBox->ItemIndex(), -1);
            Click(Dialog.SBAdd);
            Click(Dialog.SBPred); // back: shown again without a second report
        },
        &TFormFilter::BitBtnCancel);
    Filter->EditFilters();
    EXPECT_EQ(Messages(), QStringList({QStringLiteral("Component %1\nDetail table Gone.db is "
                                                      "absent in SubDataSets")
                                           .arg(Filter->Name())}));
}

TEST_P(FilterDialog, OneFilterKeepsTheListButtonsOff) {
    Filter->SetOneFilter(true);
    AnswerDialog(
        [](TFormFilter& Dialog) {
            EXPECT_FALSE(Dialog.SBAdd->Enabled());
            EXPECT_FALSE(Dialog.SBDelete->Enabled());
            EXPECT_EQ(Dialog.LNumberFilter->Caption(), QString());
            EXPECT_TRUE(Dialog.EditFilterName->Enabled()) << "the one filter is there";
        },
        &TFormFilter::BitBtnCancel);
    Filter->EditFilters();
}

TEST_P(FilterDialog, AValueThatDoesNotFitKeepsTheDialogAndTheText) {
    NewFilter({{QStringLiteral("Country"), QStringLiteral("="), Null()}});
    AnswerDialog(
        [](TFormFilter& Dialog) {
            Type(qobject_cast<TWinControl*>(Dialog.Row(0)->Editor), QStringLiteral("two"));
            EXPECT_FALSE(Dialog.Row(0)->Error.isEmpty());
        },
        &TFormFilter::BitBtnSet);
    AnswerDialog(
        [](TFormFilter& Dialog) {
            auto* edit = qobject_cast<TEdit*>(Dialog.Row(0)->Editor);
            EXPECT_EQ(edit->Text(), QStringLiteral("two")) << "nothing lost";
            EXPECT_TRUE(edit->Focused());
            Type(edit, QStringLiteral("2"));
        },
        &TFormFilter::BitBtnSet);
    Filter->EditFilters();
    ASSERT_EQ(Messages().size(), 1);
    EXPECT_TRUE(Messages()[0].startsWith(QStringLiteral("Condition #1: ")))
        << Messages()[0].toStdString();
    EXPECT_EQ(Filter->Current()->Conditions[0]->Value, Variant(2));
    EXPECT_EQ(ShownNames().size(),
              Count(QStringLiteral("SELECT COUNT(*) FROM \"People\" WHERE \"Country\" = 2")));
}

TEST_P(FilterDialog, AConditionOnTheJobsIsMadeInItsDatasetsRow) {
    const qint64 expected = Count(QStringLiteral(
        "SELECT COUNT(*) FROM \"People\" p WHERE EXISTS (SELECT 1 FROM \"Job\" j WHERE "
        "j.\"People\" = p.\"Id\" AND j.\"Title\" = 'Cook')"));
    NewFilter({});
    AnswerDialog(
        [this](TFormFilter& Dialog) {
            Click(Dialog.SBAddCond);
            TViewItem& row = *Dialog.Row(0);
            Choose(row.DataSetBox, QStringLiteral("Jobs"));
            EXPECT_EQ(row.FieldBox->Items()->Text(), QStringLiteral("Id\nPeople\nTitle\n"));
            EXPECT_EQ(row.Editor, nullptr) << "no field yet";
            Choose(row.FieldBox, QStringLiteral("Title"));
            ASSERT_NE(row.Editor, nullptr);
            Type(qobject_cast<TWinControl*>(row.Editor), QStringLiteral("Cook"));
            const TConditionItem* condition = Filter->Current()->Conditions[0];
            EXPECT_EQ(condition->DataSetName, Filter->DataSetTableName(1));
            EXPECT_EQ(condition->FieldName, QStringLiteral("Title"));
            EXPECT_EQ(condition->Value, Variant(QStringLiteral("Cook")));
        },
        &TFormFilter::BitBtnSet);
    Filter->EditFilters();
    EXPECT_EQ(ShownNames().size(), expected);
}

TEST_P(FilterDialog, BinaryFieldsAreNotOffered) {
    Jobs->Close();
    Execute(QStringLiteral("ALTER TABLE \"Job\" ADD COLUMN \"Photo\" %1")
                .arg(Engine() == QLatin1String(PostgresEngine) ? QStringLiteral("BYTEA")
                                                               : QStringLiteral("BLOB")));
    Jobs->Open();
    ASSERT_NE(qobject_cast<TBlobField*>(Jobs->FieldByName(QStringLiteral("Photo"))), nullptr);
    NewFilter({});
    AnswerDialog(
        [](TFormFilter& Dialog) {
            Click(Dialog.SBAddCond);
            TViewItem& row = *Dialog.Row(0);
            EXPECT_TRUE(row.FieldBox->Items()->IndexOf(QStringLiteral("Notes")) >= 0)
                << "a memo is text";
            Choose(row.DataSetBox, QStringLiteral("Jobs"));
            EXPECT_EQ(row.FieldBox->Items()->Text(), QStringLiteral("Id\nPeople\nTitle\n"));
        },
        &TFormFilter::BitBtnCancel);
    Filter->EditFilters();
}

TEST_P(FilterDialog, LinkTextsAndForAllAreOpenOnlyWithoutAndForAll) {
    NewFilter({{QStringLiteral("Name"), QStringLiteral(">"), QStringLiteral("Person 0020")},
               {QStringLiteral("Name"), QStringLiteral("<"), QStringLiteral("Person 0005")}});
    AnswerDialog(
        [this](TFormFilter& Dialog) {
            EXPECT_TRUE(Dialog.CheckBoxAutoTotal->Checked());
            EXPECT_FALSE(Dialog.LinkEdits()[0]->Enabled());
            EXPECT_EQ(Dialog.LabelTotalHint->Font()->Color(), TColor(0x808080));
            Click(Dialog.CheckBoxAutoTotal);
            EXPECT_FALSE(Filter->Current()->AndForAll);
            for (TControl* control : {static_cast<TControl*>(Dialog.LinkEdits()[0]),
                                      static_cast<TControl*>(Dialog.LinkEdits()[1]),
                                      static_cast<TControl*>(Dialog.DataSetLabels()[1]),
                                      static_cast<TControl*>(Dialog.ForAllBoxes()[0])})
                EXPECT_TRUE(control->Enabled());
            EXPECT_EQ(Dialog.LabelTotalHint->Font()->Color(), clBlack);
            Type(Dialog.LinkEdits()[0], QStringLiteral("#1 or #2"));
            Click(Dialog.ForAllBoxes()[0]); // leaving the edit and the click store both
            EXPECT_EQ(Filter->LinkText(0), QStringLiteral("#1 or #2"));
            EXPECT_TRUE(Filter->ForAll(1));
        },
        &TFormFilter::BitBtnSet);
    Filter->EditFilters();
    EXPECT_EQ(ShownNames().size(),
              Count(QStringLiteral("SELECT COUNT(*) FROM \"People\" WHERE \"Name\" > 'Person "
                                   "0020' OR \"Name\" < 'Person 0005'")));
}

TEST_P(FilterDialog, TheListButtonsStepAddAndDeleteFilters) {
    NewFilter({{QStringLiteral("Name"), QStringLiteral("="), QStringLiteral("A")}});
    NewFilter({});
    AnswerDialog(
        [this](TFormFilter& Dialog) {
            EXPECT_EQ(Dialog.LNumberFilter->Caption(), QStringLiteral("2/2"));
            EXPECT_TRUE(Dialog.SBPred->Enabled());
            EXPECT_FALSE(Dialog.SBNext->Enabled()) << "the dialog does not wrap";
            EXPECT_EQ(Dialog.RowCount(), 0);
            EXPECT_FALSE(Dialog.SBDeleteCond->Enabled());
            Type(Dialog.EditFilterName, QStringLiteral("Second"));
            Click(Dialog.SBPred);
            EXPECT_EQ(Filter->Filters(1)->Name, QStringLiteral("Second")) << "stored on leaving";
            EXPECT_EQ(Dialog.LNumberFilter->Caption(), QStringLiteral("1/2"));
            EXPECT_EQ(Dialog.RowCount(), 1);
            EXPECT_FALSE(Dialog.SBPred->Enabled());
            Click(Dialog.SBAdd);
            EXPECT_EQ(Dialog.LNumberFilter->Caption(), QStringLiteral("3/3"));
            EXPECT_EQ(Dialog.RowCount(), 0);
            // Typing names the new filter; a blank presses no button.
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Third one"));
            EXPECT_EQ(Dialog.EditFilterName->Text(), QStringLiteral("Third one"));
            EXPECT_EQ(Dialog.ModalResult(), mrNone);
            // Deleting asks; No keeps the filter.
            Responder.Answer(mrNo);
            Click(Dialog.SBDelete);
            EXPECT_EQ(Filter->FilterCount(), 3);
            Responder.Answer(mrYes);
            Click(Dialog.SBDelete);
            EXPECT_EQ(Filter->FilterCount(), 2);
            EXPECT_EQ(Dialog.LNumberFilter->Caption(), QStringLiteral("2/2"));
            EXPECT_EQ(Dialog.EditFilterName->Text(), QStringLiteral("Second"));
        },
        &TFormFilter::BitBtnNone);
    Filter->EditFilters();
    EXPECT_EQ(Messages(), QStringList({FilterTextDeleteFilter, FilterTextDeleteFilter}));
    EXPECT_EQ(Filter->FilterCount(), 2) << "stored with \"Switch off\"";
    EXPECT_EQ(ShownNames().size(), Count(QStringLiteral("SELECT COUNT(*) FROM \"People\"")));
}

TEST_P(FilterDialog, ALookupFieldIsPickedFromItsListAndFiltersByItsKey) {
    UseCountryLookup(false);
    NewFilter({});
    AnswerDialog(
        [this](TFormFilter& Dialog) {
            Click(Dialog.SBAddCond);
            TViewItem& row = *Dialog.Row(0);
            Choose(row.FieldBox, QStringLiteral("CountryName"));
            auto* combo = qobject_cast<TDBLookupComboBox*>(row.Editor);
            ASSERT_NE(combo, nullptr);
            combo->SetFocus();
            QTest::keyClick(combo->Widget(), Qt::Key_Down);
            QTest::keyClick(combo->Widget(), Qt::Key_Down);
            EXPECT_EQ(combo->Text(), QStringLiteral("France"));
            const TConditionItem* condition = Filter->Current()->Conditions[0];
            EXPECT_EQ(condition->FieldName, QStringLiteral("Country"));
            EXPECT_EQ(condition->LookupFieldName, QStringLiteral("CountryName"));
            EXPECT_EQ(condition->Value, Variant(2)) << "the combo reports its change";
        },
        &TFormFilter::BitBtnSet);
    Filter->EditFilters();
    EXPECT_EQ(ShownNames().size(),
              Count(QStringLiteral("SELECT COUNT(*) FROM \"People\" WHERE \"Country\" = 2")));
}

TEST_P(FilterDialog, OnlyEqualInFilterLeavesOnlyEqualAndNotEqual) {
    UseCountryLookup(true);
    NewFilter({{QStringLiteral("Country"), QStringLiteral("<>"), 2},
               {QStringLiteral("Salary"), QStringLiteral(">="), 1000}});
    Filter->Current()->Conditions[0]->LookupFieldName = QStringLiteral("CountryName");
    AnswerDialog(
        [](TFormFilter& Dialog) {
            const TViewItem& country = *Dialog.Row(0);
            EXPECT_EQ(country.FieldBox->Text(), QStringLiteral("CountryName"));
            EXPECT_EQ(country.OperationBox->Items()->Text(), QStringLiteral("=\n<>\n"));
            EXPECT_EQ(country.OperationBox->Text(), QStringLiteral("<>"));
            EXPECT_EQ(Dialog.Row(1)->OperationBox->Items()->Text(),
                      QStringLiteral("=\n<>\n<\n>\n<=\n>=\n"))
                << "other fields keep the comparisons";
            // Another field chosen in the row brings the comparisons back.
            Choose(Dialog.Row(0)->FieldBox, QStringLiteral("Country"));
            EXPECT_EQ(Dialog.Row(0)->OperationBox->Items()->Count(), 6);
            Choose(Dialog.Row(0)->FieldBox, QStringLiteral("CountryName"));
            EXPECT_EQ(Dialog.Row(0)->OperationBox->Items()->Count(), 2);
        },
        &TFormFilter::BitBtnCancel);
    Filter->EditFilters();
}

TEST_P(FilterDialog, RestoreReadsTheFilterFileAgain) {
    NewFilter({{QStringLiteral("Name"), QStringLiteral(">"), QStringLiteral("Person 0020")}});
    Filter->Current()->Name = QStringLiteral("Stored");
    Filter->SaveFilters();
    AnswerDialog(
        [this](TFormFilter& Dialog) {
            EXPECT_EQ(Dialog.SBRestore->Hint(), QStringLiteral("Cancel edit"));
            Type(Dialog.EditFilterName, QStringLiteral("Changed"));
            Click(Dialog.SBAddCond);
            Click(Dialog.SBAdd);
            ASSERT_EQ(Filter->FilterCount(), 2);
            EXPECT_EQ(Filter->Filters(0)->Name, QStringLiteral("Changed"));
            Click(Dialog.SBRestore);
            ASSERT_EQ(Filter->FilterCount(), 1);
            EXPECT_EQ(Filter->Current()->Name, QStringLiteral("Stored"));
            EXPECT_EQ(Filter->Current()->Conditions.Count(), 1);
            EXPECT_EQ(Dialog.EditFilterName->Text(), QStringLiteral("Stored"));
            EXPECT_EQ(Dialog.LNumberFilter->Caption(), QStringLiteral("1/1"));
            ASSERT_EQ(Dialog.RowCount(), 1);
            EXPECT_EQ(Dialog.Row(0)->FieldBox->Text(), QStringLiteral("Name"));
            EXPECT_EQ(qobject_cast<TEdit*>(Dialog.Row(0)->Editor)->Text(),
                      QStringLiteral("Person 0020"));
            EXPECT_FALSE(Dialog.SBNext->Enabled());
        },
        &TFormFilter::BitBtnSet);
    Filter->EditFilters();
    EXPECT_EQ(Filter->FilterCount(), 1);
    EXPECT_EQ(Filter->Current()->Name, QStringLiteral("Stored"));
    EXPECT_EQ(
        ShownNames().size(),
        Count(QStringLiteral("SELECT COUNT(*) FROM \"People\" WHERE \"Name\" > 'Person 0020'")));
}

TEST_P(FilterDialog, TheFilterHearsTheDialogBuildShowStoreAndMakeEditors) {
    QStringList heard;
    Filter->SetOnVisualizeFilters(TNotifyEvent([&heard](TObject* Sender) {
        auto* dialog = qobject_cast<TFormFilter*>(Sender);
        ASSERT_NE(dialog, nullptr);
        heard << QStringLiteral("lines %1").arg(dialog->LinkEdits().size());
    }));
    Filter->SetOnSetToEditWindow(TNotifyEvent([&heard](TObject* Sender) {
        auto* dialog = qobject_cast<TFormFilter*>(Sender);
        ASSERT_NE(dialog, nullptr);
        heard << QStringLiteral("shown %1, %2 rows")
                     .arg(dialog->EditFilterName->Text())
                     .arg(dialog->RowCount());
    }));
    Filter->SetOnGetFromEditWindow(TNotifyEvent([this, &heard](TObject* Sender) {
        EXPECT_NE(qobject_cast<TFormFilter*>(Sender), nullptr);
        heard << QStringLiteral("stored %1").arg(Filter->Current()->Name);
    }));
    // A handler may dress the value editor; the user sees it.
    Filter->SetOnCreateValue(
        TFilterEditValueEvent([this, &heard](TObject* Sender, TField* Field, TControl* Editor) {
            EXPECT_EQ(Sender, Filter);
            heard << QStringLiteral("editor for %1").arg(Field->FieldName());
            Editor->SetHint(QStringLiteral("Part of the name"));
        }));
    NewFilter({{QStringLiteral("Name"), QStringLiteral(">"), QStringLiteral("Person 0020")}});
    Filter->Current()->Name = QStringLiteral("First");
    NewFilter({});
    Filter->Current()->Name = QStringLiteral("Second");
    AnswerDialog(
        [&heard](TFormFilter& Dialog) {
            EXPECT_EQ(heard, QStringList({QStringLiteral("lines 2"),
                                          QStringLiteral("shown Second, 0 rows")}));
            heard.clear();
            Type(Dialog.EditFilterName, QStringLiteral("Renamed"));
            Click(Dialog.SBPred);
            EXPECT_EQ(heard, QStringList({QStringLiteral("stored Renamed"),
                                          QStringLiteral("editor for Name"),
                                          QStringLiteral("shown First, 1 rows")}));
            EXPECT_EQ(Dialog.Row(0)->Editor->Hint(), QStringLiteral("Part of the name"));
            heard.clear();
            Click(Dialog.CheckBoxAutoTotal);
            EXPECT_EQ(heard, QStringList({QStringLiteral("stored First")}));
        },
        &TFormFilter::BitBtnCancel);
    Filter->EditFilters();
}

TEST_P(FilterDialog, TheListButtonsShowPicturesWithTheirHints) {
    AnswerDialog(
        [](TFormFilter& Dialog) {
            const QList<std::pair<TSpeedButton*, QString>> buttons = {
                {Dialog.SBPred, QStringLiteral("Previous filter")},
                {Dialog.SBNext, QStringLiteral("Next filter")},
                {Dialog.SBAdd, QStringLiteral("Insert filter")},
                {Dialog.SBDelete, QStringLiteral("Delete filter")},
                {Dialog.SBRestore, QStringLiteral("Cancel edit")}};
            QList<QImage> pictures;
            for (const auto& [button, hint] : buttons) {
                EXPECT_EQ(button->Hint(), hint);
                EXPECT_TRUE(button->Caption().isEmpty()) << hint.toStdString();
                ASSERT_FALSE(button->Glyph()->Empty()) << hint.toStdString();
                EXPECT_LE(button->Glyph()->Height(), button->Height() - 4);
                const QImage picture = button->Glyph()->Image();
                EXPECT_FALSE(pictures.contains(picture)) << hint.toStdString() << " looks alike";
                pictures << picture;
            }
        },
        &TFormFilter::BitBtnCancel);
    Filter->EditFilters();
}

// A picture of the dialog with three condition rows for review, written when
// KRO_DIALOG_PICTURES names a directory (scripts/render-filter.sh).
TEST_P(FilterDialog, Picture) {
    const QString directory = qEnvironmentVariable("KRO_DIALOG_PICTURES");
    if (directory.isEmpty() || Engine() != QLatin1String(SqliteEngine))
        GTEST_SKIP() << "KRO_DIALOG_PICTURES names no directory";
    ASSERT_TRUE(QDir().mkpath(directory));
    NewFilter({{QStringLiteral("Name"), QStringLiteral(">"), QStringLiteral("Person 0020")},
               {QStringLiteral("Job.db.Title"), QStringLiteral("="), QStringLiteral("Cook")},
               {QStringLiteral("Salary"), QStringLiteral(">="), 1000}});
    Filter->Current()->Name = QStringLiteral("Late cooks");
    const QString path = QDir(directory).filePath(QStringLiteral("filter.png"));
    Responder.Answer([&](TForm* Form) {
        QApplication::setActiveWindow(Form->Widget());
        QCoreApplication::processEvents();
        const QPixmap picture = Form->Widget()->grab();
        EXPECT_EQ(picture.size(), QSize(Form->ClientWidth(), Form->ClientHeight()));
        EXPECT_TRUE(picture.save(path)) << path.toStdString();
        Form->SetModalResult(mrCancel);
    });
    Filter->EditFilters();
}
