// Edit masks: the input's first line is the mask, the rest a text. The text is fitted to
// the mask and read back, then typed into a masked edit key by key (some bytes standing
// for editing keys); the edit text always keeps the mask's length.

#include "FuzzApplication.h"
#include "FuzzInput.h"

#include <QApplication>
#include <QKeyEvent>
#include <cstdlib>
#include <rtl/Exceptions.h>
#include <ui/Mask.h>

namespace {

void Check(bool Condition) {
    if (!Condition)
        std::abort();
}

void Fit(const TEditMask& Mask, const QString& Text) {
    const QString edit = Mask.EditTextFrom(Text);
    Check(edit.size() == Mask.Length());
    Check(Mask.Conform(edit) == edit);
    Mask.TextFrom(edit);
    const int missing = Mask.FirstMissing(edit);
    Check(missing < Mask.Length());
    for (int pos = -1; pos <= Mask.Length(); ++pos) {
        const int next = Mask.NextEditable(pos);
        Check(next >= 0 && next <= Mask.Length() && !Mask.IsLiteral(next));
        const int prior = Mask.PriorEditable(pos);
        Check(prior >= -1 && prior < qMax(pos, 0) && !Mask.IsLiteral(prior));
    }
}

void Type(TMaskEdit& Edit, const QString& Text) {
    // Control characters 1 to 8 stand for editing keys, Shift selecting with the arrows.
    struct TEditKey {
        int Key;
        Qt::KeyboardModifiers Modifiers;
    };
    static const TEditKey keys[] = {
        {Qt::Key_Backspace, Qt::NoModifier}, {Qt::Key_Delete, Qt::NoModifier},
        {Qt::Key_Left, Qt::NoModifier},      {Qt::Key_Right, Qt::NoModifier},
        {Qt::Key_Home, Qt::NoModifier},      {Qt::Key_End, Qt::NoModifier},
        {Qt::Key_Left, Qt::ShiftModifier},   {Qt::Key_Right, Qt::ShiftModifier}};
    QWidget* widget = Edit.Widget();
    for (const QChar ch : Text.left(64)) {
        const bool editing = ch.unicode() >= 1 && ch.unicode() <= 8;
        const TEditKey key = editing ? keys[ch.unicode() - 1] : TEditKey{0, Qt::NoModifier};
        QKeyEvent press(QEvent::KeyPress, key.Key, key.Modifiers,
                        editing ? QString() : QString(ch));
        QApplication::sendEvent(widget, &press);
        if (Edit.IsMasked())
            Check(Edit.EditText().size() == Edit.Mask().Length());
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const QString input = FuzzText(Data, Size);
    const qsizetype split = input.indexOf(QLatin1Char('\n'));
    const QString mask = split < 0 ? input : input.left(split);
    const QString text = split < 0 ? QString() : input.mid(split + 1);
    Fit(TEditMask(mask), text);

    TMaskEdit edit;
    edit.SetEditMask(mask);
    edit.SetText(text);
    Type(edit, text);
    edit.Text();
    try {
        edit.ValidateEdit();
    } catch (const Exception&) {
    }
    return 0;
}
