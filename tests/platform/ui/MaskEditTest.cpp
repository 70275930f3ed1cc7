#include "TestForms.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Streaming.h>
#include <ui/Mask.h>

TEST(EditMask, ReadsMaskLiteralsAndFields) {
    const TEditMask date(QStringLiteral("!99/99/0000;1;_"));
    EXPECT_EQ(date.Length(), 10);
    EXPECT_EQ(date.EmptyText(), QStringLiteral("__/__/____"));
    EXPECT_TRUE(date.SaveLiterals());
    EXPECT_TRUE(date.IsLiteral(2));
    EXPECT_FALSE(date.IsLiteral(3));
    EXPECT_EQ(date.NextEditable(2), 3);
    EXPECT_EQ(date.PriorEditable(3), 1);
    EXPECT_EQ(date.PriorEditable(0), -1);
    EXPECT_EQ(date.PriorEditable(-1), -1) << "none before the start";
    const TEditMask blankLetter(QStringLiteral(">aa;1;p"));
    EXPECT_EQ(blankLetter.Conform(QStringLiteral("pb")), QStringLiteral("pB"))
        << "a blank stays blank where the blank character is accepted";
    EXPECT_EQ(date.NextEditable(10), 10);

    const TEditMask phone(QStringLiteral("(000) 000\\-0000;0;*"));
    EXPECT_EQ(phone.EmptyText(), QStringLiteral("(***) ***-****"));
    EXPECT_FALSE(phone.SaveLiterals());
    EXPECT_EQ(phone.Blank(), QLatin1Char('*'));

    const TEditMask plain(QStringLiteral("99\\;99"));
    EXPECT_EQ(plain.EmptyText(), QStringLiteral("__;__")) << "an escaped ';' is a literal";
    EXPECT_TRUE(plain.SaveLiterals());

    const TEditMask code(QStringLiteral(">LL<ll<>\\0_c#Aa"));
    EXPECT_EQ(code.EmptyText(), QStringLiteral("____0 ____"));
    EXPECT_EQ(code.Accept(0, QLatin1Char('a')), QLatin1Char('A'));
    EXPECT_EQ(code.Accept(2, QLatin1Char('B')), QLatin1Char('b'));
    EXPECT_TRUE(code.Accept(0, QLatin1Char('1')).isNull());
    EXPECT_TRUE(code.Accept(4, QLatin1Char('0')).isNull()) << "a literal takes nothing";
    EXPECT_EQ(code.Accept(6, QLatin1Char('%')), QLatin1Char('%'));
    EXPECT_EQ(code.Accept(7, QLatin1Char('-')), QLatin1Char('-'));
    EXPECT_TRUE(code.Accept(7, QLatin1Char('x')).isNull());
    EXPECT_EQ(code.Accept(8, QLatin1Char('x')), QLatin1Char('x')) << "no case after <>";
    EXPECT_TRUE(code.Accept(9, QLatin1Char('.')).isNull());
}

TEST(EditMask, ConvertsTextAndEditText) {
    const TEditMask saved(QStringLiteral("!99/99/0000;1;_"));
    EXPECT_EQ(saved.EditTextFrom(QStringLiteral("12/05/2024")), QStringLiteral("12/05/2024"));
    EXPECT_EQ(saved.TextFrom(QStringLiteral("12/__/____")), QStringLiteral("12/  /    "));
    EXPECT_EQ(saved.TextFrom(saved.EmptyText()), QString()) << "nothing entered";

    const TEditMask bare(QStringLiteral("99/99/0000;0;_"));
    EXPECT_EQ(bare.EditTextFrom(QStringLiteral("12052024")), QStringLiteral("12/05/2024"));
    EXPECT_EQ(bare.TextFrom(QStringLiteral("12/05/2024")), QStringLiteral("12052024"));
    EXPECT_EQ(bare.EditTextFrom(QStringLiteral("12x")), QStringLiteral("12/__/____"));
    EXPECT_EQ(bare.Conform(QStringLiteral("1x/05")), QStringLiteral("1_/05/____"));

    EXPECT_EQ(saved.FirstMissing(QStringLiteral("12/05/20__")), 8);
    EXPECT_EQ(saved.FirstMissing(QStringLiteral("__/__/2024")), -1) << "9 is optional";
    EXPECT_EQ(saved.FirstMissing(saved.EmptyText()), -1);
}

namespace {

// A mask edit and a plain edit on a shown form, the mask edit focused.
class MaskEdit : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        Edit = new TMaskEdit(&Form);
        Edit->SetParent(&Form);
        Other = new TEdit(&Form);
        Other->SetParent(&Form);
        Other->SetTop(40);
        Form.Show();
        Activate(&Form);
        Edit->SetFocus();
        ProcessEvents();
    }
    void TearDown() override { SetExceptionHandler(nullptr); }

    QLineEdit* Line() const { return qobject_cast<QLineEdit*>(Edit->Widget()); }
    void Type(const QString& Keys) const { QTest::keyClicks(Line(), Keys); }
    void Press(Qt::Key Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) const {
        QTest::keyClick(Line(), Key, Modifiers);
    }

    TForm Form;
    TMaskEdit* Edit = nullptr;
    TEdit* Other = nullptr;
};

} // namespace

TEST_F(MaskEdit, TypingFillsThePositionsAndSkipsLiterals) {
    Edit->SetEditMask(QStringLiteral("!99/99/0000;1;_"));
    EXPECT_TRUE(Edit->IsMasked());
    EXPECT_EQ(Edit->EditText(), QStringLiteral("__/__/____"));
    EXPECT_EQ(Edit->Text(), QString());
    Line()->home(false);

    const TBeepCounter beeps;
    Type(QStringLiteral("1205"));
    EXPECT_EQ(Line()->text(), QStringLiteral("12/05/____"));
    EXPECT_EQ(Edit->SelStart(), 6);
    EXPECT_EQ(beeps.Count(), 0);
    Type(QStringLiteral("x"));
    EXPECT_EQ(Edit->EditText(), QStringLiteral("12/05/____")) << "a letter where a digit goes";
    EXPECT_EQ(beeps.Count(), 1) << "a refused character beeps";
    Type(QStringLiteral("2024"));
    EXPECT_EQ(Edit->Text(), QStringLiteral("12/05/2024"));

    Press(Qt::Key_Backspace);
    EXPECT_EQ(Edit->EditText(), QStringLiteral("12/05/202_"));
    Press(Qt::Key_Home);
    Press(Qt::Key_Right);
    Press(Qt::Key_Right);
    EXPECT_EQ(Edit->SelStart(), 3) << "the cursor steps over the literal";
    Press(Qt::Key_Delete);
    EXPECT_EQ(Edit->EditText(), QStringLiteral("12/_5/202_"));
    Press(Qt::Key_Left);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(Edit->EditText(), QStringLiteral("_2/_5/202_"));
    EXPECT_EQ(Edit->SelStart(), 0);

    Edit->SetEditMask(QStringLiteral("999-999;1;_"));
    Edit->SetText(QString());
    Line()->home(false);
    Type(QStringLiteral("7-12"));
    EXPECT_EQ(Edit->EditText(), QStringLiteral("7__-12_")) << "typing the literal jumps to it";
}

TEST_F(MaskEdit, TextKeepsOrDropsTheLiterals) {
    Edit->SetEditMask(QStringLiteral("00-00;1;_"));
    Edit->SetText(QStringLiteral("12-34"));
    EXPECT_EQ(Edit->EditText(), QStringLiteral("12-34"));
    EXPECT_EQ(Edit->Text(), QStringLiteral("12-34"));

    Edit->SetEditMask(QStringLiteral("00-00;0;_"));
    EXPECT_EQ(Edit->EditText(), QStringLiteral("12-34")) << "the text survives a new mask";
    EXPECT_EQ(Edit->Text(), QStringLiteral("1234"));
    Edit->SetText(QStringLiteral("567"));
    EXPECT_EQ(Edit->EditText(), QStringLiteral("56-7_"));
    EXPECT_EQ(Edit->Text(), QStringLiteral("567 "));
    Edit->SetEditText(QStringLiteral("9x-1"));
    EXPECT_EQ(Edit->EditText(), QStringLiteral("9_-1_"));

    Edit->SetEditMask(QString());
    EXPECT_FALSE(Edit->IsMasked());
    EXPECT_EQ(Edit->Text(), QStringLiteral("9 1 "));

    QApplication::clipboard()->setText(QStringLiteral("4321"));
    Edit->SetEditMask(QStringLiteral("00-00;0;_"));
    Edit->SetText(QString());
    Line()->home(false);
    Press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Edit->EditText(), QStringLiteral("43-21"));
}

TEST_F(MaskEdit, LeavingWithARequiredPositionBlankFails) {
    QStringList shown;
    SetExceptionHandler([&shown](const Exception& E) { shown << E.Message(); });
    Edit->SetEditMask(QStringLiteral("!99/99/0000;1;_"));
    Line()->home(false);
    Type(QStringLiteral("120520"));

    Other->SetFocus();
    ProcessEvents();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Invalid input value")))
        << shown[0].toStdString();
    EXPECT_TRUE(Edit->Focused()) << "the edit gets the focus back";
    EXPECT_EQ(Edit->SelStart(), 8);
    EXPECT_THROW(Edit->ValidateEdit(), EDBEditError);

    Type(QStringLiteral("24"));
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ(shown.size(), 1);
    EXPECT_TRUE(Other->Focused());

    Edit->SetText(QString());
    EXPECT_NO_THROW(Edit->ValidateEdit()) << "an empty text is no entry at all";
}

TEST_F(MaskEdit, LoadsFromAFormFile) {
    const QString text = QStringLiteral(R"(object Form1: TForm
  object Mask1: TMaskEdit
    Text = '1234'
    EditMask = '00-00;0;_'
  end
end
)");
    std::unique_ptr<TComponent> form(ReadComponentFromText(text, QStringLiteral("mask.form")));
    auto* edit = qobject_cast<TMaskEdit*>(form->FindComponent(QStringLiteral("Mask1")));
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->EditMask(), QStringLiteral("00-00;0;_"));
    EXPECT_EQ(edit->EditText(), QStringLiteral("12-34"));
    EXPECT_EQ(edit->Text(), QStringLiteral("1234"));
}
