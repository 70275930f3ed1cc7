#include "ShortCut.h"

#include <QKeyEvent>
#include <algorithm>

namespace {

struct TKeyPair {
    quint16 Key;
    int QtKey;
};

constexpr TKeyPair MainKeys[] = {
    {VK_BACK, Qt::Key_Backspace}, {VK_TAB, Qt::Key_Tab},         {VK_RETURN, Qt::Key_Return},
    {VK_SHIFT, Qt::Key_Shift},    {VK_CONTROL, Qt::Key_Control}, {VK_MENU, Qt::Key_Alt},
    {VK_ESCAPE, Qt::Key_Escape},  {VK_SPACE, Qt::Key_Space},     {VK_PRIOR, Qt::Key_PageUp},
    {VK_NEXT, Qt::Key_PageDown},  {VK_END, Qt::Key_End},         {VK_HOME, Qt::Key_Home},
    {VK_LEFT, Qt::Key_Left},      {VK_UP, Qt::Key_Up},           {VK_RIGHT, Qt::Key_Right},
    {VK_DOWN, Qt::Key_Down},      {VK_INSERT, Qt::Key_Insert},   {VK_DELETE, Qt::Key_Delete},
};

// Numeric-pad keys other than the digits.
constexpr TKeyPair KeypadKeys[] = {
    {VK_MULTIPLY, Qt::Key_Asterisk}, {VK_ADD, Qt::Key_Plus},     {VK_SUBTRACT, Qt::Key_Minus},
    {VK_DECIMAL, Qt::Key_Period},    {VK_DIVIDE, Qt::Key_Slash},
};

struct TKeyName {
    quint16 Key;
    const char* Name;
};

constexpr TKeyName KeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},        {VK_RETURN, "Enter"},  {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"},     {VK_NEXT, "PgDn"},     {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},      {VK_UP, "Up"},         {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"},     {VK_DELETE, "Del"},    {VK_MULTIPLY, "Num *"},
    {VK_ADD, "Num +"},   {VK_SUBTRACT, "Num -"}, {VK_DECIMAL, "Num ."}, {VK_DIVIDE, "Num /"},
};

struct TModifierName {
    TShiftStateItem Item;
    TShortCut Flag;
    QLatin1String Name;
};

// In the order ShortCutToText writes them.
const TModifierName ModifierNames[] = {
    {ssShift, scShift, QLatin1String("Shift+")},
    {ssCtrl, scCtrl, QLatin1String("Ctrl+")},
    {ssAlt, scAlt, QLatin1String("Alt+")},
};

bool InRange(int Value, int First, int Last) {
    return Value >= First && Value <= Last;
}

QString KeyName(quint16 Key) {
    for (const TKeyName& entry : KeyNames)
        if (entry.Key == Key)
            return QString::fromLatin1(entry.Name);
    if (InRange(Key, '0', '9') || InRange(Key, 'A', 'Z'))
        return QString(QChar(Key));
    if (InRange(Key, VK_NUMPAD0, VK_NUMPAD9))
        return QStringLiteral("Num %1").arg(Key - VK_NUMPAD0);
    if (InRange(Key, VK_F1, VK_F12))
        return QStringLiteral("F%1").arg(Key - VK_F1 + 1);
    return {};
}

int FindQtKey(const TKeyPair* First, const TKeyPair* Last, quint16 Key) {
    const TKeyPair* found =
        std::find_if(First, Last, [Key](const TKeyPair& p) { return p.Key == Key; });
    return found != Last ? found->QtKey : 0;
}

quint16 FindKey(const TKeyPair* First, const TKeyPair* Last, int QtKey) {
    const TKeyPair* found =
        std::find_if(First, Last, [QtKey](const TKeyPair& p) { return p.QtKey == QtKey; });
    return found != Last ? found->Key : 0;
}

quint16 KeypadKey(int QtKey) {
    if (InRange(QtKey, Qt::Key_0, Qt::Key_9))
        return quint16(VK_NUMPAD0 + QtKey - Qt::Key_0);
    if (QtKey == Qt::Key_Comma)
        return VK_DECIMAL;
    return FindKey(std::begin(KeypadKeys), std::end(KeypadKeys), QtKey);
}

} // namespace

TShortCut ShortCut(quint16 Key, TShiftState Shift) {
    if (Key > 0xFF)
        return scNone;
    TShortCut result = Key;
    for (const TModifierName& modifier : ModifierNames)
        if (Shift.Contains(modifier.Item))
            result |= modifier.Flag;
    return result;
}

void ShortCutToKey(TShortCut Value, quint16& Key, TShiftState& Shift) {
    Key = quint16(Value & ~(scShift | scCtrl | scAlt));
    Shift = {};
    for (const TModifierName& modifier : ModifierNames)
        if (Value & modifier.Flag)
            Shift.Include(modifier.Item);
}

QString ShortCutToText(TShortCut Value) {
    const QString name = KeyName(Value & 0xFF);
    if (name.isEmpty())
        return {};
    QString result;
    for (const TModifierName& modifier : ModifierNames)
        if (Value & modifier.Flag)
            result += modifier.Name;
    return result + name;
}

TShortCut TextToShortCut(const QString& Text) {
    QStringView rest(Text);
    TShortCut modifiers = scNone;
    for (bool found = true; found;) {
        found = false;
        for (const TModifierName& modifier : ModifierNames)
            if (rest.startsWith(modifier.Name, Qt::CaseInsensitive)) {
                modifiers |= modifier.Flag;
                rest = rest.mid(modifier.Name.size());
                found = true;
            }
    }
    if (rest.isEmpty())
        return scNone;
    for (quint16 key = 1; key <= 0xFF; ++key)
        if (rest.compare(KeyName(key), Qt::CaseInsensitive) == 0)
            return key | modifiers;
    return scNone;
}

int VirtualKeyToQtKey(quint16 Key, bool& Keypad) {
    Keypad = true;
    if (InRange(Key, VK_NUMPAD0, VK_NUMPAD9))
        return Qt::Key_0 + Key - VK_NUMPAD0;
    if (const int qtKey = FindQtKey(std::begin(KeypadKeys), std::end(KeypadKeys), Key))
        return qtKey;
    Keypad = false;
    // Digits and letters have the same codes in both.
    if (InRange(Key, '0', '9') || InRange(Key, 'A', 'Z'))
        return Key;
    if (InRange(Key, VK_F1, VK_F12))
        return Qt::Key_F1 + Key - VK_F1;
    return FindQtKey(std::begin(MainKeys), std::end(MainKeys), Key);
}

quint16 QtKeyToVirtualKey(int QtKey, Qt::KeyboardModifiers Modifiers) {
    if (Modifiers & Qt::KeypadModifier) {
        if (const quint16 key = KeypadKey(QtKey))
            return key;
    }
    if (QtKey == Qt::Key_Enter)
        return VK_RETURN;
    if (QtKey == Qt::Key_Backtab)
        return VK_TAB;
    if (InRange(QtKey, Qt::Key_0, Qt::Key_9) || InRange(QtKey, Qt::Key_A, Qt::Key_Z))
        return quint16(QtKey);
    if (InRange(QtKey, Qt::Key_F1, Qt::Key_F12))
        return quint16(VK_F1 + QtKey - Qt::Key_F1);
    return FindKey(std::begin(MainKeys), std::end(MainKeys), QtKey);
}

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons) {
    TShiftState shift;
    if (Modifiers & Qt::ShiftModifier)
        shift.Include(ssShift);
    if (Modifiers & Qt::AltModifier)
        shift.Include(ssAlt);
    if (Modifiers & Qt::ControlModifier)
        shift.Include(ssCtrl);
    if (Buttons & Qt::LeftButton)
        shift.Include(ssLeft);
    if (Buttons & Qt::RightButton)
        shift.Include(ssRight);
    if (Buttons & Qt::MiddleButton)
        shift.Include(ssMiddle);
    return shift;
}

QKeySequence ShortCutToKeySequence(TShortCut Value) {
    quint16 key;
    TShiftState shift;
    ShortCutToKey(Value, key, shift);
    bool keypad;
    const int qtKey = VirtualKeyToQtKey(key, keypad);
    if (!qtKey)
        return {};
    Qt::KeyboardModifiers modifiers;
    if (shift.Contains(ssShift))
        modifiers |= Qt::ShiftModifier;
    if (shift.Contains(ssCtrl))
        modifiers |= Qt::ControlModifier;
    if (shift.Contains(ssAlt))
        modifiers |= Qt::AltModifier;
    if (keypad)
        modifiers |= Qt::KeypadModifier;
    return QKeySequence(QKeyCombination(modifiers, Qt::Key(qtKey)));
}

TShortCut ShortCutFromKeyEvent(const QKeyEvent& Event) {
    const quint16 key = QtKeyToVirtualKey(Event.key(), Event.modifiers());
    return key ? ShortCut(key, ShiftStateFromQt(Event.modifiers(), Qt::NoButton)) : scNone;
}
