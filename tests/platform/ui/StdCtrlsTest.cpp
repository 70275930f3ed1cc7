#include "TestForms.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <ui/StdCtrls.h>

namespace {

// A shown form with one control of class T on it.
template <class T> class TOnForm {
public:
    TOnForm() : Control(new T(&Form)) {
        Control->SetParent(&Form);
        Form.Show();
    }
    TForm Form;
    T* Control;
};

TNotifyEvent Counter(int& Count) {
    return TNotifyEvent([&Count](TObject*) { ++Count; });
}

} // namespace

TEST(Edit, TypedAndSetTextFireOnChange) {
    TOnForm<TEdit> on;
    TEdit* edit = on.Control;
    int changes = 0;
    edit->SetOnChange(Counter(changes));
    auto* widget = qobject_cast<QLineEdit*>(edit->Widget());
    ASSERT_TRUE(widget);

    edit->SetText(QStringLiteral("abc"));
    EXPECT_EQ(widget->text(), QStringLiteral("abc"));
    EXPECT_EQ(changes, 1);
    edit->SetText(QStringLiteral("abc"));
    EXPECT_EQ(changes, 1);

    widget->end(false);
    QTest::keyClicks(widget, QStringLiteral("de"));
    EXPECT_EQ(edit->Text(), QStringLiteral("abcde"));
    EXPECT_EQ(changes, 3);

    edit->Clear();
    edit->SetMaxLength(4);
    QTest::keyClicks(widget, QStringLiteral("123456"));
    EXPECT_EQ(edit->Text(), QStringLiteral("1234"));

    edit->SetReadOnly(true);
    QTest::keyClicks(widget, QStringLiteral("x"));
    EXPECT_EQ(edit->Text(), QStringLiteral("1234"));
}

TEST(Edit, TextSetBeforeTheWidgetExistsIsShown) {
    TEdit edit;
    int changes = 0;
    edit.SetOnChange(Counter(changes));
    edit.SetText(QStringLiteral("early"));
    EXPECT_FALSE(edit.HandleAllocated());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(qobject_cast<QLineEdit*>(edit.Widget())->text(), QStringLiteral("early"));
    EXPECT_EQ(changes, 1);
}

TEST(Edit, SelectionAddressesTheText) {
    TEdit edit;
    edit.SetText(QStringLiteral("hello"));
    edit.SetSelStart(1);
    edit.SetSelLength(3);
    EXPECT_EQ(edit.SelStart(), 1);
    EXPECT_EQ(edit.SelLength(), 3);
    EXPECT_EQ(edit.SelText(), QStringLiteral("ell"));
    edit.SelectAll();
    EXPECT_EQ(edit.SelText(), QStringLiteral("hello"));
}

namespace {

// The leftmost column of Image holding a pixel of text (darker than mid-grey) in its middle
// row band; -1 when none does.
int FirstInkColumn(const QImage& Image) {
    for (int x = 0; x < Image.width(); ++x)
        for (int y = Image.height() / 4; y < Image.height() * 3 / 4; ++y)
            if (qGray(Image.pixel(x, y)) < 96)
                return x;
    return -1;
}

} // namespace

TEST(Edit, BorderStyleAndTextMarginsPlaceTheText) {
    TForm form;
    auto* framed = new TEdit(&form);
    framed->SetParent(&form);
    auto* bare = new TEdit(&form);
    bare->SetParent(&form);
    bare->SetTop(30);
    bare->SetBorderStyle(bsNone);
    bare->SetTextMargins(QMargins(30, 0, 0, 0)); // before the widget exists
    for (TEdit* edit : {framed, bare})
        edit->SetText(QStringLiteral("WWW"));
    EXPECT_THROW(bare->SetBorderStyle(bsDialog), EInvalidOperation);
    form.Show();
    ProcessEvents();

    const QImage framedImage = framed->Widget()->grab().toImage();
    QImage bareImage = bare->Widget()->grab().toImage();
    const QColor window = ColorToQColor(clWindow);
    EXPECT_NE(framedImage.pixelColor(0, framed->Height() / 2), window) << "a frame";
    EXPECT_EQ(bareImage.pixelColor(0, bare->Height() / 2), window) << "no frame";
    const int plainInk = FirstInkColumn(framedImage);
    ASSERT_GE(plainInk, 0);
    EXPECT_LT(plainInk, 10);
    EXPECT_GE(FirstInkColumn(bareImage), 30) << "the text starts after the left margin";

    bare->SetTextMargins(QMargins(2, 0, 2, 0));
    EXPECT_EQ(bare->TextMargins(), QMargins(2, 0, 2, 0));
    ProcessEvents();
    bareImage = bare->Widget()->grab().toImage();
    EXPECT_LT(FirstInkColumn(bareImage), 10);
}

TEST(Button, ClickSetsTheModalResultBeforeOnClick) {
    TOnForm<TButton> on;
    on.Control->SetModalResult(mrYes);
    int seen = -1;
    on.Control->SetOnClick(TNotifyEvent([&seen, &on](TObject*) { seen = on.Form.ModalResult(); }));
    QTest::mouseClick(on.Control->Widget(), Qt::LeftButton);
    EXPECT_EQ(seen, mrYes);

    on.Form.SetModalResult(mrNone);
    on.Control->SetEnabled(false);
    QTest::mouseClick(on.Control->Widget(), Qt::LeftButton);
    EXPECT_EQ(on.Form.ModalResult(), mrNone);
}

TEST(CheckBox, ClickingOrSettingTheStateFiresOnClick) {
    TOnForm<TCheckBox> on;
    TCheckBox* box = on.Control;
    box->SetCaption(QStringLiteral("Check"));
    int clicks = 0;
    box->SetOnClick(Counter(clicks));
    auto* widget = qobject_cast<QCheckBox*>(box->Widget());
    ASSERT_TRUE(widget);

    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(6, 8));
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(clicks, 1);

    box->SetChecked(false);
    EXPECT_EQ(widget->checkState(), Qt::Unchecked);
    EXPECT_EQ(clicks, 2);
    box->SetChecked(false);
    EXPECT_EQ(clicks, 2);

    box->SetState(cbGrayed);
    EXPECT_EQ(widget->checkState(), Qt::PartiallyChecked);
    QTest::keyClick(widget, Qt::Key_Space);
    EXPECT_NE(box->State(), cbGrayed);
    EXPECT_EQ(clicks, 4);
}

TEST(Memo, LinesFollowTheTextBothWays) {
    TOnForm<TMemo> on;
    TMemo* memo = on.Control;
    int changes = 0;
    memo->SetOnChange(Counter(changes));
    auto* widget = qobject_cast<QPlainTextEdit*>(memo->Widget());
    ASSERT_TRUE(widget);

    memo->Lines()->Add(QStringLiteral("one"));
    memo->Lines()->Add(QStringLiteral("two"));
    EXPECT_EQ(widget->toPlainText(), QStringLiteral("one\ntwo"));
    EXPECT_EQ(changes, 2);

    widget->moveCursor(QTextCursor::End);
    QTest::keyClick(widget, Qt::Key_Return);
    QTest::keyClicks(widget, QStringLiteral("three"));
    EXPECT_EQ(memo->Lines()->ToStringList(), QStringList({"one", "two", "three"}));
    EXPECT_EQ(memo->Text(), QStringLiteral("one\ntwo\nthree"));

    changes = 0;
    memo->Lines()->BeginUpdate();
    memo->Lines()->Clear();
    memo->Lines()->Add(QStringLiteral("a"));
    memo->Lines()->EndUpdate();
    EXPECT_EQ(widget->toPlainText(), QStringLiteral("a"));
    EXPECT_EQ(changes, 1);

    memo->SetText(QStringLiteral("x\r\ny"));
    EXPECT_EQ(memo->Lines()->Count(), 2);
    memo->SetText(QString());
    EXPECT_EQ(memo->Lines()->Count(), 0);
}

TEST(Memo, TabMovesOnUnlessTheMemoWantsTabs) {
    TForm form;
    auto* memo = new TMemo(&form);
    memo->SetParent(&form);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    form.Show();
    Activate(&form);
    memo->SetFocus();
    QTest::keyClick(memo->Widget(), Qt::Key_Tab);
    EXPECT_TRUE(edit->Focused());

    memo->SetWantTabs(true);
    memo->SetFocus();
    QTest::keyClick(memo->Widget(), Qt::Key_Tab);
    EXPECT_TRUE(memo->Focused());
    EXPECT_EQ(memo->Text(), QStringLiteral("\t"));
}

TEST(Label, TheAcceleratorFocusesTheFocusControl) {
    RegisterTestClasses();
    TTestDialog dialog;
    dialog.Show();
    Activate(&dialog);
    dialog.Notes->SetFocus();
    ASSERT_TRUE(dialog.Notes->Focused());

    QTest::keyClick(dialog.Widget(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(dialog.NameEdit->Focused());
    EXPECT_EQ(dialog.ActiveControl(), dialog.NameEdit);
}

TEST(Label, WithoutFocusControlTheAcceleratorIsOnlyShown) {
    TLabel label;
    label.SetCaption(QStringLiteral("&Save && close"));
    EXPECT_EQ(qobject_cast<QLabel*>(label.Widget())->text(), QStringLiteral("Save & close"));
}

TEST(Label, AutoSizeFitsTheCaption) {
    TLabel label;
    label.SetCaption(QStringLiteral("Short"));
    const int shortWidth = label.Width();
    label.SetCaption(QStringLiteral("A much longer caption"));
    EXPECT_GT(label.Width(), shortWidth);
    EXPECT_EQ(QSize(label.Width(), label.Height()), label.Widget()->sizeHint());

    label.SetCaption(QStringLiteral("Name"));
    const int plain = label.Width();
    label.SetCaption(QStringLiteral("&Name"));
    EXPECT_EQ(label.Width(), plain) << "the accelerator mark takes no room";

    label.SetAutoSize(false);
    label.SetCaption(QStringLiteral("A much longer caption"));
    EXPECT_EQ(label.Width(), plain);

    label.SetAutoSize(true);
    label.SetAlignment(taRightJustify);
    const int right = label.Left() + label.Width();
    label.SetCaption(QStringLiteral("x"));
    EXPECT_EQ(label.Left() + label.Width(), right) << "right-aligned labels keep their right edge";
}
