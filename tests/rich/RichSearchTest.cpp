#include "RichFixture.h"

#include <rich/DiReplace.h>
#include <ui/ComCtrls.h>
#include <ui/StdCtrls.h>

namespace {

// Five people: the word "target" on the first (twice) and the fourth record.
class RichSearch : public RichFixture {
protected:
    void SetUp() override {
        RichFixture::SetUp();
        // Each test starts with the dialog as made, without the choices of another.
        delete ExistingRichEditSearch();
        Rich->SetSearchGlobal(true);
        SetNotes({QStringLiteral("alpha target and target"), QStringLiteral("beta"),
                  QStringLiteral("gamma"), QStringLiteral("the target delta"),
                  QStringLiteral("epsilon")});
    }

    // Answers the next search dialog: types Find (and Replace), clicks the scope and the
    // origin buttons given, then Button.
    using TSearchButton = TButton* TRichEditSearch::*;
    using TRadio = TRadioButton* TRichEditSearch::*;
    void AnswerSearch(const QString& Find, TRadio Scope, TSearchButton Button,
                      const QString& Replace = {}, TRadio Origin = nullptr, bool Prompt = true) {
        Responder.Answer([=](TForm* Form) {
            auto* dialog = qobject_cast<TRichEditSearch*>(Form);
            ASSERT_TRUE(dialog);
            Retype(dialog->ComboBoxFind, Find);
            if (!Replace.isEmpty())
                Retype(dialog->ComboBoxReplace, Replace);
            Click(dialog->*Scope);
            if (Origin)
                Click(dialog->*Origin);
            if (dialog->CheckBoxPrompt->Checked() != Prompt)
                Click(dialog->CheckBoxPrompt);
            Click(dialog->*Button);
        });
    }
    static void Retype(TComboBox* Combo, const QString& Text) {
        QTest::keyClick(Combo->Widget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(Combo->Widget(), Qt::Key_Delete);
        QTest::keyClicks(Combo->Widget(), Text);
    }
    static void Click(TControl* Control) {
        QTest::mouseClick(Control->Widget(), Qt::LeftButton, {}, QPoint(6, 8));
    }
    void Search() {
        Key(Qt::Key_F);
        ProcessEvents();
    }
    void SearchNext() { Key(Qt::Key_L); }
    int RecNo() const { return People->RecNo(); }
    static QString NotFound(const QString& Text) {
        return QStringLiteral("Text '%1' not found").arg(Text);
    }
};

TEST_F(RichSearch, AGlobalSearchFromTheThirdRecordFindsTheFirst) {
    GoTo(3);
    AnswerSearch(QStringLiteral("target"), &TRichEditSearch::RadioButtonGlobal,
                 &TRichEditSearch::ButtonFind);
    Search();
    EXPECT_EQ(RecNo(), 1);
    EXPECT_EQ(Rich->SelStart(), 6);
    EXPECT_EQ(Rich->SelText(), QStringLiteral("target"));
    EXPECT_TRUE(Messages().isEmpty());

    // Searching on goes to the second match of the record, then to the fourth record.
    SearchNext();
    EXPECT_EQ(RecNo(), 1);
    EXPECT_EQ(Rich->SelStart(), 17);
    SearchNext();
    EXPECT_EQ(RecNo(), 4);
    EXPECT_EQ(Rich->SelStart(), 4);
    // No further match: the message, and the dataset and selection stay.
    SearchNext();
    EXPECT_EQ(Messages(), QStringList({NotFound(QStringLiteral("target"))}));
    EXPECT_EQ(RecNo(), 4);
    EXPECT_EQ(Rich->SelStart(), 4);
    EXPECT_EQ(Rich->SelLength(), 6);
}

TEST_F(RichSearch, FromTheCurrentRecordSearchesTheRecordsAfterIt) {
    GoTo(2);
    AnswerSearch(QStringLiteral("TARGET"), &TRichEditSearch::RadioButtonFromCurrent,
                 &TRichEditSearch::ButtonFind);
    Search();
    EXPECT_EQ(RecNo(), 4) << "case ignored";

    // Case sensitive, nothing is found: back to the record and the selection it started on.
    GoTo(2);
    Select(1, 2);
    Responder.Answer([this](TForm* Form) {
        auto* dialog = qobject_cast<TRichEditSearch*>(Form);
        EXPECT_EQ(dialog->ComboBoxFind->Items()->Strings(0), QStringLiteral("TARGET"));
        Click(dialog->CheckBoxCase);
        Click(dialog->ButtonFind);
    });
    Search();
    EXPECT_EQ(Messages(), QStringList({NotFound(QStringLiteral("TARGET"))}));
    EXPECT_EQ(RecNo(), 2);
    EXPECT_EQ(Rich->SelStart(), 1);
    EXPECT_EQ(Rich->SelLength(), 2);
}

TEST_F(RichSearch, OnlyTheCurrentRecordNeverMovesTheDataset) {
    GoTo(2);
    int scrolls = 0;
    People->SetAfterScroll(TDataSetNotifyEvent([&](TDataSet*) { ++scrolls; }));
    AnswerSearch(QStringLiteral("target"), &TRichEditSearch::RadioButtonOnlyCurrent,
                 &TRichEditSearch::ButtonFind);
    Search();
    EXPECT_EQ(RecNo(), 2);
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(Messages(), QStringList({NotFound(QStringLiteral("target"))}));

    // Whole words only: "the" is found as a word, not inside "then".
    GoTo(4);
    scrolls = 0;
    Responder.Answer([this](TForm* Form) {
        auto* dialog = qobject_cast<TRichEditSearch*>(Form);
        Retype(dialog->ComboBoxFind, QStringLiteral("delta"));
        Click(dialog->CheckBoxWholeWords);
        Click(dialog->RadioButtonEntireScope);
        Click(dialog->ButtonFind);
    });
    Select(int(NotesText().size()), 0);
    Search();
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(Rich->SelStart(), 11) << "the entire scope searches from the start";
}

TEST_F(RichSearch, ReplaceAllAnsweredAllReplacesEveryFurtherMatchWithoutAsking) {
    GoTo(1);
    AnswerSearch(QStringLiteral("target"), &TRichEditSearch::RadioButtonGlobal,
                 &TRichEditSearch::ButtonReplaceAll, QStringLiteral("goal"));
    Responder.Answer([](TForm* Form) {
        auto* confirm = qobject_cast<TDialReplace*>(Form);
        ASSERT_TRUE(confirm);
        EXPECT_EQ(confirm->Caption(), QStringLiteral("Confirm"));
        EXPECT_EQ(confirm->LabelText->Caption(), QStringLiteral("'target'"));
        QTest::mouseClick(confirm->ButtonAll->Widget(), Qt::LeftButton);
    });
    Search();
    People->CheckBrowseMode();
    int confirmations = 0;
    for (const auto& shown : Responder.Shown())
        confirmations += shown.FormClass == QLatin1String("TDialReplace");
    EXPECT_EQ(confirmations, 1);
    EXPECT_TRUE(Messages().isEmpty()) << "the last match ends the loop without a message";
    EXPECT_EQ(StoredText(1), QStringLiteral("alpha goal and goal"));
    EXPECT_EQ(StoredText(4), QStringLiteral("the goal delta"));
    EXPECT_EQ(StoredText(2), QStringLiteral("beta"));
}

TEST_F(RichSearch, ReplaceAllWithoutPromptEndsAtTheLastMatch) {
    GoTo(2);
    AnswerSearch(QStringLiteral("a"), &TRichEditSearch::RadioButtonFromCurrent,
                 &TRichEditSearch::ButtonReplaceAll, QStringLiteral("aa"), nullptr, false);
    Search();
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_EQ(RecNo(), 4) << "the record of the last replacement";
    People->CheckBrowseMode();
    EXPECT_EQ(StoredText(1), QStringLiteral("alpha target and target"));
    EXPECT_EQ(StoredText(2), QStringLiteral("betaa"));
    EXPECT_EQ(StoredText(3), QStringLiteral("gaammaa"));
    EXPECT_EQ(StoredText(4), QStringLiteral("the taarget deltaa"));
    EXPECT_EQ(StoredText(5), QStringLiteral("epsilon"));
}

TEST_F(RichSearch, ReplaceAskedNoSkipsAndCancelStops) {
    GoTo(1);
    AnswerSearch(QStringLiteral("target"), &TRichEditSearch::RadioButtonGlobal,
                 &TRichEditSearch::ButtonReplaceAll, QStringLiteral("goal"));
    Responder.Answer(mrNo);
    Responder.Answer(mrYes);
    Responder.Answer(mrCancel);
    Search();
    People->CheckBrowseMode();
    EXPECT_EQ(StoredText(1), QStringLiteral("alpha target and goal"));
    EXPECT_EQ(StoredText(4), QStringLiteral("the target delta"));

    // A single replacement, then "Search/replace next" replaces the next one.
    GoTo(1);
    AnswerSearch(QStringLiteral("target"), &TRichEditSearch::RadioButtonGlobal,
                 &TRichEditSearch::ButtonReplace, QStringLiteral("aim"), nullptr, false);
    Search();
    EXPECT_EQ(NotesText(), QStringLiteral("alpha aim and goal"));
    SearchNext();
    People->CheckBrowseMode();
    EXPECT_EQ(RecNo(), 4);
    EXPECT_EQ(StoredText(4), QStringLiteral("the aim delta"));
}

TEST_F(RichSearch, TheDialogFollowsTheControlAndTheMode) {
    Rich->SetSearchGlobal(false);
    Rich->SetRecordName(QStringLiteral("person"));
    GoTo(4);
    Responder.Answer([](TForm* Form) {
        auto* dialog = qobject_cast<TRichEditSearch*>(Form);
        EXPECT_EQ(dialog->Caption(), QStringLiteral("Search \\ Replace"));
        EXPECT_TRUE(dialog->ButtonReplaceAll->Visible());
        EXPECT_EQ(dialog->ButtonCancel->Left(),
                  dialog->ButtonReplaceAll->Left() + dialog->ButtonReplaceAll->Width() + 8);
        EXPECT_FALSE(dialog->RadioButtonGlobal->Enabled());
        EXPECT_FALSE(dialog->RadioButtonFromCurrent->Enabled());
        EXPECT_FALSE(dialog->RadioButtonSelected->Enabled()) << "nothing selected";
        EXPECT_TRUE(dialog->RadioButtonOnlyCurrent->Checked());
        EXPECT_EQ(dialog->RadioButtonFromCurrent->Caption(), QStringLiteral("From person"));
        EXPECT_EQ(dialog->RadioButtonOnlyCurrent->Caption(), QStringLiteral("Only for person"));
        // An empty replacement keeps the dialog open.
        Retype(dialog->ComboBoxFind, QStringLiteral("target"));
        Click(dialog->ButtonReplace);
        EXPECT_EQ(dialog->ModalResult(), mrNone);
        Click(dialog->ButtonCancel);
    });
    Search();
    EXPECT_EQ(People->State(), dsBrowse);
    EXPECT_EQ(NotesText(), QStringLiteral("the target delta"));

    // With a selection, "Selected text" searches only inside it and disables "Replace All".
    Select(0, 8);
    Responder.Answer([](TForm* Form) {
        auto* dialog = qobject_cast<TRichEditSearch*>(Form);
        EXPECT_TRUE(dialog->RadioButtonSelected->Enabled());
        Click(dialog->RadioButtonSelected);
        EXPECT_FALSE(dialog->ButtonReplaceAll->Enabled());
        Retype(dialog->ComboBoxFind, QStringLiteral("target"));
        Click(dialog->ButtonFind);
    });
    Search();
    EXPECT_EQ(Messages(), QStringList({NotFound(QStringLiteral("target"))}));
    Select(0, 10);
    Responder.Answer([](TForm* Form) {
        auto* dialog = qobject_cast<TRichEditSearch*>(Form);
        EXPECT_TRUE(dialog->RadioButtonSelected->Checked());
        Click(dialog->ButtonFind);
    });
    Search();
    EXPECT_EQ(Rich->SelStart(), 4);
    EXPECT_EQ(Rich->SelLength(), 6);
}

} // namespace
