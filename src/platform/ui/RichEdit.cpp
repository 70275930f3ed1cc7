#include "RichEdit.h"

#include "Printers.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QIODevice>
#include <QPainter>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextList>
#include <memory>

namespace {

constexpr qreal ScreenPixelsPerInch = 96.0;
constexpr qreal PixelsPerPoint = ScreenPixelsPerInch / 72.0;
// The white border round printed text inside the printer's printable area.
constexpr qreal PrintMarginCm = 2.0;

int PixelsToPoints(qreal Pixels) {
    return qRound(Pixels / PixelsPerPoint);
}

qreal PointsToPixels(int Points) {
    return Points * PixelsPerPoint;
}

Qt::ScrollBarPolicy ScrollBarPolicy(bool Shown) {
    return Shown ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
}

// The paragraphs of a document as lines. A document holds no objects beside its lines.
class TRichEditLines : public TStrings {
public:
    TRichEditLines(QObject* Parent, QTextDocument* Document)
        : TStrings(Parent), FDocument(Document) {}

    int Count() const override { return FDocument->isEmpty() ? 0 : FDocument->blockCount(); }
    QString Strings(int Index) const override { return Block(Index).text(); }
    void SetStrings(int Index, const QString& S) override {
        const QTextBlock block = Block(Index);
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        cursor.insertText(S);
    }
    TObject* Objects(int Index) const override {
        CheckIndex(Index);
        return nullptr;
    }
    void SetObjects(int Index, TObject*) override { CheckIndex(Index); }
    void InsertObject(int Index, const QString& S, TObject*) override {
        const int count = Count();
        if (Index < 0 || Index > count)
            throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
        QTextCursor cursor(FDocument);
        if (count == 0) {
            cursor.insertText(S);
        } else if (Index == count) {
            cursor.movePosition(QTextCursor::End);
            cursor.insertBlock();
            cursor.insertText(S);
        } else {
            cursor.setPosition(Block(Index).position());
            cursor.insertText(S);
            cursor.insertBlock();
        }
    }
    void Delete(int Index) override {
        const QTextBlock block = Block(Index);
        QTextCursor cursor(FDocument);
        if (Count() == 1) {
            cursor.setPosition(0);
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        } else if (block.next().isValid()) {
            cursor.setPosition(block.position());
            cursor.setPosition(block.next().position(), QTextCursor::KeepAnchor);
        } else {
            cursor.setPosition(block.position() - 1);
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        }
        cursor.removeSelectedText();
    }
    void Clear() override { FDocument->clear(); }

private:
    QTextBlock Block(int Index) const {
        CheckIndex(Index);
        return FDocument->findBlockByNumber(Index);
    }

    QTextDocument* FDocument;
};

QTextCharFormat StyleFormat(TFontStyles Style) {
    QTextCharFormat format;
    format.setFontWeight(Style.Contains(fsBold) ? QFont::Bold : QFont::Normal);
    format.setFontItalic(Style.Contains(fsItalic));
    format.setFontUnderline(Style.Contains(fsUnderline));
    format.setFontStrikeOut(Style.Contains(fsStrikeOut));
    return format;
}

} // namespace

// TTextAttributes

TTextAttributes::TTextAttributes(TCustomRichEdit* RichEdit, TAttributeType Type)
    : TPersistent(RichEdit), FRichEdit(RichEdit), FType(Type) {}

QTextCharFormat TTextAttributes::Format() const {
    QTextCharFormat format;
    if (FType == atDefaultText) {
        format.setFont(FRichEdit->Font()->ToQFont());
        return format;
    }
    QTextCursor cursor = FRichEdit->Cursor();
    if (cursor.hasSelection()) {
        // The format of the selection's first character.
        cursor.setPosition(cursor.selectionStart());
        cursor.movePosition(QTextCursor::NextCharacter);
    }
    format = cursor.charFormat();
    format.setFont(format.font().resolve(FRichEdit->Document()->defaultFont()));
    return format;
}

void TTextAttributes::Merge(const QTextCharFormat& Format) {
    QTextCursor cursor = FRichEdit->Cursor();
    cursor.mergeCharFormat(Format);
    FRichEdit->SetCursor(cursor);
}

QString TTextAttributes::Name() const {
    return Format().font().family();
}

void TTextAttributes::SetName(const QString& Value) {
    if (FType == atDefaultText) {
        FRichEdit->Font()->SetName(Value);
        return;
    }
    QTextCharFormat format;
    format.setFontFamilies(QStringList{Value});
    Merge(format);
}

int TTextAttributes::Size() const {
    const QFont font = Format().font();
    return font.pointSizeF() > 0 ? qRound(font.pointSizeF()) : PixelsToPoints(font.pixelSize());
}

void TTextAttributes::SetSize(int Value) {
    if (FType == atDefaultText) {
        FRichEdit->Font()->SetSize(Value);
        return;
    }
    QTextCharFormat format;
    format.setFontPointSize(Value);
    Merge(format);
}

TFontStyles TTextAttributes::Style() const {
    const QFont font = Format().font();
    TFontStyles style;
    if (font.bold())
        style.Include(fsBold);
    if (font.italic())
        style.Include(fsItalic);
    if (font.underline())
        style.Include(fsUnderline);
    if (font.strikeOut())
        style.Include(fsStrikeOut);
    return style;
}

void TTextAttributes::SetStyle(TFontStyles Value) {
    if (FType == atDefaultText)
        FRichEdit->Font()->SetStyle(Value);
    else
        Merge(StyleFormat(Value));
}

TColor TTextAttributes::Color() const {
    if (FType == atDefaultText)
        return FRichEdit->Font()->Color();
    const QBrush brush = Format().foreground();
    return brush.style() == Qt::NoBrush ? FRichEdit->Font()->Color() : QColorToColor(brush.color());
}

void TTextAttributes::SetColor(TColor Value) {
    if (FType == atDefaultText) {
        FRichEdit->Font()->SetColor(Value);
        return;
    }
    QTextCharFormat format;
    format.setForeground(ColorToQColor(Value));
    Merge(format);
}

void TTextAttributes::SetAll(const QString& Name, int Size, TFontStyles Style, TColor Color) {
    if (FType == atDefaultText) {
        TFont* font = FRichEdit->Font();
        font->SetName(Name);
        font->SetSize(Size);
        font->SetStyle(Style);
        font->SetColor(Color);
        return;
    }
    QTextCharFormat format = StyleFormat(Style);
    format.setFontFamilies(QStringList{Name});
    format.setFontPointSize(Size);
    format.setForeground(ColorToQColor(Color));
    Merge(format);
}

void TTextAttributes::Assign(TPersistent* Source) {
    if (auto* font = qobject_cast<TFont*>(Source))
        SetAll(font->Name(), font->Size(), font->Style(), font->Color());
    else if (auto* attributes = qobject_cast<TTextAttributes*>(Source))
        SetAll(attributes->Name(), attributes->Size(), attributes->Style(), attributes->Color());
    else
        TPersistent::Assign(Source);
}

void TTextAttributes::AssignTo(TPersistent* Dest) {
    auto* font = qobject_cast<TFont*>(Dest);
    if (!font) {
        TPersistent::AssignTo(Dest);
        return;
    }
    font->SetName(Name());
    font->SetSize(Size());
    font->SetStyle(Style());
    font->SetColor(Color());
}

// TParaAttributes

TParaAttributes::TParaAttributes(TCustomRichEdit* RichEdit)
    : TPersistent(RichEdit), FRichEdit(RichEdit) {}

QTextBlock TParaAttributes::FirstBlock() const {
    const QTextCursor cursor = FRichEdit->Cursor();
    return FRichEdit->Document()->findBlock(cursor.selectionStart());
}

void TParaAttributes::ForEachParagraph(const std::function<void(QTextCursor&)>& Change) {
    const QTextCursor selection = FRichEdit->Cursor();
    QTextDocument* document = FRichEdit->Document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    const QTextBlock last = document->findBlock(selection.selectionEnd());
    for (QTextBlock block = FirstBlock(); block.isValid(); block = block.next()) {
        cursor.setPosition(block.position());
        Change(cursor);
        if (block == last)
            break;
    }
    cursor.endEditBlock();
}

// Lists and indent levels add to the margin, as the document lays them out.
TParaAttributes::TIndents TParaAttributes::Indents(const QTextBlock& Block) const {
    const QTextBlockFormat format = Block.blockFormat();
    int levels = format.indent();
    if (const QTextList* list = Block.textList())
        levels += list->format().indent();
    const qreal rest = format.leftMargin() + levels * FRichEdit->Document()->indentWidth();
    return {rest + format.textIndent(), rest};
}

void TParaAttributes::SetIndents(QTextCursor& Cursor, const TIndents& Value) const {
    const QTextBlock block = Cursor.block();
    const qreal levels = Indents(block).Rest - block.blockFormat().leftMargin();
    QTextBlockFormat format;
    format.setLeftMargin(Value.Rest - levels);
    format.setTextIndent(Value.First - Value.Rest);
    Cursor.mergeBlockFormat(format);
}

TAlignment TParaAttributes::Alignment() const {
    const Qt::Alignment alignment = FirstBlock().blockFormat().alignment();
    if (alignment & Qt::AlignHCenter)
        return taCenter;
    if (alignment & Qt::AlignRight)
        return taRightJustify;
    return taLeftJustify;
}

void TParaAttributes::SetAlignment(TAlignment Value) {
    ForEachParagraph([Value](QTextCursor& Cursor) {
        QTextBlockFormat format;
        format.setAlignment(AlignmentToQt(Value));
        Cursor.mergeBlockFormat(format);
    });
}

int TParaAttributes::FirstIndent() const {
    return PixelsToPoints(Indents(FirstBlock()).First);
}

void TParaAttributes::SetFirstIndent(int Value) {
    ForEachParagraph([this, Value](QTextCursor& Cursor) {
        const TIndents indents = Indents(Cursor.block());
        const qreal first = PointsToPixels(Value);
        SetIndents(Cursor, {first, first + indents.Rest - indents.First});
    });
}

int TParaAttributes::LeftIndent() const {
    const TIndents indents = Indents(FirstBlock());
    return PixelsToPoints(indents.Rest - indents.First);
}

void TParaAttributes::SetLeftIndent(int Value) {
    ForEachParagraph([this, Value](QTextCursor& Cursor) {
        const TIndents indents = Indents(Cursor.block());
        SetIndents(Cursor, {indents.First, indents.First + PointsToPixels(Value)});
    });
}

int TParaAttributes::RightIndent() const {
    return PixelsToPoints(FirstBlock().blockFormat().rightMargin());
}

void TParaAttributes::SetRightIndent(int Value) {
    ForEachParagraph([Value](QTextCursor& Cursor) {
        QTextBlockFormat format;
        format.setRightMargin(PointsToPixels(Value));
        Cursor.mergeBlockFormat(format);
    });
}

TNumberingStyle TParaAttributes::Numbering() const {
    return FirstBlock().textList() ? nsBullet : nsNone;
}

// Bulleted paragraphs that follow each other share one list. A new list whose first line
// starts at the margin is indented one level, so that its bullets have room.
void TParaAttributes::SetNumbering(TNumberingStyle Value) {
    QTextList* list = nullptr;
    ForEachParagraph([this, Value, &list](QTextCursor& Cursor) {
        const QTextBlock block = Cursor.block();
        if (QTextList* current = block.textList()) {
            if (Value == nsNone)
                current->remove(block);
            list = current;
            return;
        }
        if (Value == nsNone)
            return;
        if (!list)
            list = block.previous().textList();
        if (list) {
            list->add(block);
            return;
        }
        QTextListFormat format;
        format.setStyle(QTextListFormat::ListDisc);
        format.setIndent(Indents(block).First <= 0 ? 1 : 0);
        list = Cursor.createList(format);
    });
}

void TParaAttributes::Assign(TPersistent* Source) {
    auto* source = qobject_cast<TParaAttributes*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    SetAlignment(source->Alignment());
    SetFirstIndent(source->FirstIndent());
    SetLeftIndent(source->LeftIndent());
    SetRightIndent(source->RightIndent());
    SetNumbering(source->Numbering());
}

// TCustomRichEdit

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner)
    : TWinControl(AOwner), FDocument(new QTextDocument(this)), FCursor(FDocument),
      FLines(new TRichEditLines(this, FDocument)),
      FSelAttributes(new TTextAttributes(this, atSelected)),
      FDefAttributes(new TTextAttributes(this, atDefaultText)),
      FParagraph(new TParaAttributes(this)) {
    SetColor(clWindow);
    SetBounds(0, 0, 185, 89);
    SetTabStop(true);
    FDocument->setDefaultFont(Font()->ToQFont());
    connect(FDocument, &QTextDocument::contentsChanged, this, [this] { ContentsChanged(); });
}

TCustomRichEdit::~TCustomRichEdit() {
    Destroying();
    FDocument->disconnect(this);
}

QWidget* TCustomRichEdit::CreateWidget() {
    auto* edit = new TScrollAreaWidget<QTextEdit>(this);
    edit->setDocument(FDocument);
    connect(edit, &QTextEdit::cursorPositionChanged, this, [this] { CursorMoved(); });
    connect(edit, &QTextEdit::selectionChanged, this, [this] { CursorMoved(); });
    return edit;
}

QTextEdit* TCustomRichEdit::EditWidget() {
    return static_cast<QTextEdit*>(Widget());
}

void TCustomRichEdit::InitWidget() {
    TWinControl::InitWidget();
    EditWidget()->setTextCursor(FCursor);
    ApplyOptions();
}

void TCustomRichEdit::ApplyOptions() {
    if (!HandleAllocated())
        return;
    QTextEdit* edit = EditWidget();
    edit->setReadOnly(WidgetReadOnly());
    // A read-only text can still be walked with the keyboard.
    if (WidgetReadOnly())
        edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    edit->setLineWrapMode(FWordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    edit->setHorizontalScrollBarPolicy(
        ScrollBarPolicy(FScrollBars == ssHorizontal || FScrollBars == ssBoth));
    edit->setVerticalScrollBarPolicy(
        ScrollBarPolicy(FScrollBars == ssVertical || FScrollBars == ssBoth));
    edit->setTabChangesFocus(!FWantTabs);
    edit->setAcceptRichText(!FPlainText);
}

void TCustomRichEdit::FontChanged() {
    TWinControl::FontChanged();
    FDocument->setDefaultFont(Font()->ToQFont());
}

QTextCursor TCustomRichEdit::Cursor() const {
    if (const QWidget* widget = AllocatedWidget())
        return static_cast<const QTextEdit*>(widget)->textCursor();
    return FCursor;
}

void TCustomRichEdit::SetCursor(const QTextCursor& Cursor) {
    if (HandleAllocated())
        EditWidget()->setTextCursor(Cursor);
    else
        FCursor = Cursor;
    CursorMoved();
}

void TCustomRichEdit::ContentsChanged() {
    if (!FReplacing)
        HandleExceptions([this] { Change(); });
}

void TCustomRichEdit::CursorMoved() {
    const int start = SelStart();
    const int length = SelLength();
    if (start == FLastSelStart && length == FLastSelLength)
        return;
    FLastSelStart = start;
    FLastSelLength = length;
    if (!FReplacing)
        HandleExceptions([this] { SelectionChange(); });
}

void TCustomRichEdit::Change() {
    FOnChange(this);
}

void TCustomRichEdit::SelectionChange() {
    FOnSelectionChange(this);
}

void TCustomRichEdit::ReplaceContent(const std::function<void()>& Load) {
    {
        QScopedValueRollback replacing(FReplacing, true);
        Load();
        FDocument->setModified(false);
    }
    CursorMoved();
}

QString TCustomRichEdit::Text() const {
    return FDocument->toPlainText();
}

void TCustomRichEdit::SetText(const QString& Value) {
    FDocument->setPlainText(Value);
}

void TCustomRichEdit::SetPlainText(bool Value) {
    FPlainText = Value;
    ApplyOptions();
}

void TCustomRichEdit::SetReadOnly(bool Value) {
    FReadOnly = Value;
    ApplyOptions();
}

void TCustomRichEdit::SetWordWrap(bool Value) {
    FWordWrap = Value;
    ApplyOptions();
}

void TCustomRichEdit::SetScrollBars(TScrollStyle Value) {
    FScrollBars = Value;
    ApplyOptions();
}

void TCustomRichEdit::SetWantTabs(bool Value) {
    FWantTabs = Value;
    ApplyOptions();
}

bool TCustomRichEdit::WantKey(quint16 Key) const {
    if (Key == VK_RETURN)
        return FWantReturns;
    if (Key == VK_TAB)
        return FWantTabs;
    return false;
}

bool TCustomRichEdit::Modified() const {
    return FDocument->isModified();
}

void TCustomRichEdit::SetModified(bool Value) {
    FDocument->setModified(Value);
}

int TCustomRichEdit::SelStart() const {
    return Cursor().selectionStart();
}

void TCustomRichEdit::SetSelStart(int Value) {
    QTextCursor cursor = Cursor();
    cursor.setPosition(qBound(0, Value, FDocument->characterCount() - 1));
    SetCursor(cursor);
}

int TCustomRichEdit::SelLength() const {
    const QTextCursor cursor = Cursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void TCustomRichEdit::SetSelLength(int Value) {
    QTextCursor cursor = Cursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    cursor.setPosition(qBound(0, start + Value, FDocument->characterCount() - 1),
                       QTextCursor::KeepAnchor);
    SetCursor(cursor);
}

QString TCustomRichEdit::SelText() const {
    return Cursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

void TCustomRichEdit::SetSelText(const QString& Value) {
    QTextCursor cursor = Cursor();
    cursor.insertText(Value);
    SetCursor(cursor);
}

int TCustomRichEdit::FindText(const QString& SearchStr, int StartPos, int Length,
                              TSearchTypes Options) const {
    if (SearchStr.isEmpty())
        return -1;
    const int size = FDocument->characterCount() - 1;
    const int start = qBound(0, StartPos, size);
    const int end =
        Length < 0 ? size : int(qBound(qint64(start), qint64(start) + Length, qint64(size)));
    QTextDocument::FindFlags flags;
    if (Options.Contains(stMatchCase))
        flags |= QTextDocument::FindCaseSensitively;
    if (Options.Contains(stWholeWord))
        flags |= QTextDocument::FindWholeWords;
    const QTextCursor found = FDocument->find(SearchStr, start, flags);
    if (found.isNull() || found.selectionEnd() > end)
        return -1;
    return found.selectionStart();
}

void TCustomRichEdit::LoadFromStream(QIODevice* Stream) {
    if (!Stream->isReadable())
        throw EInOutError(QStringLiteral("Cannot read the text: the stream is not readable"));
    const QByteArray data = Stream->readAll();
    ReplaceContent([this, &data] {
        if (FPlainText)
            FDocument->setPlainText(QString::fromUtf8(data));
        else
            ReadRtf(FDocument, data);
    });
    Change();
}

void TCustomRichEdit::SaveToStream(QIODevice* Stream) const {
    const QByteArray data = FPlainText ? FDocument->toPlainText().toUtf8() : WriteRtf(FDocument);
    if (!Stream->isWritable() || Stream->write(data) != data.size())
        throw EInOutError(QStringLiteral("Cannot write the text: %1").arg(Stream->errorString()));
}

void TCustomRichEdit::Clear() {
    FDocument->clear();
}

void TCustomRichEdit::SelectAll() {
    QTextCursor cursor = Cursor();
    cursor.select(QTextCursor::Document);
    SetCursor(cursor);
}

void TCustomRichEdit::ClearSelection() {
    QTextCursor cursor = Cursor();
    cursor.removeSelectedText();
    SetCursor(cursor);
}

void TCustomRichEdit::CopyToClipboard() {
    EditWidget()->copy();
}

void TCustomRichEdit::CutToClipboard() {
    EditWidget()->cut();
}

void TCustomRichEdit::PasteFromClipboard() {
    EditWidget()->paste();
}

bool TCustomRichEdit::CanUndo() const {
    return FDocument->isUndoAvailable();
}

void TCustomRichEdit::Undo() {
    QTextCursor cursor = Cursor();
    FDocument->undo(&cursor);
    SetCursor(cursor);
}

void TCustomRichEdit::Print(const QString& Caption) {
    TPrinter* printer = Printer();
    printer->SetTitle(Caption);
    printer->BeginDoc();
    try {
        PrintPages(printer);
    } catch (...) {
        printer->Abort();
        throw;
    }
    printer->EndDoc();
}

void TCustomRichEdit::PrintPages(TPrinter* Printer) const {
    // A copy laid out as on the screen, at 96 pixels an inch, in pages of the printer's
    // printable area less a margin of PrintMarginCm all round, and drawn scaled to the
    // printer's resolution: fonts sized in pixels keep their size on paper.
    const std::unique_ptr<QTextDocument> copy(FDocument->clone());
    QTextFrameFormat frame = copy->rootFrame()->frameFormat();
    frame.setMargin(PrintMarginCm / 2.54 * ScreenPixelsPerInch);
    copy->rootFrame()->setFrameFormat(frame);
    const qreal scaleX = qreal(Printer->XDpi()) / ScreenPixelsPerInch;
    const qreal scaleY = qreal(Printer->YDpi()) / ScreenPixelsPerInch;
    const QSizeF page(Printer->PageWidth() / scaleX, Printer->PageHeight() / scaleY);
    copy->setPageSize(page);

    QPainter& painter = Printer->Canvas()->Handle();
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    for (int index = 0; index < copy->pageCount(); ++index) {
        if (index > 0)
            Printer->NewPage();
        context.clip = QRectF(QPointF(0, index * page.height()), page);
        painter.save();
        painter.scale(scaleX, scaleY);
        painter.translate(0, -context.clip.top());
        painter.setClipRect(context.clip);
        copy->documentLayout()->draw(&painter, context);
        painter.restore();
    }
}

// TRichEdit

TRichEdit::TRichEdit(TComponent* AOwner) : TCustomRichEdit(AOwner) {}
