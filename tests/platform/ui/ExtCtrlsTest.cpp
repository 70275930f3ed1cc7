#include "TestForms.h"

#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Streaming.h>
#include <ui/Buttons.h>
#include <ui/ExtCtrls.h>

namespace {

QRadioButton* RadioOf(TRadioButton* Button) {
    return qobject_cast<QRadioButton*>(Button->Widget());
}

void Press(TWinControl* Control, Qt::Key Key) {
    QTest::keyClick(Control->Widget(), Key);
}

QColor PixelAt(const QImage& Image, TControl* Control, int X, int Y) {
    return Image.pixelColor(Control->Left() + X, Control->Top() + Y);
}

template <class T> T* Find(TComponent* Root, const char* Name) {
    auto* found = qobject_cast<T*>(Root->FindComponent(QString::fromLatin1(Name)));
    EXPECT_TRUE(found) << Name;
    return found;
}

// Three radio buttons on a shown form and one on a panel of it; clicks are logged.
class RadioButtons : public ::testing::Test {
protected:
    RadioButtons() {
        for (int i = 0; i < 3; ++i)
            Buttons.append(Add(&Form, i));
        auto* panel = new TPanel(&Form);
        panel->SetParent(&Form);
        panel->SetTop(100);
        Other = Add(panel, 9);
        Form.Show();
        Activate(&Form);
    }

    TRadioButton* Add(TWinControl* Parent, int Number) {
        auto* button = new TRadioButton(&Form);
        button->SetParent(Parent);
        button->SetTop(20 * Number);
        button->SetCaption(QString::number(Number));
        button->SetOnClick(TNotifyEvent([this, button](TObject*) { Clicks << button->Caption(); }));
        return button;
    }

    // The checked buttons, as the controls and their widgets say.
    QString Checked() {
        QString checked;
        for (TRadioButton* button : std::as_const(Buttons) + QList<TRadioButton*>{Other}) {
            EXPECT_EQ(button->Checked(), RadioOf(button)->isChecked());
            if (button->Checked())
                checked += button->Caption();
        }
        return checked;
    }

    TForm Form;
    QList<TRadioButton*> Buttons;
    TRadioButton* Other;
    QStringList Clicks;
};

} // namespace

TEST_F(RadioButtons, CheckingOneUnchecksTheOthersOfItsParent) {
    Other->SetChecked(true);
    QTest::mouseClick(RadioOf(Buttons[1]), Qt::LeftButton, Qt::NoModifier, QPoint(6, 8));
    EXPECT_EQ(Checked(), QStringLiteral("19"));
    QTest::mouseClick(RadioOf(Buttons[1]), Qt::LeftButton, Qt::NoModifier, QPoint(6, 8));
    EXPECT_EQ(Checked(), QStringLiteral("19")) << "clicking the checked button keeps it";
    Buttons[2]->SetChecked(true);
    EXPECT_EQ(Checked(), QStringLiteral("29"));
    Buttons[2]->SetChecked(false);
    EXPECT_EQ(Checked(), QStringLiteral("9"));
    EXPECT_EQ(Clicks, QStringList({"9", "1", "2"}));
}

TEST_F(RadioButtons, ArrowKeysMoveAndCheckWithinTheGroup) {
    Buttons[0]->SetFocus();
    Press(Buttons[0], Qt::Key_Space);
    EXPECT_EQ(Checked(), QStringLiteral("0"));
    Press(Buttons[0], Qt::Key_Down);
    EXPECT_TRUE(Buttons[1]->Focused());
    EXPECT_EQ(Checked(), QStringLiteral("1"));
    Buttons[2]->SetEnabled(false);
    Press(Buttons[1], Qt::Key_Right);
    EXPECT_TRUE(Buttons[0]->Focused()) << "disabled buttons are skipped, the end wraps";
    Press(Buttons[0], Qt::Key_Up);
    EXPECT_TRUE(Buttons[1]->Focused());
    EXPECT_EQ(Checked(), QStringLiteral("1"));
    EXPECT_EQ(Clicks, QStringList({"0", "1", "0", "1"}));
}

TEST(RadioGroup, ItemsMakeButtonsAndItemIndexFollowsThem) {
    TForm form;
    auto* group = new TRadioGroup(&form);
    group->SetParent(&form);
    group->SetBounds(0, 0, 200, 100);
    group->SetColumns(2);
    for (const char* item : {"a", "b", "c"})
        group->Items()->Add(QString::fromLatin1(item));
    int clicks = 0;
    group->SetOnClick(TNotifyEvent([&clicks](TObject*) { ++clicks; }));
    form.Show();
    Activate(&form);

    ASSERT_EQ(group->ControlCount(), 3);
    EXPECT_EQ(group->Buttons(2)->Caption(), QStringLiteral("c"));
    EXPECT_EQ(group->Buttons(1)->Left(), group->Buttons(0)->Left()) << "first column: a, b";
    EXPECT_GT(group->Buttons(1)->Top(), group->Buttons(0)->Top());
    EXPECT_GT(group->Buttons(2)->Left(), group->Buttons(0)->Left()) << "second column: c";
    EXPECT_EQ(group->ItemIndex(), -1);

    QRadioButton* second = RadioOf(group->Buttons(1));
    QTest::mouseClick(second, Qt::LeftButton, Qt::NoModifier, QPoint(6, second->height() / 2));
    EXPECT_EQ(group->ItemIndex(), 1);
    group->SetItemIndex(2);
    EXPECT_TRUE(RadioOf(group->Buttons(2))->isChecked());
    EXPECT_FALSE(group->Buttons(1)->Checked());
    group->Buttons(2)->SetFocus();
    Press(group->Buttons(2), Qt::Key_Up);
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(clicks, 3);
    group->SetItemIndex(1);
    EXPECT_EQ(clicks, 3);

    group->Items()->Delete(2);
    group->Items()->Delete(1);
    EXPECT_EQ(group->ControlCount(), 1);
    EXPECT_EQ(group->ItemIndex(), -1);
    EXPECT_THROW(group->SetItemIndex(1), EListError);
    EXPECT_THROW(group->SetColumns(0), EInvalidOperation);
}

TEST(Bevel, ShapesAreDrawnInTheStyleColours) {
    TForm form;
    form.SetBounds(0, 0, 200, 100);
    auto add = [&form](int Left, TBevelShape Shape, TBevelStyle Style) {
        auto* bevel = new TBevel(&form);
        bevel->SetParent(&form);
        bevel->SetBounds(Left, 10, 20, 20);
        bevel->SetShape(Shape);
        bevel->SetStyle(Style);
        return bevel;
    };
    TBevel* box = add(0, bsBox, bsLowered);
    TBevel* raised = add(30, bsBox, bsRaised);
    TBevel* top = add(60, bsTopLine, bsLowered);
    TBevel* right = add(90, bsRightLine, bsLowered);
    TBevel* frame = add(120, bsFrame, bsLowered);
    TBevel* spacer = add(150, bsSpacer, bsLowered);
    form.Show();
    const QImage image = form.Widget()->grab().toImage();
    const QColor dark = ColorToQColor(clBtnShadow);
    const QColor light = ColorToQColor(clBtnHighlight);
    const QColor face = PixelAt(image, spacer, 0, 0);

    EXPECT_EQ(PixelAt(image, box, 0, 5), dark);
    EXPECT_EQ(PixelAt(image, box, 19, 5), light);
    EXPECT_EQ(PixelAt(image, box, 5, 5), face);
    EXPECT_EQ(PixelAt(image, raised, 5, 0), light);
    EXPECT_EQ(PixelAt(image, raised, 5, 19), dark);
    EXPECT_EQ(PixelAt(image, top, 5, 0), dark);
    EXPECT_EQ(PixelAt(image, top, 5, 1), light);
    EXPECT_EQ(PixelAt(image, top, 5, 19), face);
    EXPECT_EQ(PixelAt(image, right, 18, 5), dark);
    EXPECT_EQ(PixelAt(image, right, 19, 5), light);
    EXPECT_EQ(PixelAt(image, right, 0, 5), face);
    EXPECT_EQ(PixelAt(image, frame, 0, 5), dark);
    EXPECT_EQ(PixelAt(image, frame, 1, 5), light);
    EXPECT_EQ(PixelAt(image, frame, 19, 5), light);
    EXPECT_NE(face, dark);
    EXPECT_NE(face, light);
}

TEST(ScrollBox, ChildControlsScrollInTheView) {
    TForm form;
    form.SetBounds(0, 0, 300, 300);
    auto* box = new TScrollBox(&form);
    box->SetParent(&form);
    box->SetBounds(10, 10, 150, 100);
    auto* edit = new TEdit(&form);
    edit->SetParent(box);
    edit->SetBounds(10, 300, 100, 21);
    auto* header = new TPanel(&form);
    header->SetParent(box);
    header->SetAlign(alTop);
    form.Show();
    auto* area = qobject_cast<QScrollArea*>(box->Widget());
    ASSERT_TRUE(area);

    EXPECT_EQ(edit->Widget()->parentWidget(), area->widget());
    EXPECT_EQ(area->verticalScrollBar()->maximum(), 321 - area->viewport()->height());
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(header->Width(), area->viewport()->width()) << "aligned children fill the view";

    box->VertScrollBar()->SetPosition(220);
    EXPECT_EQ(box->VertScrollBar()->Position(), 220);
    EXPECT_EQ(edit->Widget()->mapTo(area->viewport(), QPoint()).y(), 80);
    EXPECT_EQ(edit->Top(), 300) << "bounds are in the scrolled area";
    area->verticalScrollBar()->setValue(20);
    EXPECT_EQ(box->VertScrollBar()->Position(), 20);

    box->HorzScrollBar()->SetRange(500);
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 500 - area->viewport()->width());
    edit->SetTop(40);
    EXPECT_EQ(area->verticalScrollBar()->maximum(), 0) << "the area shrinks with its children";

    EXPECT_THROW(box->SetBorderStyle(bsDialog), EInvalidOperation);
    box->SetBorderStyle(bsNone);
    EXPECT_EQ(area->frameWidth(), 0);
}

TEST(FormFile, TheControlsLoadWithTheirProperties) {
    RegisterTestClasses();
    std::unique_ptr<TComponent> read(
        ReadComponentFromFile(QStringLiteral(":/forms/TestControls.form")));
    auto* form = qobject_cast<TForm*>(read.get());
    ASSERT_TRUE(form);
    auto* src = Find<TListBox>(form, "SrcList");
    auto* dst = Find<TListBox>(form, "DstList");
    auto* include = Find<TSpeedButton>(form, "IncludeBtn");
    auto* exclude = Find<TSpeedButton>(form, "ExcludeBtn");
    auto* ok = Find<TBitBtn>(form, "OkBtn");
    auto* cancel = Find<TBitBtn>(form, "CancelBtn");
    auto* choice = Find<TRadioGroup>(form, "Choice");
    auto* alone = Find<TRadioButton>(form, "Alone");
    auto* line = Find<TBevel>(form, "Line");
    auto* scroll = Find<TScrollBox>(form, "Scroll");
    auto* inner = Find<TEdit>(form, "Inner");
    ASSERT_TRUE(src && dst && include && exclude && ok && cancel && choice && alone && line &&
                scroll && inner);

    EXPECT_EQ(src->DragMode(), dmAutomatic);
    EXPECT_EQ(src->DragCursor(), crDrag);
    EXPECT_TRUE(src->MultiSelect());
    EXPECT_EQ(src->Items()->ToStringList(), QStringList({"one", "two", "three"}));
    EXPECT_EQ(qobject_cast<QListWidget*>(src->Widget())->count(), 3);
    EXPECT_EQ(dst->DragCursor(), crHandPoint);
    EXPECT_EQ(dst->Items()->ToStringList(), QStringList({"a", "b"}));
    EXPECT_TRUE(include->Down());
    EXPECT_FALSE(exclude->Down()) << "a button of no group is never down";
    EXPECT_TRUE(exclude->Flat());
    EXPECT_EQ(ok->Caption(), QStringLiteral("OK"));
    EXPECT_EQ(ok->ModalResult(), mrOk);
    EXPECT_TRUE(ok->Default());
    EXPECT_EQ(cancel->Caption(), QStringLiteral("Abandon"));
    EXPECT_EQ(cancel->ModalResult(), mrCancel);
    EXPECT_EQ(choice->Columns(), 2);
    EXPECT_EQ(choice->ItemIndex(), 1);
    EXPECT_TRUE(choice->Buttons(1)->Checked());
    EXPECT_TRUE(alone->Checked());
    EXPECT_EQ(line->Shape(), bsTopLine);
    EXPECT_EQ(line->Style(), bsRaised);
    EXPECT_EQ(scroll->BorderStyle(), bsNone);
    EXPECT_EQ(scroll->VertScrollBar()->Range(), 400);
    EXPECT_EQ(inner->Parent(), scroll);

    // Written back, each stores what differs from its defaults and its kind.
    const QString text = WriteComponentToText(form);
    for (const char* stored : {"DragMode = dmAutomatic", "DragCursor = crHandPoint", "Kind = bkOK",
                               "Caption = 'Abandon'", "ItemIndex = 1", "Shape = bsTopLine",
                               "VertScrollBar.Range = 400", "'three'"})
        EXPECT_TRUE(text.contains(QLatin1String(stored))) << stored;
    for (const char* omitted : {"Caption = 'OK'", "ModalResult", "DragCursor = crDrag"})
        EXPECT_FALSE(text.contains(QLatin1String(omitted))) << omitted;
}
