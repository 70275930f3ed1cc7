#include "Mask.h"

#include "Clipbrd.h"
#include "Sound.h"

namespace {

// The mask and its two optional fields, split at the last unescaped ";" separators.
QStringList SplitMaskFields(const QString& Mask) {
    QStringList fields{QString()};
    for (qsizetype i = 0; i < Mask.size(); ++i) {
        if (Mask[i] == QLatin1Char('\\') && i + 1 < Mask.size()) {
            fields.last() += Mask.mid(i, 2);
            ++i;
        } else if (Mask[i] == QLatin1Char(';') && fields.size() < 3) {
            fields.append(QString());
        } else {
            fields.last() += Mask[i];
        }
    }
    return fields;
}

} // namespace

// TEditMask

TEditMask::TEditMask(const QString& Mask) {
    const QStringList fields = SplitMaskFields(Mask);
    Parse(fields[0]);
    if (fields.size() > 1)
        FSaveLiterals = fields[1].trimmed() != QLatin1String("0");
    if (fields.size() > 2 && !fields[2].isEmpty())
        FBlank = fields[2][0];
}

void TEditMask::Parse(const QString& Mask) {
    TCase convert = ccNone;
    for (qsizetype i = 0; i < Mask.size(); ++i) {
        const QChar ch = Mask[i];
        TPosition position;
        position.Case = convert;
        switch (ch.unicode()) {
        case '!':
            continue;
        case '>':
            convert = ccUpper;
            continue;
        case '<':
            if (i + 1 < Mask.size() && Mask[i + 1] == QLatin1Char('>')) {
                convert = ccNone;
                ++i;
            } else {
                convert = ccLower;
            }
            continue;
        case '\\':
            if (++i == Mask.size())
                continue;
            position.Literal = Mask[i];
            break;
        case '_':
            position.Literal = QLatin1Char(' ');
            break;
        case '0':
        case '9':
            position.Kind = mkDigit;
            position.Required = ch == QLatin1Char('0');
            break;
        case '#':
            position.Kind = mkDigitOrSign;
            break;
        case 'L':
        case 'l':
            position.Kind = mkLetter;
            position.Required = ch == QLatin1Char('L');
            break;
        case 'A':
        case 'a':
            position.Kind = mkAlphaNumeric;
            position.Required = ch == QLatin1Char('A');
            break;
        case 'C':
        case 'c':
            position.Kind = mkAny;
            position.Required = ch == QLatin1Char('C');
            break;
        default:
            position.Literal = ch;
            break;
        }
        FPositions.append(position);
    }
}

bool TEditMask::IsLiteral(int Pos) const {
    return Pos >= 0 && Pos < Length() && FPositions[Pos].Kind == mkLiteral;
}

QChar TEditMask::Accept(int Pos, QChar Ch) const {
    if (Pos < 0 || Pos >= Length())
        return {};
    const TPosition& position = FPositions[Pos];
    bool accepted = false;
    switch (position.Kind) {
    case mkLiteral:
        break;
    case mkDigit:
        accepted = Ch.isDigit();
        break;
    case mkDigitOrSign:
        accepted = Ch.isDigit() || Ch == QLatin1Char('+') || Ch == QLatin1Char('-');
        break;
    case mkLetter:
        accepted = Ch.isLetter();
        break;
    case mkAlphaNumeric:
        accepted = Ch.isLetterOrNumber();
        break;
    case mkAny:
        accepted = Ch.isPrint();
        break;
    }
    if (!accepted)
        return {};
    switch (position.Case) {
    case ccUpper:
        return Ch.toUpper();
    case ccLower:
        return Ch.toLower();
    case ccNone:
        break;
    }
    return Ch;
}

int TEditMask::NextEditable(int Pos) const {
    Pos = qMax(Pos, 0);
    while (Pos < Length() && IsLiteral(Pos))
        ++Pos;
    return qMin(Pos, Length());
}

int TEditMask::PriorEditable(int Pos) const {
    Pos = qMin(Pos, Length()) - 1;
    while (Pos >= 0 && IsLiteral(Pos))
        --Pos;
    return qMax(Pos, -1);
}

QString TEditMask::EmptyText() const {
    QString text;
    text.reserve(Length());
    for (const TPosition& position : FPositions)
        text += position.Kind == mkLiteral ? position.Literal : FBlank;
    return text;
}

QString TEditMask::EditTextFrom(const QString& Text) const {
    return Fill(Text, FSaveLiterals);
}

QString TEditMask::Conform(const QString& EditText) const {
    return Fill(EditText, true);
}

QString TEditMask::Fill(const QString& Text, bool Positional) const {
    QString edit = EmptyText();
    if (Positional) {
        // A blank stays blank, even where the blank character would be accepted.
        for (int pos = 0; pos < Length() && pos < Text.size(); ++pos)
            if (const QChar accepted = Accept(pos, Text[pos]);
                !accepted.isNull() && Text[pos] != FBlank)
                edit[pos] = accepted;
        return edit;
    }
    int pos = 0;
    for (const QChar ch : Text) {
        pos = NextEditable(pos);
        if (pos >= Length())
            break;
        const QChar accepted = Accept(pos, ch);
        // A literal of the mask in the text takes no position.
        if (accepted.isNull() && IsLiteralChar(ch))
            continue;
        if (!accepted.isNull())
            edit[pos] = accepted;
        ++pos;
    }
    return edit;
}

bool TEditMask::IsLiteralChar(QChar Ch) const {
    for (const TPosition& position : FPositions)
        if (position.Kind == mkLiteral && position.Literal == Ch)
            return true;
    return false;
}

bool TEditMask::IsBlankText(const QString& EditText) const {
    for (int pos = 0; pos < Length(); ++pos)
        if (!IsLiteral(pos) && pos < EditText.size() && EditText[pos] != FBlank)
            return false;
    return true;
}

QString TEditMask::TextFrom(const QString& EditText) const {
    if (IsBlankText(EditText))
        return {};
    QString text;
    for (int pos = 0; pos < Length(); ++pos) {
        const QChar ch = pos < EditText.size() ? EditText[pos] : FBlank;
        if (!IsLiteral(pos))
            text += ch == FBlank ? QLatin1Char(' ') : ch;
        else if (FSaveLiterals)
            text += FPositions[pos].Literal;
    }
    return text;
}

int TEditMask::FirstMissing(const QString& EditText) const {
    if (IsBlankText(EditText))
        return -1;
    for (int pos = 0; pos < Length(); ++pos)
        if (FPositions[pos].Required && (pos >= EditText.size() || EditText[pos] == FBlank))
            return pos;
    return -1;
}

// TCustomMaskEdit

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const QString& Value) {
    if (Value == FEditMaskText)
        return;
    const QString text = Text();
    FEditMaskText = Value;
    FMask = TEditMask(Value);
    SetText(text);
}

void TCustomMaskEdit::SetEditText(const QString& Value) {
    FUserEdited = false;
    TEdit::SetText(IsMasked() ? FMask.Conform(Value) : Value);
}

QString TCustomMaskEdit::Text() const {
    return IsMasked() ? FMask.TextFrom(EditText()) : EditText();
}

void TCustomMaskEdit::SetText(const QString& Value) {
    FUserEdited = false;
    TEdit::SetText(IsMasked() ? FMask.EditTextFrom(Value) : Value);
}

void TCustomMaskEdit::ValidateEdit() {
    const int missing = IsMasked() ? FMask.FirstMissing(EditText()) : -1;
    if (missing < 0)
        return;
    SetSelStart(missing);
    throw EDBEditError(QStringLiteral("Invalid input value: position %1 of '%2' must be filled. "
                                      "Use escape key to abandon changes")
                           .arg(missing + 1)
                           .arg(EditText()));
}

void TCustomMaskEdit::ApplyEdit(const QString& Edit, int Cursor) {
    TEdit::SetText(Edit);
    FUserEdited = true;
    SetSelStart(Cursor);
}

void TCustomMaskEdit::BlankSelection(QString& Edit) const {
    const int end = SelStart() + SelLength();
    for (int pos = SelStart(); pos < end && pos < FMask.Length(); ++pos)
        if (!FMask.IsLiteral(pos))
            Edit[pos] = FMask.Blank();
}

QString TCustomMaskEdit::FittedEditText() const {
    return FMask.Conform(EditText());
}

void TCustomMaskEdit::InsertChar(QChar Ch) {
    QString edit = FittedEditText();
    const int start = SelStart();
    BlankSelection(edit);
    const int pos = FMask.NextEditable(start);
    const QChar accepted = FMask.Accept(pos, Ch);
    if (!accepted.isNull()) {
        edit[pos] = accepted;
        ApplyEdit(edit, FMask.NextEditable(pos + 1));
        return;
    }
    // Typing the literal that comes next moves past it, leaving the positions before blank.
    int literal = start;
    while (literal < FMask.Length() && !FMask.IsLiteral(literal))
        ++literal;
    if (literal < FMask.Length() && edit[literal] == Ch)
        ApplyEdit(edit, FMask.NextEditable(literal + 1));
    else
        Beep();
}

void TCustomMaskEdit::DeleteChar(bool Backward) {
    QString edit = FittedEditText();
    if (SelLength() > 0) {
        const int start = SelStart();
        BlankSelection(edit);
        ApplyEdit(edit, start);
        return;
    }
    const int start = SelStart();
    const int pos = Backward ? FMask.PriorEditable(start) : FMask.NextEditable(start);
    if (pos < 0 || pos >= FMask.Length())
        return;
    edit[pos] = FMask.Blank();
    ApplyEdit(edit, Backward ? pos : start);
}

void TCustomMaskEdit::MoveCursor(bool Forward) {
    const int pos = SelStart();
    int target = Forward ? FMask.NextEditable(pos + 1) : FMask.PriorEditable(pos);
    if (target < 0)
        target = FMask.NextEditable(0);
    SetSelStart(target);
}

void TCustomMaskEdit::ClearSelection() {
    if (!IsMasked())
        TEdit::ClearSelection();
    else if (!ReadOnly() && SelLength() > 0)
        DeleteChar(false);
}

void TCustomMaskEdit::PasteFromClipboard() {
    if (!IsMasked()) {
        TEdit::PasteFromClipboard();
        return;
    }
    if (ReadOnly())
        return;
    for (const QChar ch : Clipboard()->AsText())
        InsertChar(ch);
}

void TCustomMaskEdit::KeyDown(quint16& Key, TShiftState Shift) {
    TEdit::KeyDown(Key, Shift);
    if (!Key || !IsMasked())
        return;
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool shift = Shift.Contains(ssShift);
    const bool editable = !ReadOnly();
    if (Key == VK_BACK || (Key == VK_DELETE && !shift)) {
        if (editable)
            DeleteChar(Key == VK_BACK);
    } else if ((Key == VK_LEFT || Key == VK_RIGHT) && !shift && !ctrl) {
        MoveCursor(Key == VK_RIGHT);
    } else if ((ctrl && Key == 'X') || (shift && Key == VK_DELETE)) {
        if (editable)
            CutToClipboard();
    } else if ((ctrl && Key == 'V') || (shift && Key == VK_INSERT)) {
        if (editable)
            PasteFromClipboard();
    } else {
        return;
    }
    Key = 0;
}

void TCustomMaskEdit::KeyPress(QChar& Key) {
    TEdit::KeyPress(Key);
    if (Key.isNull() || !IsMasked() || Key.unicode() < 32)
        return;
    if (!ReadOnly())
        InsertChar(Key);
    Key = QChar();
}

void TCustomMaskEdit::RefocusLater() {
    PostToWindow([this] {
        if (CanFocus())
            SetFocus();
    });
}

void TCustomMaskEdit::DoExit() {
    if (IsMasked() && FUserEdited) {
        try {
            ValidateEdit();
        } catch (...) {
            RefocusLater();
            throw;
        }
    }
    TEdit::DoExit();
}

// TMaskEdit

TMaskEdit::TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
