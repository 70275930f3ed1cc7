#pragma once

#include "StdCtrls.h"

// A masked text misses a character its edit mask requires.
class EDBEditError : public Exception {
public:
    using Exception::Exception;
};

// An edit mask written as "mask;save-literals;blank". In the mask, 0 is a digit, 9 an
// optional digit, # an optional digit or sign, L a letter, l an optional letter, A a letter
// or digit, a an optional one, C any character, c an optional one; > turns what follows to
// upper case, < to lower case, <> stops converting; \ makes the next character a literal,
// _ stands for a literal space, ! is accepted (optional positions are blanks either way);
// any other character is a literal. A save-literals field of "0" keeps the literals out
// of the text; the blank character (default "_") marks the positions not yet filled.
class TEditMask {
public:
    TEditMask() = default;
    explicit TEditMask(const QString& Mask);

    bool IsEmpty() const { return FPositions.isEmpty(); }
    // Positions of the edit text, literals included.
    int Length() const { return int(FPositions.size()); }
    bool SaveLiterals() const { return FSaveLiterals; }
    QChar Blank() const { return FBlank; }
    bool IsLiteral(int Pos) const;

    // Ch as it is stored at the editable position Pos (case converted); a null character
    // when Pos does not accept it.
    QChar Accept(int Pos, QChar Ch) const;
    // The first editable position at or after Pos (Length() when none), and the last
    // one before Pos (-1 when none).
    int NextEditable(int Pos) const;
    int PriorEditable(int Pos) const;

    // The edit text with every position blank.
    QString EmptyText() const;
    // The edit text showing Text: with saved literals position by position, without them
    // the characters fill the editable positions in order (the mask's literals in Text
    // are passed over). What a position does not accept leaves it blank.
    QString EditTextFrom(const QString& Text) const;
    // EditText fitted to the mask position by position.
    QString Conform(const QString& EditText) const;
    // The text of an edit text: blanks become spaces, literals stay when saved; empty when
    // nothing was entered.
    QString TextFrom(const QString& EditText) const;
    // The first required position left blank, or -1 when there is none or nothing was
    // entered at all.
    int FirstMissing(const QString& EditText) const;

private:
    enum TKind { mkLiteral, mkDigit, mkDigitOrSign, mkLetter, mkAlphaNumeric, mkAny };
    enum TCase { ccNone, ccUpper, ccLower };
    struct TPosition {
        TKind Kind = mkLiteral;
        bool Required = false;
        TCase Case = ccNone;
        QChar Literal;
    };
    void Parse(const QString& Mask);
    QString Fill(const QString& Text, bool Positional) const;
    bool IsLiteralChar(QChar Ch) const;
    bool IsBlankText(const QString& EditText) const;

    QList<TPosition> FPositions;
    bool FSaveLiterals = true;
    QChar FBlank = QLatin1Char('_');
};

// A single-line editor with an edit mask. Without a mask it is a plain edit. With one,
// EditText holds literals and blanks, typing fills the editable positions and skips the
// literals, and Text is the value the mask describes (TEditMask::TextFrom). Leaving a
// masked edit the user changed validates it (ValidateEdit).
class TCustomMaskEdit : public TEdit {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TCustomMaskEdit(TComponent* AOwner = nullptr);

    QString EditMask() const { return FEditMaskText; }
    // Keeps the text, refitted to the new mask.
    void SetEditMask(const QString& Value);
    bool IsMasked() const { return !FMask.IsEmpty(); }
    const TEditMask& Mask() const { return FMask; }

    QString EditText() const { return TEdit::Text(); }
    void SetEditText(const QString& Value);
    QString Text() const override;
    void SetText(const QString& Value) override;

    // Raises EDBEditError, with the cursor on the position, when a required position is
    // blank.
    virtual void ValidateEdit();

    // With a mask, clearing (and so cutting) blanks the editable positions of the
    // selection, and pasting types the clipboard's characters into the mask.
    void ClearSelection() override;
    void PasteFromClipboard() override;

protected:
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DoExit() override;
    // Whether the user changed the masked text since it was last set.
    bool UserEdited() const { return FUserEdited; }
    // Gives the control the focus back after the current event, when leaving it failed.
    void RefocusLater();

private:
    // The edit text as the mask has it, also after the widget changed it itself (undo).
    QString FittedEditText() const;
    void InsertChar(QChar Ch);
    void BlankSelection(QString& Edit) const;
    void DeleteChar(bool Backward);
    void MoveCursor(bool Forward);
    void ApplyEdit(const QString& Edit, int Cursor);

    QString FEditMaskText;
    TEditMask FMask;
    bool FUserEdited = false;
};

// The masked edit with its mask published.
class TMaskEdit : public TCustomMaskEdit {
    Q_OBJECT
    Q_PROPERTY(QString EditMask READ EditMask WRITE SetEditMask)
public:
    Q_INVOKABLE explicit TMaskEdit(TComponent* AOwner = nullptr);
};
