#include "TestForms.h"

#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <ui/ExtCtrls.h>
#include <ui/StdCtrls.h>

namespace {

// A control that counts the paints its widget forwards.
class TPaintProbe : public TWinControl {
public:
    using TWinControl::TWinControl;
    int Paints = 0;

protected:
    void Paint() override { ++Paints; }
};

template <class T> T* AddControl(TWinControl* Parent, TComponent* Owner) {
    auto* control = new T(Owner);
    control->SetParent(Parent);
    return control;
}

TPanel* Docked(TForm* Form, TAlign Align, int Size) {
    auto* panel = AddControl<TPanel>(Form, Form);
    panel->SetBounds(0, 0, Size, Size);
    panel->SetAlign(Align);
    return panel;
}

QString ShiftText(TShiftState Shift) {
    QStringList names;
    for (TShiftStateItem item : {ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble})
        if (Shift.Contains(item))
            names << EnumName(item);
    return names.join(QLatin1Char('+'));
}

} // namespace

TEST(Controls, AlignedChildrenAreLaidOutSideBySideThenClient) {
    TForm form;
    TPanel* top = Docked(&form, alTop, 30);
    TPanel* bottom = Docked(&form, alBottom, 20);
    TPanel* left = Docked(&form, alLeft, 40);
    TPanel* right = Docked(&form, alRight, 50);
    TPanel* client = Docked(&form, alClient, 10);
    TPanel* secondTop = AddControl<TPanel>(&form, &form);
    secondTop->SetBounds(0, 100, 10, 10);
    secondTop->SetAlign(alTop);

    EXPECT_EQ(top->BoundsRect(), QRect(0, 0, 320, 30));
    EXPECT_EQ(secondTop->BoundsRect(), QRect(0, 30, 320, 10));
    EXPECT_EQ(bottom->BoundsRect(), QRect(0, 220, 320, 20));
    EXPECT_EQ(left->BoundsRect(), QRect(0, 40, 40, 180));
    EXPECT_EQ(right->BoundsRect(), QRect(270, 40, 50, 180));
    EXPECT_EQ(client->BoundsRect(), QRect(40, 40, 230, 180));

    form.SetClientWidth(400);
    form.SetClientHeight(300);
    EXPECT_EQ(bottom->BoundsRect(), QRect(0, 280, 400, 20));
    EXPECT_EQ(client->BoundsRect(), QRect(40, 40, 310, 240));

    secondTop->Hide();
    EXPECT_EQ(left->BoundsRect(), QRect(0, 30, 40, 250));
    top->SetHeight(50);
    EXPECT_EQ(client->BoundsRect(), QRect(40, 50, 310, 230));

    form.Widget();
    EXPECT_EQ(client->Widget()->geometry(), QRect(40, 50, 310, 230));
}

TEST(Controls, ContainersAlignInsideTheirBordersAndCaption) {
    TForm form;
    auto* panel = AddControl<TPanel>(&form, &form);
    panel->SetBounds(0, 0, 200, 100);
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(3);
    auto* inPanel = AddControl<TEdit>(panel, &form);
    inPanel->SetAlign(alClient);
    EXPECT_EQ(inPanel->BoundsRect(), QRect(7, 7, 186, 86));
    panel->SetBevelOuter(bvNone);
    EXPECT_EQ(inPanel->BoundsRect(), QRect(5, 5, 190, 90));
    // Widths beyond the panel leave no room (painted in as many lines as fit); a width
    // below zero is none.
    panel->SetBorderWidth(std::numeric_limits<int>::max());
    panel->SetBevelWidth(std::numeric_limits<int>::max() - 1);
    EXPECT_EQ(panel->BorderWidth(), std::numeric_limits<int>::max()) << "kept as set";
    EXPECT_TRUE(inPanel->BoundsRect().isEmpty());
    EXPECT_FALSE(panel->Widget()->grab().isNull());
    panel->SetBorderWidth(-5);
    panel->SetBevelWidth(0);
    EXPECT_EQ(inPanel->BoundsRect(), QRect(0, 0, 200, 100));

    auto* group = AddControl<TGroupBox>(&form, &form);
    group->SetBounds(0, 0, 200, 100);
    auto* inGroup = AddControl<TEdit>(group, &form);
    inGroup->SetAlign(alClient);
    const int caption = QFontMetrics(group->Font()->ToQFont()).height();
    EXPECT_EQ(inGroup->BoundsRect(), QRect(2, caption + 2, 196, 96 - caption));
}

TEST(Controls, WidgetsFollowTheControlTree) {
    TForm form;
    auto* panel = AddControl<TPanel>(&form, &form);
    auto* edit = AddControl<TEdit>(panel, &form);
    edit->SetBounds(5, 6, 70, 20);
    EXPECT_FALSE(edit->HandleAllocated());

    QWidget* window = form.Widget();
    ASSERT_TRUE(edit->HandleAllocated());
    EXPECT_EQ(panel->Widget()->window(), window);
    EXPECT_EQ(edit->Widget()->parentWidget(), panel->Widget());
    EXPECT_EQ(edit->Widget()->geometry(), QRect(5, 6, 70, 20));
    EXPECT_EQ(TWidgetLink::ControlOf(edit->Widget()), edit);

    edit->SetParent(&form);
    EXPECT_EQ(edit->Widget()->parentWidget(), panel->Widget()->parentWidget())
        << "the form's client area";
    EXPECT_EQ(panel->ControlCount(), 0);
    ASSERT_EQ(form.ControlCount(), 2);
    EXPECT_EQ(form.Controls(1), edit);

    edit->SetEnabled(false);
    EXPECT_FALSE(edit->Widget()->isEnabled());
    edit->Hide();
    EXPECT_TRUE(edit->Widget()->isHidden());

    EXPECT_THROW(panel->SetParent(panel), EInvalidOperation);
    auto* inner = AddControl<TPanel>(panel, &form);
    EXPECT_THROW(panel->SetParent(inner), EInvalidOperation);
    EXPECT_EQ(panel->Parent(), &form);
}

TEST(Controls, ParentDestroysItsChildrenAndTheirWidgets) {
    auto form = std::make_unique<TForm>();
    auto* panel = AddControl<TPanel>(form.get(), nullptr);
    auto* edit = AddControl<TEdit>(panel, nullptr);
    form->Widget();
    QPointer<TPanel> panelAlive(panel);
    QPointer<TEdit> editAlive(edit);
    QPointer<QWidget> editWidget(edit->Widget());
    QPointer<QWidget> window(form->Widget());

    delete panel;
    EXPECT_FALSE(editAlive);
    EXPECT_FALSE(editWidget);
    EXPECT_EQ(form->ControlCount(), 0);

    AddControl<TEdit>(form.get(), nullptr);
    form.reset();
    EXPECT_FALSE(window);
}

TEST(Controls, FontColorAndHintsFollowTheParentUntilSetOwn) {
    TForm form;
    auto* panel = AddControl<TPanel>(&form, &form);
    auto* label = AddControl<TLabel>(panel, &form);
    form.Font()->SetHeight(-20);
    EXPECT_EQ(panel->Font()->Height(), -20);
    EXPECT_EQ(label->Font()->Height(), -20);
    EXPECT_FALSE(label->IsStoredProp(QStringLiteral("Font")));

    label->Font()->SetStyle({fsBold});
    EXPECT_FALSE(label->ParentFont());
    form.Font()->SetHeight(-30);
    EXPECT_EQ(panel->Font()->Height(), -30);
    EXPECT_EQ(label->Font()->Height(), -20);
    EXPECT_TRUE(label->IsStoredProp(QStringLiteral("Font")));

    panel->SetColor(clRed);
    EXPECT_EQ(label->Color(), clRed);
    EXPECT_TRUE(label->ParentColor());
    EXPECT_EQ(panel->Widget()->palette().color(QPalette::Window), QColor(Qt::red));

    form.SetShowHint(true);
    label->SetHint(QStringLiteral("Name|The name of the person"));
    EXPECT_TRUE(label->ShowHint());
    EXPECT_EQ(label->Widget()->toolTip(), QStringLiteral("Name"));
    label->SetShowHint(false);
    EXPECT_FALSE(label->ParentShowHint());
    EXPECT_TRUE(label->Widget()->toolTip().isEmpty());
}

TEST(Controls, MouseEventsReachTheHandlers) {
    TForm form;
    auto* panel = AddControl<TPanel>(&form, &form);
    panel->SetBounds(10, 10, 100, 50);
    QStringList log;
    auto mouse = [&log](const char* what) {
        return TMouseEvent(
            [&log, what](TObject*, TMouseButton Button, TShiftState Shift, int X, int Y) {
                log << QStringLiteral("%1 %2 %3 %4,%5")
                           .arg(QLatin1String(what), EnumName(Button), ShiftText(Shift))
                           .arg(X)
                           .arg(Y);
            });
    };
    panel->SetOnMouseDown(mouse("down"));
    panel->SetOnMouseUp(mouse("up"));
    panel->SetOnClick(TNotifyEvent([&log](TObject*) { log << QStringLiteral("click"); }));
    panel->SetOnDblClick(TNotifyEvent([&log](TObject*) { log << QStringLiteral("dblclick"); }));
    panel->SetOnMouseMove(TMouseMoveEvent([&log](TObject*, TShiftState Shift, int X, int Y) {
        log << QStringLiteral("move %1 %2,%3").arg(ShiftText(Shift)).arg(X).arg(Y);
    }));
    form.Show();
    QWidget* widget = panel->Widget();

    QTest::mouseClick(widget, Qt::LeftButton, Qt::ControlModifier, QPoint(5, 6));
    EXPECT_EQ(log, QStringList({"down mbLeft ssCtrl+ssLeft 5,6", "click", "up mbLeft ssCtrl 5,6"}));

    log.clear();
    QTest::mouseClick(widget, Qt::RightButton, Qt::NoModifier, QPoint(7, 8));
    EXPECT_EQ(log, QStringList({"down mbRight ssRight 7,8", "up mbRight  7,8"}));

    log.clear();
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseMove(widget, QPoint(20, 21));
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
    EXPECT_EQ(log,
              QStringList({"down mbLeft ssLeft 5,5", "move ssLeft 20,21", "up mbLeft  300,300"}))
        << "a release outside the control is no click";

    log.clear();
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(3, 4));
    EXPECT_EQ(log.count(QStringLiteral("dblclick")), 1);
    EXPECT_TRUE(log.contains(QStringLiteral("down mbLeft ssLeft+ssDouble 3,4")))
        << log.join('|').toStdString();

    log.clear();
    panel->SetEnabled(false);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 6));
    EXPECT_TRUE(log.isEmpty());
}

namespace {

// An edit that logs its enabled and parent changes and takes presses made with Ctrl.
class THookedEdit : public TEdit {
public:
    using TEdit::TEdit;
    QStringList Log;

protected:
    void EnabledChanged() override { Log << QStringLiteral("enabled %1").arg(Enabled()); }
    void ParentChanged() override {
        Log << QStringLiteral("parent %1").arg(Parent() ? Parent()->Name() : QStringLiteral("-"));
    }
    bool TakeMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        if (!Shift.Contains(ssCtrl))
            return false;
        Log << QStringLiteral("taken %1 %2,%3").arg(EnumName(Button)).arg(X).arg(Y);
        return true;
    }
};

} // namespace

TEST(Controls, HooksSeeEnabledAndParentChanges) {
    TForm form;
    form.SetName(QStringLiteral("Form"));
    auto* panel = AddControl<TPanel>(&form, &form);
    panel->SetName(QStringLiteral("Panel"));
    auto* edit = new THookedEdit(&form);
    edit->SetParent(&form);
    edit->SetEnabled(false);
    edit->SetEnabled(false);
    edit->SetParent(panel);
    edit->SetParent(panel);
    edit->SetEnabled(true);
    edit->SetParent(nullptr);
    EXPECT_EQ(edit->Log,
              QStringList({"parent Form", "enabled 0", "parent Panel", "enabled 1", "parent -"}))
        << "once per change";
}

TEST(Controls, AControlCanTakeAPressBeforeItsWidget) {
    TForm form;
    auto* edit = AddControl<THookedEdit>(&form, &form);
    edit->SetText(QStringLiteral("some words"));
    int downs = 0;
    edit->SetOnMouseDown(
        TMouseEvent([&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; }));
    form.Show();
    Activate(&form);
    edit->SetFocus();
    ProcessEvents();
    edit->SetSelStart(0);
    edit->Log.clear();

    // The line editor would move its cursor to the press, and select a word on a double click.
    const QPoint inText(40, edit->Height() / 2);
    QTest::mouseClick(edit->Widget(), Qt::LeftButton, Qt::ControlModifier, inText);
    EXPECT_EQ(edit->Log,
              QStringList({QStringLiteral("taken mbLeft %1,%2").arg(inText.x()).arg(inText.y())}));
    EXPECT_EQ(downs, 0) << "MouseDown does not see a press taken";
    EXPECT_EQ(edit->SelStart(), 0) << "nor does the widget";
    QTest::mouseDClick(edit->Widget(), Qt::LeftButton, Qt::ControlModifier, inText);
    EXPECT_EQ(edit->SelLength(), 0);

    QTest::mouseClick(edit->Widget(), Qt::LeftButton, Qt::NoModifier, inText);
    EXPECT_EQ(downs, 1);
    EXPECT_GT(edit->SelStart(), 0);
}

TEST(Controls, PaintingIsForwardedToTheControl) {
    TForm form;
    auto* probe = AddControl<TPaintProbe>(&form, &form);
    probe->SetBounds(0, 0, 20, 20);
    auto* panel = AddControl<TPanel>(&form, &form);
    panel->SetBounds(30, 0, 40, 30);
    panel->SetColor(clWhite);

    form.Widget()->grab();
    EXPECT_GT(probe->Paints, 0);

    // A raised bevel: light at the top left, dark at the bottom right.
    const QImage image = panel->Widget()->grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), ColorToQColor(clBtnHighlight));
    EXPECT_EQ(image.pixelColor(39, 29), ColorToQColor(clBtnShadow));
    EXPECT_EQ(image.pixelColor(20, 2), QColor(Qt::white));
}

TEST(Controls, LockedUpdatesHoldBackPaintingUntilTheLastUnlock) {
    TForm form;
    auto* probe = AddControl<TPaintProbe>(&form, &form);
    probe->SetBounds(0, 0, 20, 20);
    form.Show();
    ProcessEvents();

    form.LockUpdates();
    form.LockUpdates();
    probe->Paints = 0;
    probe->Widget()->repaint();
    form.UnlockUpdates();
    probe->Widget()->repaint();
    EXPECT_EQ(probe->Paints, 0) << "one lock is still held";
    EXPECT_TRUE(form.UpdatesLocked());

    form.UnlockUpdates();
    EXPECT_FALSE(form.UpdatesLocked());
    probe->Widget()->repaint();
    EXPECT_GT(probe->Paints, 0);
    form.UnlockUpdates();
    EXPECT_FALSE(form.UpdatesLocked()) << "an unmatched unlock is ignored";
}

TEST(Controls, PostToWindowRunsLaterUnlessTheControlIsDestroyed) {
    auto* edit = new TEdit(nullptr);
    int runs = 0;
    edit->PostToWindow([&runs, edit] { runs += edit->Tag() + 1; });
    EXPECT_EQ(runs, 0);
    ProcessEvents();
    EXPECT_EQ(runs, 1);

    edit->PostToWindow([&runs, edit] {
        edit->SetTag(99);
        ++runs;
    });
    delete edit;
    ProcessEvents();
    EXPECT_EQ(runs, 1);
}
