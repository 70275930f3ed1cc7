#include "TestForms.h"

#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Streaming.h>
#include <ui/Buttons.h>
#include <ui/ScriptedResponder.h>
#include <ui/UiClasses.h>

namespace {

void Click(TControl* Control) {
    QTest::mouseClick(Control->Widget(), Qt::LeftButton);
}

bool ShownDown(TSpeedButton* Button) {
    return qobject_cast<QToolButton*>(Button->Widget())->isChecked();
}

// Three speed buttons of group 1 ("a", "b", "c") and one of no group ("x") on a shown
// form with an edit; clicks are logged by caption.
class SpeedButtons : public ::testing::Test {
protected:
    SpeedButtons() {
        Edit->SetParent(&Form);
        Edit->SetTop(40);
        for (const char* caption : {"a", "b", "c"})
            Group.append(Add(1, QString::fromLatin1(caption)));
        Single = Add(0, QStringLiteral("x"));
        Form.Show();
        Activate(&Form);
    }

    TSpeedButton* Add(int GroupIndex, const QString& Caption) {
        auto* button = new TSpeedButton(&Form);
        button->SetParent(&Form);
        button->SetLeft(30 * Form.ControlCount());
        button->SetCaption(Caption);
        button->SetGroupIndex(GroupIndex);
        button->SetOnClick(TNotifyEvent([this, button](TObject*) { Clicks << button->Caption(); }));
        return button;
    }

    // Which buttons of the group are down, as the control and its widget say.
    QString Downs() {
        QString downs;
        for (TSpeedButton* button : std::as_const(Group)) {
            EXPECT_EQ(button->Down(), ShownDown(button)) << button->Caption().toStdString();
            if (button->Down())
                downs += button->Caption();
        }
        return downs;
    }

    TForm Form;
    TEdit* Edit = new TEdit(&Form);
    QList<TSpeedButton*> Group;
    TSpeedButton* Single;
    QStringList Clicks;
};

} // namespace

TEST_F(SpeedButtons, AClickPutsOneButtonOfTheGroupDown) {
    Click(Group[0]);
    EXPECT_EQ(Downs(), QStringLiteral("a"));
    Click(Group[1]);
    EXPECT_EQ(Downs(), QStringLiteral("b"));
    Click(Group[1]);
    EXPECT_EQ(Downs(), QStringLiteral("b")) << "without AllowAllUp the button stays down";
    Click(Group[2]);
    EXPECT_EQ(Downs(), QStringLiteral("c"));
    EXPECT_EQ(Clicks, QStringList({"a", "b", "b", "c"}));

    Group[0]->SetDown(true);
    EXPECT_EQ(Downs(), QStringLiteral("a"));
    Group[0]->SetDown(false);
    EXPECT_EQ(Downs(), QStringLiteral("a"));
    EXPECT_EQ(Clicks.size(), 4) << "setting Down is no click";

    Group[0]->SetEnabled(false);
    Click(Group[0]);
    EXPECT_EQ(Clicks.size(), 4);
}

TEST_F(SpeedButtons, AllowAllUpLetsTheDownButtonUp) {
    Group[1]->SetAllowAllUp(true);
    EXPECT_TRUE(Group[0]->AllowAllUp() && Group[2]->AllowAllUp()) << "the group shares it";
    EXPECT_FALSE(Single->AllowAllUp());

    Click(Group[1]);
    EXPECT_EQ(Downs(), QStringLiteral("b"));
    Click(Group[1]);
    EXPECT_EQ(Downs(), QString());
    Group[2]->SetDown(true);
    Group[2]->SetDown(false);
    EXPECT_EQ(Downs(), QString());
    EXPECT_EQ(Clicks, QStringList({"b", "b"}));
}

TEST_F(SpeedButtons, WithoutGroupAButtonNeverStaysDownNorTakesTheFocus) {
    Edit->SetFocus();
    Click(Single);
    Click(Single);
    EXPECT_EQ(Clicks, QStringList({"x", "x"}));
    EXPECT_FALSE(Single->Down());
    EXPECT_FALSE(ShownDown(Single));
    Single->SetDown(true);
    EXPECT_FALSE(Single->Down());
    EXPECT_TRUE(Edit->Focused());

    // Moving a down button out of its group puts it up; into one, puts the others up.
    Click(Group[0]);
    Group[0]->SetGroupIndex(0);
    EXPECT_FALSE(Group[0]->Down());
    Click(Group[1]);
    Group[2]->SetGroupIndex(2);
    Group[2]->SetDown(true);
    Group[2]->SetGroupIndex(1);
    EXPECT_EQ(Downs(), QStringLiteral("c"));
}

TEST_F(SpeedButtons, FlatButtonsRaiseUnderTheMouseOnly) {
    auto* widget = qobject_cast<QToolButton*>(Single->Widget());
    EXPECT_FALSE(widget->autoRaise());
    Single->SetFlat(true);
    EXPECT_TRUE(widget->autoRaise());
    EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus);
}

TEST(BitBtn, AKindBringsCaptionModalResultAndIcon) {
    struct TCase {
        TBitBtnKind Kind;
        const char* Caption;
        TModalResult Result;
        bool Default;
        bool Cancel;
    };
    for (const TCase& c :
         {TCase{bkOK, "OK", mrOk, true, false}, TCase{bkCancel, "Cancel", mrCancel, false, true},
          TCase{bkYes, "&Yes", mrYes, true, false}, TCase{bkNo, "&No", mrNo, false, true},
          TCase{bkAbort, "Abort", mrAbort, false, false},
          TCase{bkRetry, "&Retry", mrRetry, false, false},
          TCase{bkIgnore, "&Ignore", mrIgnore, false, false},
          TCase{bkAll, "&All", mrAll, false, false}, TCase{bkClose, "&Close", mrNone, false, false},
          TCase{bkHelp, "&Help", mrNone, false, false}}) {
        TBitBtn button;
        button.SetKind(c.Kind);
        const std::string kind = EnumName(c.Kind).toStdString();
        EXPECT_EQ(button.Caption(), QLatin1String(c.Caption)) << kind;
        EXPECT_EQ(button.ModalResult(), c.Result) << kind;
        EXPECT_EQ(button.Default(), c.Default) << kind;
        EXPECT_EQ(button.Cancel(), c.Cancel) << kind;
        auto* widget = qobject_cast<QPushButton*>(button.Widget());
        EXPECT_EQ(widget->text(), QLatin1String(c.Caption)) << kind;
        EXPECT_FALSE(widget->icon().isNull()) << kind;
    }
    TBitBtn custom;
    EXPECT_TRUE(qobject_cast<QPushButton*>(custom.Widget())->icon().isNull());
    custom.SetLayout(blGlyphRight);
    EXPECT_EQ(custom.Widget()->layoutDirection(), Qt::RightToLeft);
}

TEST(BitBtn, KindsEndAModalFormWithTheirResult) {
    TForm form;
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    form.SetActiveControl(edit);
    auto add = [&form](TBitBtnKind Kind) {
        auto* button = new TBitBtn(&form);
        button->SetParent(&form);
        button->SetKind(Kind);
        return button;
    };
    TBitBtn* ok = add(bkOK);
    add(bkCancel);
    TBitBtn* yes = add(bkYes);
    yes->SetDefault(false);
    TBitBtn* no = add(bkNo);
    no->SetCancel(false);
    TBitBtn* close = add(bkClose);
    int closeClicks = 0;
    close->SetOnClick(TNotifyEvent([&closeClicks](TObject*) { ++closeClicks; }));

    TScriptedResponder responder;
    for (auto [button, result] : {std::pair(ok, mrOk), std::pair(yes, mrYes), std::pair(no, mrNo),
                                  std::pair(close, mrCancel)}) {
        responder.Answer([button = button](TForm*) { Click(button); });
        EXPECT_EQ(form.ShowModal(), result) << EnumName(button->Kind()).toStdString();
    }
    EXPECT_EQ(closeClicks, 1);

    // Return clicks the default button, Escape the cancel button.
    responder.Answer([](TForm* Form) { QTest::keyClick(Form->Widget(), Qt::Key_Escape); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    responder.Answer([](TForm* Form) { QTest::keyClick(Form->Widget(), Qt::Key_Return); });
    EXPECT_EQ(form.ShowModal(), mrOk);
}

namespace {

// A glyph of Count 8x8 images side by side: red, green, blue, yellow.
std::unique_ptr<TBitmap> Glyphs(int Count) {
    static const TColor Colors[] = {clRed, clLime, clBlue, clYellow};
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(8 * Count, 8);
    for (int i = 0; i < Count; ++i) {
        bitmap->Canvas()->Brush()->SetColor(Colors[i]);
        bitmap->Canvas()->FillRect(QRect(8 * i, 0, 8, 8));
    }
    return bitmap;
}

// The image a button shows beside its caption.
QImage ShownGlyph(QWidget* Widget) {
    auto* button = qobject_cast<QAbstractButton*>(Widget);
    return button->icon().isNull() ? QImage() : button->icon().pixmap(button->iconSize()).toImage();
}

} // namespace

TEST(Glyph, ButtonsShowTheFirstOfTheirGlyphsAndKeepACopy) {
    TForm form;
    auto* bitBtn = new TBitBtn(&form);
    bitBtn->SetParent(&form);
    auto* speed = new TSpeedButton(&form);
    speed->SetParent(&form);
    bitBtn->SetKind(bkOK);
    const QImage kindIcon = ShownGlyph(bitBtn->Widget());
    ASSERT_FALSE(kindIcon.isNull());

    auto glyphs = Glyphs(3);
    bitBtn->SetGlyph(glyphs.get());
    speed->SetGlyph(glyphs.get());
    bitBtn->SetNumGlyphs(3);
    speed->SetNumGlyphs(3);
    glyphs->Canvas()->Brush()->SetColor(clBlack);
    glyphs->Canvas()->FillRect(QRect(0, 0, 24, 8));
    for (TControl* button : std::initializer_list<TControl*>{bitBtn, speed}) {
        SCOPED_TRACE(button->ClassName().toStdString());
        const QImage shown = ShownGlyph(button->Widget());
        ASSERT_EQ(shown.size(), QSize(8, 8)) << "one of three images, at its own size";
        EXPECT_EQ(QColor(shown.pixel(7, 4)), QColor(Qt::red)) << "the first image, copied";
    }

    bitBtn->SetGlyph(nullptr);
    EXPECT_EQ(ShownGlyph(bitBtn->Widget()).size(), kindIcon.size())
        << "without a glyph the kind's icon is back";
    bitBtn->SetKind(bkCustom);
    EXPECT_TRUE(ShownGlyph(bitBtn->Widget()).isNull());

    for (int bad : {0, 5})
        EXPECT_THROW(speed->SetNumGlyphs(bad), EPropertyError);
    EXPECT_EQ(speed->NumGlyphs(), 3);
}

TEST(Glyph, FormFilesStoreTheGlyphAsPictureData) {
    RegisterUiClasses();
    TForm form;
    form.SetName(QStringLiteral("GlyphForm"));
    auto* bitBtn = new TBitBtn(&form);
    bitBtn->SetName(QStringLiteral("Bit1"));
    bitBtn->SetParent(&form);
    bitBtn->SetGlyph(Glyphs(2).get());
    bitBtn->SetNumGlyphs(2);
    auto* speed = new TSpeedButton(&form);
    speed->SetName(QStringLiteral("Speed1"));
    speed->SetParent(&form);
    const QString text = WriteComponentToText(&form);
    EXPECT_TRUE(text.contains(QStringLiteral("Glyph.Data"))) << text.toStdString();

    std::unique_ptr<TComponent> read(ReadComponentFromText(text, QStringLiteral("glyph.form")));
    auto* copy = qobject_cast<TBitBtn*>(read->FindComponent(QStringLiteral("Bit1")));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->NumGlyphs(), 2);
    EXPECT_EQ(copy->Glyph()->Width(), 16);
    EXPECT_EQ(copy->Glyph()->Canvas()->Pixels(12, 4), clLime);
    auto* speedCopy = qobject_cast<TSpeedButton*>(read->FindComponent(QStringLiteral("Speed1")));
    ASSERT_TRUE(speedCopy);
    EXPECT_TRUE(speedCopy->Glyph()->Empty());

    const QString badCount =
        QString(text).replace(QStringLiteral("NumGlyphs = 2"), QStringLiteral("NumGlyphs = 7"));
    ASSERT_NE(badCount, text);
    EXPECT_THROW(ReadComponentFromText(badCount, QStringLiteral("bad.form")), Exception);
}
