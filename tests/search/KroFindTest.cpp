#include "FindFixture.h"

#include <dataset/KroTable.h>
#include <forms/DiAdv.h>
#include <rtl/Strings.h>
#include <ui/DBLookup.h>
#include <ui/ExtCtrls.h>

namespace {

const QString NearestQuestion = FindTextNotFound + QLatin1Char('\n') + FindTextNearest;

} // namespace

ON_EVERY_ENGINE_WITH(FindDialog, FindFixture);

TEST_P(FindDialog, WithoutAnOrderOnlyTheMessageShows) {
    TKroQuery query(&Module);
    query.SetDatabaseName(FDb->Alias());
    query.SQL()->SetText(QStringLiteral("select * from Person"));
    query.Open();
    Source.SetDataSet(&query);
    EXPECT_FALSE(Find.Execute());
    ASSERT_EQ(Responder.Shown().size(), 1);
    EXPECT_EQ(Responder.Shown()[0].Text, FindTextNoOrder);
    EXPECT_TRUE(Responder.Shown()[0].FormClass.isEmpty()) << "no dialog";
    Source.SetDataSet(nullptr);
    EXPECT_FALSE(Find.Execute()) << "nothing to search";
    EXPECT_EQ(Responder.Shown().size(), 1);
}

TEST_P(FindDialog, ShowsARowPerOrderFieldWithALookupComboForAShownKey) {
    OpenOrdered("Lang;Name");
    Responder.Answer([&](TForm* Form) {
        auto& dialog = *static_cast<TDialFind*>(Form);
        EXPECT_EQ(dialog.Caption(), QStringLiteral("Search by sorting fields: Lang,Name"));
        EXPECT_EQ(dialog.BtnFind->Caption(), QStringLiteral("Find"));
        EXPECT_EQ(dialog.BtnCancel->Caption(), QStringLiteral("Cancel"));
        EXPECT_EQ(dialog.CheckBoxCase->Caption(), QStringLiteral("Case sensitive"));
        EXPECT_EQ(dialog.CheckBoxNoPartial->Caption(), QStringLiteral("Full coincidence"));
        EXPECT_TRUE(dialog.CheckBoxCase->Checked() && dialog.CheckBoxCase->Enabled());
        EXPECT_TRUE(dialog.CheckBoxNoPartial->Checked() && dialog.CheckBoxNoPartial->Enabled());
        ASSERT_EQ(dialog.Editors().size(), 2);
        auto* combo = qobject_cast<TDBLookupComboBox*>(dialog.Editors()[0]);
        ASSERT_NE(combo, nullptr) << "the key field Lang is picked by the language's name";
        EXPECT_TRUE(combo->Visible());
        EXPECT_EQ(combo->ListSource()->DataSet(), Lang);
        EXPECT_EQ(combo->KeyField(), QStringLiteral("Id"));
        EXPECT_EQ(combo->ListField(), QStringLiteral("Name"));
        EXPECT_EQ(dialog.ActiveControl(), combo);
        auto* edit = qobject_cast<TEdit*>(dialog.Editors()[1]);
        ASSERT_NE(edit, nullptr);
        EXPECT_TRUE(edit->Visible());
        EXPECT_GE(edit->Top(), combo->Top() + combo->Height() + 5) << "rows do not overlap";
        // Each editor has its label in the bevel, captioned with the shown field's label.
        QStringList labels;
        for (int i = 0; i < dialog.ComponentCount(); ++i)
            if (auto* label = qobject_cast<TLabel*>(dialog.Components(i))) {
                labels << label->Caption();
                EXPECT_EQ(label->FocusControl(), dialog.Editors()[labels.size() - 1]);
                EXPECT_LT(label->Left() + label->Width(), combo->Left());
            }
        EXPECT_EQ(labels, QStringList({"LangLook", "Name"}));
        EXPECT_GE(dialog.ClientWidth(), edit->Left() + edit->Width() + 8);
        EXPECT_EQ(dialog.Bevel1->Top() + dialog.Bevel1->Height(), edit->Top() + edit->Height() + 8)
            << "the bevel holds the rows";
        EXPECT_GE(dialog.Panel1->Top(), dialog.Bevel1->Top() + dialog.Bevel1->Height());
        Click(dialog.BtnCancel);
    });
    GoTo("Cid");
    EXPECT_FALSE(Find.Execute());
    EXPECT_EQ(Current(), QStringLiteral("Cid"));
    EXPECT_EQ(Person->State(), dsBrowse);
    EXPECT_FALSE(Person->ControlsDisabled());
}

TEST_P(FindDialog, TheLimitsNarrowLabelsAndEditors) {
    OpenOrdered("Lang;Name");
    Find.SetMaxLabelWidth(2);
    Find.SetMaxEditWidth(3);
    Responder.Answer([&](TForm* Form) {
        auto& dialog = *static_cast<TDialFind*>(Form);
        const int charWidth = GetFontMetrics(dialog.Font(), QString()).width();
        for (TControl* editor : dialog.Editors()) {
            EXPECT_EQ(editor->Width(), 3 * charWidth);
            EXPECT_EQ(editor->Left(), dialog.Bevel1->Left() + 8 + 2 * charWidth + 8);
        }
        EXPECT_EQ(dialog.Bevel1->Width(), 300) << "the bevel keeps its designed width";
        Click(dialog.BtnCancel);
    });
    EXPECT_FALSE(Find.Execute());
}

TEST_P(FindDialog, OptionsAreOffWithoutAStringField) {
    OpenOrdered("Lang");
    Responder.Answer([&](TForm* Form) {
        auto& dialog = *static_cast<TDialFind*>(Form);
        EXPECT_FALSE(dialog.CheckBoxCase->Enabled());
        EXPECT_FALSE(dialog.CheckBoxNoPartial->Enabled());
        Click(dialog.BtnCancel);
    });
    EXPECT_FALSE(Find.Execute());
}

TEST_P(FindDialog, ABeginningWithoutFullCoincidenceIsLocated) {
    OpenOrdered("Name");
    AnswerFind([](TDialFind& Dialog) {
        Click(Dialog.CheckBoxNoPartial);
        EXPECT_FALSE(Dialog.CheckBoxNoPartial->Checked());
        Type(Dialog, 0, "Bo");
    });
    EXPECT_TRUE(Find.Execute()) << "a partial key: found without the nearest question";
    EXPECT_EQ(Current(), QStringLiteral("Bob"));
    EXPECT_FALSE(Find.FullCoincidence());
    // The options are kept; the case is ignored once unchecked too.
    AnswerFind([](TDialFind& Dialog) {
        EXPECT_FALSE(Dialog.CheckBoxNoPartial->Checked());
        Click(Dialog.CheckBoxCase);
        Type(Dialog, 0, "d");
    });
    EXPECT_TRUE(Find.Execute());
    EXPECT_EQ(Current(), QStringLiteral("Dan"));
    EXPECT_FALSE(Find.CaseSensitive());
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_P(FindDialog, BothOptionsSearchTheIndexAndOfferTheNearest) {
    OpenOrdered("Name");
    GoTo("Ann");
    AnswerTyping(0, "Dan");
    EXPECT_TRUE(Find.Execute());
    EXPECT_EQ(Current(), QStringLiteral("Dan"));
    // A miss asks; No stays where the table was.
    AnswerFind([](TDialFind& Dialog) {
        auto* edit = qobject_cast<TEdit*>(Dialog.Editors()[0]);
        EXPECT_EQ(edit->Text(), QStringLiteral("Dan")) << "the last key searched for";
        Type(Dialog, 0, "Ca");
    });
    Responder.Answer(mrNo);
    EXPECT_TRUE(Find.Execute());
    EXPECT_EQ(Messages(), QStringList({NearestQuestion}));
    EXPECT_EQ(Current(), QStringLiteral("Dan"));
    // Yes goes to the first key after the one asked for.
    AnswerFind([](TDialFind& Dialog) {
        EXPECT_EQ(qobject_cast<TEdit*>(Dialog.Editors()[0])->Text(), QStringLiteral("Ca"));
        Type(Dialog, 0, "Bo");
    });
    Responder.Answer(mrYes);
    EXPECT_TRUE(Find.Execute());
    EXPECT_EQ(Current(), QStringLiteral("Bob"));
    EXPECT_EQ(Person->State(), dsBrowse);
}

TEST_P(FindDialog, ALocateMissAsksForTheNearestOnlyWhenTheOptionsSetTheIndexAside) {
    OpenOrdered("Name");
    GoTo("Ann");
    AnswerFind([](TDialFind& Dialog) {
        Click(Dialog.CheckBoxCase);
        Type(Dialog, 0, "Bz");
    });
    Responder.Answer(mrYes);
    EXPECT_TRUE(Find.Execute());
    EXPECT_EQ(Messages(), QStringList({NearestQuestion}));
    EXPECT_EQ(Current(), QStringLiteral("Cid")) << "the first name after \"Bz\"";
    // A query has no index to fall back on.
    Person->Close();
    TKroQuery query(&Module);
    query.SetDatabaseName(FDb->Alias());
    query.SQL()->SetText(QStringLiteral("select * from Person order by Name"));
    query.Open();
    Source.SetDataSet(&query);
    AnswerTyping(0, "Cid");
    EXPECT_TRUE(Find.Execute());
    EXPECT_EQ(query.FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Cid"));
    AnswerTyping(0, "Zed");
    EXPECT_TRUE(Find.Execute());
    EXPECT_EQ(Messages().last(), FindTextNotFound);
    EXPECT_EQ(query.FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Cid"));
}

TEST_P(FindDialog, TheSecondOfTwoOrderFieldsAloneIsLocated) {
    OpenOrdered("Lang;Name");
    GoTo("Ann");
    AnswerFind([](TDialFind& Dialog) {
        // Enter in the first row's combo moves on to the second row.
        QTest::keyClick(Dialog.Editors()[0]->Widget(), Qt::Key_Return);
        QApplication::processEvents();
        ASSERT_TRUE(static_cast<TWinControl*>(Dialog.Editors()[1])->Focused());
        QTest::keyClicks(Dialog.Editors()[1]->Widget(), QStringLiteral("Dan"));
    });
    EXPECT_TRUE(Find.Execute()) << "a Locate on Name: no nearest question";
    EXPECT_EQ(Current(), QStringLiteral("Dan"));
    AnswerTyping(1, "x");
    EXPECT_TRUE(Find.Execute());
    EXPECT_EQ(Messages(), QStringList({FindTextNotFound}));
    EXPECT_EQ(Current(), QStringLiteral("Dan"));
}

TEST_P(FindDialog, ALanguagePickedInTheLookupComboFindsItsPerson) {
    OpenOrdered("Lang;Name");
    GoTo("Cid");
    // Ctrl+Enter opens the list, End goes to its last row, Enter takes it.
    AnswerFind([&](TDialFind& Dialog) {
        auto* combo = qobject_cast<TDBLookupComboBox*>(Dialog.Editors()[0]);
        ASSERT_NE(combo, nullptr);
        QTest::keyClick(combo->Widget(), Qt::Key_Return, Qt::ControlModifier);
        ASSERT_TRUE(combo->DroppedDown()) << "Ctrl+Enter opens the list";
        QTest::keyClick(combo->Widget(), Qt::Key_End);
        QTest::keyClick(combo->Widget(), Qt::Key_Return);
        EXPECT_FALSE(combo->DroppedDown());
        EXPECT_EQ(combo->Text(), QStringLiteral("English"));
    });
    EXPECT_TRUE(Find.Execute());
    EXPECT_EQ(Current(), QStringLiteral("Ann")) << "English: language 3";
    // Find pressed by its shortcut while the list is open takes the highlighted row.
    Responder.Answer([&](TForm* Form) {
        auto& Dialog = *static_cast<TDialFind*>(Form);
        auto* combo = qobject_cast<TDBLookupComboBox*>(Dialog.Editors()[0]);
        EXPECT_EQ(combo->Text(), QStringLiteral("English")) << "the key kept from the last search";
        combo->SetFocus();
        QTest::keyClick(combo->Widget(), Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(combo->Widget(), Qt::Key_Home);
        ASSERT_TRUE(combo->DroppedDown());
        Dialog.BtnFind->Click();
    });
    EXPECT_TRUE(Find.Execute());
    EXPECT_EQ(Current(), QStringLiteral("Dan")) << "German: language 1";
    EXPECT_TRUE(Messages().isEmpty()) << Messages().join(QLatin1Char('|')).toStdString();
}

TEST_P(FindDialog, EmptyEditorsAreNoConditions) {
    OpenOrdered("Name");
    GoTo("Bob");
    AnswerFind([](TDialFind&) {});
    EXPECT_TRUE(Find.Execute());
    EXPECT_EQ(Messages(), QStringList({FindTextNoConditions}));
    EXPECT_EQ(Current(), QStringLiteral("Bob"));
}

TEST_P(FindDialog, AValueTheFieldCannotTakeKeepsTheDialogWithTheUsersText) {
    OpenOrdered("Id");
    GoTo("Ann");
    AnswerTyping(0, "4x");
    AnswerFind([](TDialFind& Dialog) {
        auto* edit = qobject_cast<TEdit*>(Dialog.Editors()[0]);
        EXPECT_EQ(edit->Text(), QStringLiteral("4x")) << "the dialog shows again as left";
        QTest::keyClick(edit->Widget(), Qt::Key_Backspace);
    });
    EXPECT_TRUE(Find.Execute());
    ASSERT_EQ(Messages().size(), 1);
    EXPECT_TRUE(Messages()[0].contains(QStringLiteral("4x"))) << Messages()[0].toStdString();
    EXPECT_EQ(Current(), QStringLiteral("Dan"));
}

TEST_P(FindDialog, ARemovedDataSourceIsForgotten) {
    auto* source = new TDataSource;
    Find.SetDataSource(source);
    delete source;
    EXPECT_EQ(Find.DataSource(), nullptr);
    EXPECT_FALSE(Find.Execute());
}
