#include "ComboFixture.h"

#include <controls/KroContr.h>
#include <controls/KroPopup.h>
#include <fields/KroListCombo.h>
#include <rtl/TypeInfo.h>
#include <ui/StdCtrls.h>

namespace {

// A list combo on Pers.Sex, followed by an edit that takes the focus next.
class KroListComboFixture : public ComboFixture, public ::testing::WithParamInterface<const char*> {
protected:
    QString Engine() const override { return QString::fromLatin1(GetParam()); }
    void SetUp() override {
        ComboFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Combo->SetParent(&Form);
        Combo->SetBounds(10, 10, 150, 24);
        Next->SetParent(&Form);
        Next->SetBounds(10, 50, 100, 24);
        Combo->SetKroDataSource(PersSource);
        Combo->SetKroDataField(QStringLiteral("Sex"));
        OpenAll();
    }

    TKroDBCombo* Combo = new TKroDBCombo(&Form);
    TEdit* Next = new TEdit(&Form);
};

ON_EVERY_ENGINE_WITH(KroListCombo, KroListComboFixture);

TEST_P(KroListCombo, TheSexComboListsTheFieldsTextsAndTakesDigitsUpToTheLast) {
    ASSERT_EQ(Combo->ItemCount(), 3);
    EXPECT_EQ(Combo->Items()->Strings(1), QStringLiteral("Male"));
    EXPECT_EQ(GetOrdProp(Combo, QStringLiteral("Items")), 3) << "published as the count";
    GoTo("Bob");
    EXPECT_EQ(Combo->Text(), QStringLiteral("Male"));
    GoTo("Cid");
    ShowFocused(Combo);

    Type(Combo, "2");
    EXPECT_EQ(Pers->State(), dsEdit);
    EXPECT_EQ(Value("Sex").toInt(), 2);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Female"));
    Type(Combo, "3");
    EXPECT_EQ(Value("Sex").toInt(), 2) << "only two lines beyond 0";
    Type(Combo, "0");
    EXPECT_TRUE(VarIsNull(Value("Sex"))) << "the empty line stores null";
    Type(Combo, "1");
    Key(Combo, Qt::Key_Delete);
    EXPECT_TRUE(VarIsNull(Value("Sex")));
    Type(Combo, "1");
    Key(Combo, Qt::Key_Backspace);
    EXPECT_TRUE(VarIsNull(Value("Sex")));

    // A read-only combo takes neither.
    Type(Combo, "2");
    Combo->SetReadOnly(true);
    Type(Combo, "1");
    Key(Combo, Qt::Key_Delete);
    EXPECT_EQ(Value("Sex").toInt(), 2);
}

TEST_P(KroListCombo, AnotherFieldEmptiesTheListAndStylesWithAnEditFieldAreRefused) {
    EXPECT_EQ(Combo->Style(), csDropDownList);
    Combo->SetStyle(csDropDown);
    EXPECT_EQ(Combo->Style(), csDropDownList);
    Combo->SetStyle(csSimple);
    EXPECT_EQ(Combo->Style(), csDropDownList);
    Combo->SetStyle(csOwnerDrawFixed);
    EXPECT_EQ(Combo->Style(), csOwnerDrawFixed);

    Combo->SetKroDataField(QStringLiteral("Rank"));
    EXPECT_EQ(Combo->ItemCount(), 0);
    Combo->SetKroDataField(QStringLiteral("Sex"));
    EXPECT_EQ(Combo->ItemCount(), 3);
    // The list follows the link and the parent.
    Pers->Close();
    EXPECT_EQ(Combo->ItemCount(), 0);
    Pers->Open();
    EXPECT_EQ(Combo->ItemCount(), 3);
    Combo->SetParent(nullptr);
    EXPECT_EQ(Combo->ItemCount(), 0);
    Combo->SetParent(&Form);
    EXPECT_EQ(Combo->ItemCount(), 3);
    // More lines in the field, more entries.
    Sex->Values()->Add(QStringLiteral("Other"));
    Pers->Close();
    Pers->Open();
    EXPECT_EQ(Combo->ItemCount(), 4);
}

TEST_P(KroListCombo, EnterMovesOnCtrlEnterOpensAndAClickBesideTheButtonOnlyFocuses) {
    GoTo("Ann");
    ShowFocused(Next);
    QTest::mouseClick(Combo->Widget(), Qt::LeftButton, {}, QPoint(10, 10));
    ProcessEvents();
    EXPECT_TRUE(Combo->Focused());
    EXPECT_FALSE(Combo->DroppedDown());
    QTest::mouseClick(Combo->Widget(), Qt::LeftButton, {}, QPoint(10, 10));
    ProcessEvents();
    EXPECT_TRUE(Combo->DroppedDown()) << "focused, a click opens the list";
    Combo->SetDroppedDown(false);
    ProcessEvents();

    Key(Combo, Qt::Key_Return, Qt::ControlModifier);
    ProcessEvents();
    EXPECT_TRUE(Combo->DroppedDown());
    Combo->SetDroppedDown(false);
    ProcessEvents();
    Key(Combo, Qt::Key_Return);
    ProcessEvents();
    EXPECT_TRUE(Next->Focused());

    Combo->Loaded();
    EXPECT_EQ(Combo->PopupMenu(), PopupMenuKroDBFieldControls());
    EXPECT_NE(qobject_cast<TKroDBCombo*>(KroDBComboFactory(&Form, Sex)), nullptr);
    EXPECT_EQ(KroDBComboFactory(&Form, Pers->FieldByName(QStringLiteral("Rank"))), nullptr);
}

TEST_P(KroListCombo, EnterInTheEditMovesOnWithoutPostingANewRecord) {
    auto* edit = new TKroDBEdit(&Form);
    edit->SetParent(&Form);
    edit->SetBounds(10, 90, 100, 24);
    edit->SetDataSource(PersSource);
    edit->SetDataField(QStringLiteral("Name"));
    int entered = 0;
    edit->SetOnKeyDown(TKeyEvent(
        [&entered](TObject*, quint16& Key, TShiftState) { entered += Key == VK_RETURN; }));
    Pers->Insert();
    ShowFocused(edit);
    Type(edit, "Zed");
    Key(edit, Qt::Key_Return);
    ProcessEvents();
    EXPECT_EQ(entered, 1);
    EXPECT_FALSE(edit->Focused());
    EXPECT_EQ(Pers->State(), dsInsert) << "the half-filled record stays unposted";
    EXPECT_EQ(Value("Name").toString(), QStringLiteral("Zed"));
    Pers->Cancel();
    EXPECT_FALSE(Pers->Locate(QStringLiteral("Name"), QStringLiteral("Zed"), {}));
}

} // namespace

TEST_P(KroListCombo, OnTheOneRecordPageTheComboShowsItsLongestTextUncut) {
    Sex->SetDisplayWidth(1);
    Sex->Values()->Add(QStringLiteral("Prefers not to say"));
    Pers->Close();
    Pers->Open();
    auto* box = new TScrollBox(&Form);
    box->SetBounds(0, 100, 400, 150);
    box->SetParent(&Form);
    BuildControls(box, PersSource, nullptr, TColor(0), true, true);
    TKroDBCombo* page = nullptr;
    for (int i = 0; i < box->ControlCount() && !page; ++i)
        page = qobject_cast<TKroDBCombo*>(box->Controls(i));
    ASSERT_TRUE(page);
    Form.Show();
    ASSERT_EQ(page->ItemCount(), 4);
    // What the widget's style asks for to show its widest entry.
    EXPECT_GE(page->Widget()->width(), page->Widget()->sizeHint().width());
}
