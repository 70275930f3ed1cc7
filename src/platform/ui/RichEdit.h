#pragma once

#include "StdCtrls.h"

#include <QTextCursor>

class QIODevice;
class QTextBlock;
class QTextCharFormat;
class QTextDocument;
class QTextEdit;
class TCustomRichEdit;
class TPrinter;

PUBLISHED_ENUM(TAttributeType, atSelected, atDefaultText)
PUBLISHED_ENUM(TNumberingStyle, nsNone, nsBullet)
PUBLISHED_ENUM(TSearchType, stWholeWord, stMatchCase)
using TSearchTypes = TSet<TSearchType>;

// Character formatting of a rich edit. atSelected is the formatting of the selection's
// first character, and setting it formats the whole selection (without a selection, the
// text typed next); atDefaultText is the control's Font. Size is in points.
class TTextAttributes : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(int Size READ Size WRITE SetSize)
    Q_PROPERTY(TFontStyles Style READ Style WRITE SetStyle)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
public:
    TTextAttributes(TCustomRichEdit* RichEdit, TAttributeType Type);

    QString Name() const;
    void SetName(const QString& Value);
    int Size() const;
    void SetSize(int Value);
    TFontStyles Style() const;
    void SetStyle(TFontStyles Value);
    TColor Color() const;
    void SetColor(TColor Value);

    // Takes name, size, style and colour of a TFont or other text attributes.
    void Assign(TPersistent* Source) override;

protected:
    // Gives a TFont name, size, style and colour.
    void AssignTo(TPersistent* Dest) override;

private:
    QTextCharFormat Format() const;
    void Merge(const QTextCharFormat& Format);
    void SetAll(const QString& Name, int Size, TFontStyles Style, TColor Color);

    TCustomRichEdit* FRichEdit;
    TAttributeType FType;
};

// The formatting of the paragraphs the selection touches; reading gives the first one's.
// Indents are in points: the first line starts FirstIndent from the left margin, the other
// lines LeftIndent further (negative for a hanging first line), and RightIndent keeps
// lines off the right margin.
class TParaAttributes : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(int FirstIndent READ FirstIndent WRITE SetFirstIndent)
    Q_PROPERTY(int LeftIndent READ LeftIndent WRITE SetLeftIndent)
    Q_PROPERTY(int RightIndent READ RightIndent WRITE SetRightIndent)
    Q_PROPERTY(TNumberingStyle Numbering READ Numbering WRITE SetNumbering)
public:
    explicit TParaAttributes(TCustomRichEdit* RichEdit);

    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    int FirstIndent() const;
    void SetFirstIndent(int Value);
    int LeftIndent() const;
    void SetLeftIndent(int Value);
    int RightIndent() const;
    void SetRightIndent(int Value);
    TNumberingStyle Numbering() const;
    void SetNumbering(TNumberingStyle Value);

    void Assign(TPersistent* Source) override;

private:
    // The first line's start and the other lines' start, in pixels from the left margin.
    struct TIndents {
        qreal First;
        qreal Rest;
    };
    TIndents Indents(const QTextBlock& Block) const;
    void SetIndents(QTextCursor& Cursor, const TIndents& Value) const;
    QTextBlock FirstBlock() const;
    // Runs Change on a cursor in each paragraph the selection touches, as one undo step.
    void ForEachParagraph(const std::function<void(QTextCursor&)>& Change);

    TCustomRichEdit* FRichEdit;
};

// A text editor with formatted text: fonts, sizes, styles and colours of characters,
// alignment, indents and bullets of paragraphs. Positions count one character for each
// paragraph break. The document exists from the start, so text and selection can be set
// before the widget is made. OnChange fires whenever the text or its formatting changes.
class TCustomRichEdit : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(bool PlainText READ PlainText WRITE SetPlainText)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(TScrollStyle ScrollBars READ ScrollBars WRITE SetScrollBars)
    Q_PROPERTY(bool WantReturns READ WantReturns WRITE SetWantReturns)
    Q_PROPERTY(bool WantTabs READ WantTabs WRITE SetWantTabs)
    Q_PROPERTY(TNotifyEvent OnChange READ OnChange WRITE SetOnChange)
    Q_PROPERTY(TNotifyEvent OnSelectionChange READ OnSelectionChange WRITE SetOnSelectionChange)
public:
    Q_INVOKABLE explicit TCustomRichEdit(TComponent* AOwner = nullptr);
    ~TCustomRichEdit() override;

    QTextDocument* Document() const { return FDocument; }
    // One line per paragraph.
    TStrings* Lines() const { return FLines; }
    // The text without formatting, paragraphs separated by "\n"; setting drops formatting.
    QString Text() const override;
    void SetText(const QString& Value) override;

    // Whether streams hold plain text rather than rich text, and pasting drops formatting.
    bool PlainText() const { return FPlainText; }
    void SetPlainText(bool Value);
    bool ReadOnly() const { return FReadOnly; }
    virtual void SetReadOnly(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value);
    bool Modified() const;
    void SetModified(bool Value);

    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    // Paragraph breaks read as "\n"; setting replaces the selection.
    QString SelText() const;
    void SetSelText(const QString& Value);
    TTextAttributes* SelAttributes() const { return FSelAttributes; }
    TTextAttributes* DefAttributes() const { return FDefAttributes; }
    TParaAttributes* Paragraph() const { return FParagraph; }

    // The position of SearchStr in the Length characters from StartPos (to the end of
    // the text when Length is negative), or -1.
    int FindText(const QString& SearchStr, int StartPos, int Length, TSearchTypes Options) const;

    // Rich text, or plain text when PlainText is set; a stream without rich text loads
    // as plain text. Streams are read from their position to the end.
    void LoadFromStream(QIODevice* Stream);
    void SaveToStream(QIODevice* Stream) const;

    void Clear();
    void SelectAll();
    void ClearSelection();
    void CopyToClipboard();
    // Cutting and pasting are virtual, so that a descendant can prepare or refuse them.
    virtual void CutToClipboard();
    virtual void PasteFromClipboard();
    bool CanUndo() const;
    void Undo();

    // Prints the text on the application's Printer() as a document called Caption, in
    // pages of its paper; raises the printer's EPrinterError when there is nowhere to print.
    void Print(const QString& Caption);

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
    const TNotifyEvent& OnSelectionChange() const { return FOnSelectionChange; }
    void SetOnSelectionChange(const TNotifyEvent& Value) { FOnSelectionChange = Value; }

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    void FontChanged() override;
    Qt::FocusPolicy FocusPolicy() const override { return Qt::StrongFocus; }
    bool WantKey(quint16 Key) const override;
    virtual void Change();
    virtual void SelectionChange();
    // Whether the widget refuses typing; descendants add conditions of their own.
    virtual bool WidgetReadOnly() const { return FReadOnly; }
    void ApplyOptions();
    // Runs Load, which replaces the document's content, without OnChange; the text
    // counts as unmodified afterwards.
    void ReplaceContent(const std::function<void()>& Load);

private:
    friend class TTextAttributes;
    friend class TParaAttributes;

    QTextEdit* EditWidget();
    void PrintPages(TPrinter* Printer) const;
    QTextCursor Cursor() const;
    void SetCursor(const QTextCursor& Cursor);
    void ContentsChanged();
    void CursorMoved();

    QTextDocument* FDocument;
    // The selection until the widget is made; the widget's afterwards.
    QTextCursor FCursor;
    TStrings* FLines;
    TTextAttributes* FSelAttributes;
    TTextAttributes* FDefAttributes;
    TParaAttributes* FParagraph;
    bool FPlainText = false;
    bool FReadOnly = false;
    bool FWordWrap = true;
    TScrollStyle FScrollBars = ssBoth;
    bool FWantReturns = true;
    bool FWantTabs = false;
    bool FReplacing = false;
    int FLastSelStart = 0;
    int FLastSelLength = 0;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnSelectionChange;
};

// The rich edit with its text stored in form files as Lines.
class TRichEdit : public TCustomRichEdit {
    Q_OBJECT
    Q_PROPERTY(TStrings* Lines READ Lines)
    Q_PROPERTY(QString Text READ Text WRITE SetText STORED false)
public:
    Q_INVOKABLE explicit TRichEdit(TComponent* AOwner = nullptr);
};
