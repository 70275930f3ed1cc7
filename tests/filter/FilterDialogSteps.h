#pragma once

// What a person does in the filter dialog's controls: clicking, typing, choosing an item of
// a drop-down list with the arrow keys.

#include <QString>
#include <QTest>
#include <gtest/gtest.h>
#include <ui/StdCtrls.h>

namespace FilterDialogSteps {

inline void Click(TControl* Control) {
    QTest::mouseClick(Control->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
}

inline void Type(TWinControl* Control, const QString& Text) {
    Control->SetFocus();
    QTest::keyClick(Control->Widget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Control->Widget(), Text);
}

inline void Choose(TComboBox* Combo, const QString& Text) {
    Combo->SetFocus();
    const int target = Combo->Items()->IndexOf(Text);
    ASSERT_GE(target, 0) << Text.toStdString();
    QTest::keyClick(Combo->Widget(), Qt::Key_Home);
    for (int i = qMax(Combo->ItemIndex(), 0); i < target; ++i)
        QTest::keyClick(Combo->Widget(), Qt::Key_Down);
    ASSERT_EQ(Combo->ItemIndex(), target);
}

} // namespace FilterDialogSteps
