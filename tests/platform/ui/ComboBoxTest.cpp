#include "TestForms.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Streaming.h>
#include <ui/StdCtrls.h>

namespace {

// A combo box with three items on a shown form, focused.
class ComboBox : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        Combo = new TComboBox(&Form);
        Combo->SetParent(&Form);
        Combo->Items()->SetText(QStringLiteral("Red\nGreen\nBlue\n"));
        Combo->SetOnChange(TNotifyEvent([this](TObject*) { Log << QStringLiteral("change"); }));
        Combo->SetOnDropDown(TNotifyEvent([this](TObject*) { Log << QStringLiteral("drop"); }));
        Combo->SetOnCloseUp(TNotifyEvent([this](TObject*) { Log << QStringLiteral("close"); }));
        Form.Show();
        Activate(&Form);
        Combo->SetFocus();
        ProcessEvents();
    }

    QComboBox* Box() const { return qobject_cast<QComboBox*>(Combo->Widget()); }
    void Press(Qt::Key Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) const {
        QTest::keyClick(Box(), Key, Modifiers);
    }

    TForm Form;
    TComboBox* Combo = nullptr;
    QStringList Log;
};

} // namespace

TEST_F(ComboBox, ItemsItemIndexAndTextAgree) {
    Combo->SetStyle(csDropDownList);
    EXPECT_EQ(Combo->ItemIndex(), -1);
    EXPECT_EQ(Combo->Text(), QString());
    Combo->SetItemIndex(1);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Green"));
    EXPECT_EQ(Box()->currentText(), QStringLiteral("Green"));
    Combo->SetText(QStringLiteral("blue"));
    EXPECT_EQ(Combo->ItemIndex(), 2) << "items are found ignoring case";
    Combo->SetText(QStringLiteral("Black"));
    EXPECT_EQ(Combo->ItemIndex(), -1);
    Combo->SetItemIndex(7);
    EXPECT_EQ(Combo->ItemIndex(), -1);

    Combo->SetItemIndex(2);
    Combo->Items()->Delete(2);
    EXPECT_EQ(Combo->ItemIndex(), -1) << "the chosen item went";
    EXPECT_EQ(Box()->count(), 2);
    Combo->SetSorted(true);
    Combo->Items()->Add(QStringLiteral("Amber"));
    EXPECT_EQ(Box()->itemText(0), QStringLiteral("Amber"));
    EXPECT_TRUE(Log.isEmpty()) << "setting from code fires no event";

    Combo->SetStyle(csDropDown);
    Combo->SetText(QStringLiteral("Purple"));
    EXPECT_EQ(Box()->currentText(), QStringLiteral("Purple"));
    EXPECT_EQ(Combo->ItemIndex(), -1);
    Combo->SetItemIndex(0);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Amber"));
}

TEST_F(ComboBox, KeysChooseTypeAndReachHandlersFirst) {
    Combo->SetStyle(csDropDownList);
    Press(Qt::Key_Down);
    EXPECT_EQ(Combo->ItemIndex(), 0);
    EXPECT_EQ(Log, QStringList{"change"}) << "without OnSelect a choice is a change";

    int selected = 0;
    Combo->SetOnSelect(TNotifyEvent([&selected](TObject*) { ++selected; }));
    Press(Qt::Key_Down);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Green"));
    EXPECT_EQ(selected, 1);

    Combo->SetOnKeyDown(TKeyEvent([](TObject*, quint16& Key, TShiftState) {
        if (Key == VK_DOWN)
            Key = 0;
    }));
    Press(Qt::Key_Down);
    EXPECT_EQ(Combo->ItemIndex(), 1) << "a consumed key does nothing";
    Combo->SetOnKeyPress(TKeyPressEvent([](TObject*, QChar& Key) { Key = Key.toUpper(); }));

    Combo->SetStyle(csDropDown);
    Log.clear();
    Box()->lineEdit()->selectAll();
    QTest::keyClicks(Box(), QStringLiteral("red"));
    EXPECT_EQ(Combo->Text(), QStringLiteral("RED"));
    EXPECT_EQ(Log.size(), 3);
    EXPECT_EQ(Combo->ItemIndex(), -1) << "no item reads exactly so";
    Combo->SetMaxLength(4);
    QTest::keyClicks(Box(), QStringLiteral("DISH"));
    EXPECT_EQ(Combo->Text(), QStringLiteral("REDD"));
}

TEST_F(ComboBox, DropsDownAndClosesUp) {
    Combo->SetDropDownCount(2);
    EXPECT_EQ(Box()->maxVisibleItems(), 2);
    Combo->SetDroppedDown(true);
    EXPECT_TRUE(Combo->DroppedDown());
    EXPECT_TRUE(Box()->view()->isVisible());
    Combo->SetDroppedDown(false);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Log, QStringList({"drop", "close"}));

    Press(Qt::Key_F4);
    EXPECT_TRUE(Combo->DroppedDown()) << "the keyboard opens it too";
    Box()->view()->setCurrentIndex(Box()->model()->index(2, 0));
    QTest::keyClick(Box()->view(), Qt::Key_Return);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->ItemIndex(), 2);
    EXPECT_EQ(Log, QStringList({"drop", "close", "drop", "close", "change"}));
}

TEST_F(ComboBox, OwnerDrawnItemsAreDrawnAndMeasuredByTheHandler) {
    QList<QPair<int, TOwnerDrawState>> drawn;
    Combo->SetOnDrawItem(TDrawItemEvent(
        [this, &drawn](TWinControl* Control, int Index, QRect Rect, TOwnerDrawState State) {
            EXPECT_EQ(Control, Combo);
            ASSERT_TRUE(Combo->ItemPainter());
            Combo->ItemPainter()->fillRect(Rect, Qt::yellow);
            drawn << qMakePair(Index, State);
        }));
    Combo->SetItemIndex(1);
    Box()->grab();
    EXPECT_TRUE(drawn.isEmpty()) << "a standard combo draws itself";

    Combo->SetStyle(csOwnerDrawFixed);
    Combo->SetItemHeight(23);
    const QImage closed = Box()->grab().toImage();
    ASSERT_FALSE(drawn.isEmpty());
    EXPECT_EQ(drawn.last().first, 1);
    EXPECT_TRUE(drawn.last().second.Contains(odComboBoxEdit));
    EXPECT_TRUE(drawn.last().second.Contains(odFocused));
    const QPoint center = Box()->rect().center() - QPoint(10, 0);
    EXPECT_EQ(closed.pixelColor(center), QColor(Qt::yellow));

    drawn.clear();
    Combo->SetDroppedDown(true);
    Box()->view()->grab();
    QList<int> rows;
    for (const auto& item : std::as_const(drawn))
        rows << item.first;
    EXPECT_TRUE(rows.contains(0) && rows.contains(2));
    EXPECT_FALSE(drawn.first().second.Contains(odComboBoxEdit));
    EXPECT_EQ(Box()->view()->sizeHintForRow(0), 23);
    Combo->SetDroppedDown(false);

    Combo->SetStyle(csOwnerDrawVariable);
    Combo->SetOnMeasureItem(
        TMeasureItemEvent([](TWinControl*, int Index, int& Height) { Height += Index * 10; }));
    EXPECT_EQ(Box()->view()->sizeHintForRow(2), 43);
}

TEST_F(ComboBox, LoadsFromAFormFile) {
    const QString text = QStringLiteral(R"(object Form1: TForm
  object Combo1: TComboBox
    Style = csDropDownList
    Items.Strings = (
      'One'
      'Two')
    ItemIndex = 1
    DropDownCount = 12
  end
end
)");
    std::unique_ptr<TComponent> form(ReadComponentFromText(text, QStringLiteral("combo.form")));
    auto* combo = qobject_cast<TComboBox*>(form->FindComponent(QStringLiteral("Combo1")));
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->Style(), csDropDownList);
    EXPECT_EQ(combo->Text(), QStringLiteral("Two"));
    EXPECT_EQ(combo->DropDownCount(), 12);
}

namespace {

// The mean lightness of Image's pixels.
double MeanLightness(const QImage& Image) {
    double sum = 0;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            sum += Image.pixelColor(x, y).lightness();
    return sum / (Image.width() * Image.height());
}

// The dark blue pixels of Image: navy text, not the light blue of a focus frame.
int NavyPixels(const QImage& Image) {
    int count = 0;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x) {
            const QColor pixel = Image.pixelColor(x, y);
            if (pixel.red() < 90 && pixel.green() < 90 && pixel.blue() > pixel.red() + 40)
                ++count;
        }
    return count;
}

} // namespace

TEST_F(ComboBox, ItsFaceShowsItsColourAndTheFontsColour) {
    Combo->SetStyle(csDropDownList);
    Combo->SetItemIndex(0);
    const auto grab = [this] { return Combo->Widget()->grab().toImage(); };
    const QImage plain = grab();
    ASSERT_EQ(NavyPixels(plain), 0);

    Combo->SetColor(clSilver);
    Combo->Font()->SetColor(clNavy);
    const QImage coloured = grab();
    EXPECT_LT(MeanLightness(coloured), MeanLightness(plain) - 15) << "a silver face";
    EXPECT_GT(NavyPixels(coloured), 5) << "navy text";

    Combo->SetEnabled(false);
    EXPECT_EQ(NavyPixels(grab()), 0) << "a disabled combo's text is greyed";
    Combo->SetEnabled(true);
    Combo->SetColor(clWindow);
    Combo->Font()->SetColor(clWindowText);
    EXPECT_EQ(grab(), plain) << "the default colours give the style's own face back";
}
