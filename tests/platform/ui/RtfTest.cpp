#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <gtest/gtest.h>
#include <ui/RtfReader.h>
#include <ui/RtfWriter.h>

namespace {

QFont DefaultFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(10);
    return font;
}

// A document's paragraphs and runs with every attribute the rich text keeps, in effective
// values, one line per paragraph.
std::string Describe(const QTextDocument& Document) {
    QStringList lines;
    for (QTextBlock block = Document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        const QTextList* list = block.textList();
        const qreal listIndent = list ? list->format().indent() * Document.indentWidth() : 0;
        QString line = QStringLiteral("align=%1 first=%2 left=%3 right=%4 bullet=%5 |")
                           .arg(int(format.alignment() & Qt::AlignHorizontal_Mask))
                           .arg(format.textIndent())
                           .arg(format.leftMargin() + listIndent)
                           .arg(format.rightMargin())
                           .arg(list ? 1 : 0);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat chars = it.fragment().charFormat();
            const QFont font = chars.font().resolve(Document.defaultFont());
            line += QStringLiteral(" [%1|%2 %3pt%4%5%6%7 fg=%8 bg=%9]")
                        .arg(it.fragment().text(), font.family())
                        .arg(font.pointSizeF())
                        .arg(QLatin1String(font.bold() ? " b" : ""),
                             QLatin1String(font.italic() ? " i" : ""),
                             QLatin1String(font.underline() ? " u" : ""),
                             QLatin1String(font.strikeOut() ? " s" : ""))
                        .arg(chars.foreground().style() == Qt::NoBrush
                                 ? QStringLiteral("-")
                                 : chars.foreground().color().name(),
                             chars.background().style() == Qt::NoBrush
                                 ? QStringLiteral("-")
                                 : chars.background().color().name());
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n')).toStdString();
}

std::unique_ptr<QTextDocument> Read(const QByteArray& Rtf) {
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(DefaultFont());
    ReadRtf(document.get(), Rtf);
    return document;
}

QTextCharFormat Chars(const char* Family, qreal Points) {
    QTextCharFormat format;
    format.setFontFamilies(QStringList{QString::fromLatin1(Family)});
    format.setFontPointSize(Points);
    return format;
}

// Paragraphs with each character and paragraph attribute, bullets, breaks, tabs,
// characters beyond ASCII and the characters rich text escapes.
void FillFormatted(QTextDocument& Document) {
    Document.setDefaultFont(DefaultFont());
    QTextCursor cursor(&Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.setBlockFormat(centred);
    QTextCharFormat bold = Chars("Liberation Serif", 16);
    bold.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("Title"), bold);

    QTextBlockFormat indented;
    indented.setLeftMargin(48);
    indented.setTextIndent(-24);
    indented.setRightMargin(12);
    indented.setAlignment(Qt::AlignJustify);
    cursor.insertBlock(indented);
    QTextCharFormat italic = Chars("Liberation Mono", 9.5);
    italic.setFontItalic(true);
    italic.setForeground(QColor(200, 0, 0));
    cursor.insertText(QStringLiteral("Caf\u00e9 5\u20ac \u4e2d \U0001F600"), italic);
    QTextCharFormat underline = Chars("Liberation Sans", 12);
    underline.setFontUnderline(true);
    underline.setBackground(QColor(255, 255, 0));
    cursor.insertText(QStringLiteral(" {braces} \\ back\tslash"), underline);
    QTextCharFormat strike = Chars("Liberation Sans", 12);
    strike.setFontStrikeOut(true);
    cursor.insertText(QStringLiteral("gone") + QChar(QChar::LineSeparator) + "next", strike);

    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    cursor.insertBlock(right, QTextCharFormat());
    cursor.insertText(QStringLiteral("right"));

    QTextBlockFormat item;
    item.setLeftMargin(48);
    item.setTextIndent(-24);
    cursor.insertBlock(item);
    QTextListFormat bullets;
    bullets.setStyle(QTextListFormat::ListDisc);
    bullets.setIndent(0);
    cursor.createList(bullets);
    cursor.insertText(QStringLiteral("one"));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("two"));
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText(QStringLiteral("after"));
    cursor.insertBlock(QTextBlockFormat());
}

} // namespace

TEST(Rtf, FormattedTextSurvivesWritingAndReading) {
    QTextDocument original;
    FillFormatted(original);
    const QByteArray rtf = WriteRtf(&original);

    for (const char c : rtf)
        ASSERT_LT(uchar(c), 0x80) << "rich text is 7-bit";
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
    EXPECT_TRUE(rtf.contains("Caf\\'e9 5\\'80"));
    EXPECT_TRUE(rtf.contains("\\{braces\\} \\\\ back\\tab slash"));
    EXPECT_TRUE(rtf.contains("{\\pntext\\f")) << "bullets readable without lists";
    EXPECT_TRUE(rtf.contains("{\\*\\pn\\pnlvlblt"));

    const auto copy = Read(rtf);
    EXPECT_EQ(Describe(*copy), Describe(original));
    EXPECT_EQ(copy->blockCount(), original.blockCount());
    const QTextList* list = copy->findBlockByNumber(3).textList();
    ASSERT_TRUE(list);
    EXPECT_EQ(copy->findBlockByNumber(4).textList(), list) << "consecutive items share a list";
    EXPECT_FALSE(copy->findBlockByNumber(5).textList());

    // Writing what was read gives the same rich text again.
    EXPECT_EQ(WriteRtf(copy.get()).toStdString(), rtf.toStdString());
}

TEST(Rtf, EmptyParagraphsAndEmptyDocumentsKeepTheirCount) {
    QTextDocument empty;
    EXPECT_EQ(Read(WriteRtf(&empty))->blockCount(), 1);
    EXPECT_TRUE(Read(WriteRtf(&empty))->isEmpty());

    QTextDocument lines;
    lines.setPlainText(QStringLiteral("a\n\nb\n"));
    const auto copy = Read(WriteRtf(&lines));
    EXPECT_EQ(copy->toPlainText(), QStringLiteral("a\n\nb\n"));

    EXPECT_TRUE(IsRtf(QByteArray("  {}")));
    EXPECT_TRUE(Read("{}")->isEmpty());
}

TEST(Rtf, ReadsWordProcessorText) {
    const QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fcharset0 "
        "Arial;}{\\f1\\froman\\fprq2\\fcharset0 Times New Roman;}{\\f2\\fnil\\fcharset2 "
        "Symbol;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
        "{\\*\\generator Some writer 1.0;}\\viewkind4\\uc1\\pard\\qc\\b\\f0\\fs28 "
        "Title\\b0\\par\r\n"
        "\\pard\\fi-360\\li720\\cf1\\f1\\fs20 Caf\\'e9 costs 5 \\u8364?\\cf0  and "
        "{\\i italic}\\par\r\n"
        "\\pard{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}"
        "\\fi-720\\li720 one\\par\r\n"
        "{\\pntext\\f2\\'B7\\tab}two\\par\r\n"
        "\\pard\\qr\\highlight2 right\\highlight0\\par\r\n}\r\n";
    const auto document = Read(rtf);
    ASSERT_EQ(document->blockCount(), 5);

    const QTextBlock title = document->begin();
    EXPECT_EQ(title.text(), QStringLiteral("Title"));
    EXPECT_EQ(title.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    const QTextCharFormat titleFormat = title.begin().fragment().charFormat();
    EXPECT_EQ(titleFormat.fontWeight(), QFont::Bold);
    EXPECT_EQ(titleFormat.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    EXPECT_EQ(titleFormat.fontPointSize(), 14);

    const QTextBlock price = title.next();
    EXPECT_EQ(price.text(), QStringLiteral("Caf\u00e9 costs 5 \u20ac and italic"));
    EXPECT_EQ(price.blockFormat().leftMargin(), 48);
    EXPECT_EQ(price.blockFormat().textIndent(), -24);
    const QTextFragment red = price.begin().fragment();
    EXPECT_EQ(red.text(), QStringLiteral("Caf\u00e9 costs 5 \u20ac"));
    EXPECT_EQ(red.charFormat().foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(red.charFormat().fontFamilies().toStringList(),
              QStringList{QStringLiteral("Times New Roman")});
    EXPECT_EQ(red.charFormat().fontPointSize(), 10);
    auto it = price.begin();
    ++it;
    ++it;
    EXPECT_EQ(it.fragment().text(), QStringLiteral("italic"));
    EXPECT_TRUE(it.fragment().charFormat().fontItalic());
    EXPECT_EQ(it.fragment().charFormat().foreground().style(), Qt::NoBrush);

    const QTextBlock one = price.next();
    EXPECT_EQ(one.text(), QStringLiteral("one"));
    EXPECT_EQ(one.next().text(), QStringLiteral("two"));
    ASSERT_TRUE(one.textList());
    EXPECT_EQ(one.next().textList(), one.textList());
    EXPECT_EQ(one.textList()->format().style(), QTextListFormat::ListDisc);

    const QTextBlock right = one.next().next();
    EXPECT_FALSE(right.textList());
    EXPECT_EQ(right.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(right.begin().fragment().charFormat().background().color(), QColor(0, 0, 255));
}

TEST(Rtf, ListMarkersWithoutNumberingDescription) {
    // Bullets given only by their marker text are bullets; numbers stay in the text.
    const auto document = Read("{\\rtf1{\\fonttbl{\\f3\\fcharset2 Symbol;}}"
                               "{\\listtext\\pard\\plain\\f3 \\'b7\\tab}\\ls1 first\\par "
                               "\\pard{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec}second\\par}");
    EXPECT_EQ(document->begin().text(), QStringLiteral("first"));
    EXPECT_TRUE(document->begin().textList());
    EXPECT_EQ(document->lastBlock().text(), QStringLiteral("1.\tsecond"));
    EXPECT_FALSE(document->lastBlock().textList());
}

TEST(Rtf, CharactersByCodePageAndUnicode) {
    EXPECT_EQ(Read("{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1}")->toPlainText(),
              QStringLiteral("\u0410\u0431"));
    // A font's character set wins over the document's code page; double-byte pairs decode.
    EXPECT_EQ(Read("{\\rtf1{\\fonttbl{\\f0\\fcharset238 A;}{\\f1\\fcharset128 B;}}"
                   "\\f0\\'b9\\f1\\'82\\'a0}")
                  ->toPlainText(),
              QStringLiteral("\u0105\u3042"));
    EXPECT_EQ(Read("{\\rtf1 \\u-10179?\\u-8704?}")->toPlainText(), QStringLiteral("\U0001F600"));
    EXPECT_EQ(Read("{\\rtf1{\\uc2\\u8364 EU}X\\uc0\\u8364 Y}")->toPlainText(),
              QStringLiteral("\u20acX\u20acY"));
    EXPECT_EQ(Read("{\\rtf1 \\u8364\\'80!}")->toPlainText(), QStringLiteral("\u20ac!"));
    EXPECT_EQ(Read("{\\rtf1 a\\~b\\emdash c\\line d\\{\\}\\\\}")->toRawText(),
              QStringLiteral("a\u00a0b\u2014c\u2028d{}\\"));
    EXPECT_EQ(Read("{\\rtf1 \\u-10179?x}")->toPlainText(), QStringLiteral("\ufffdx"))
        << "an unpaired surrogate is replaced";

    // Text held as a string keeps its characters beyond ASCII; escapes still decode.
    QTextDocument document;
    ReadRtf(&document, QStringLiteral("{\\rtf1 \u00fc\\'e9}"));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("\u00fc\u00e9"));
}

TEST(Rtf, IgnoredDestinationsAndBinaryData) {
    const auto document =
        Read("{\\rtf1{\\info{\\title Hidden}{\\author Me}}{\\*\\unknown {nested {deep}} text}"
             "{\\stylesheet{\\s0 Normal;}}{\\pict\\wmetafile8 0a0b0c}"
             "A{\\*\\bkmkstart mark}B\\bin4 {}\\xC{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt D}}"
             "\\unknownword E}");
    EXPECT_EQ(document->toPlainText(), QStringLiteral("ABCDE"));
}

TEST(Rtf, PlainTextLoadsAsPlainText) {
    EXPECT_FALSE(IsRtf(QByteArray("Hello {\\rtf1}")));
    EXPECT_EQ(Read("Hello\r\nWorld")->toPlainText(), QStringLiteral("Hello\nWorld"));
    EXPECT_EQ(Read("caf\xc3\xa9")->toPlainText(), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(Read("caf\xe9")->toPlainText(), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(Read("{\\b not rtf}")->toPlainText(), QStringLiteral("{\\b not rtf}"));
}

TEST(Rtf, DamagedTextGivesWhatCouldBeRead) {
    EXPECT_EQ(Read("{\\rtf1 abc")->toPlainText(), QStringLiteral("abc"));
    EXPECT_EQ(Read("{\\rtf1 {\\b abc")->toPlainText(), QStringLiteral("abc"));
    EXPECT_EQ(Read("{\\rtf1 a}}}} b")->toPlainText(), QStringLiteral("a"));
    EXPECT_EQ(Read("{\\rtf1 a\\")->toPlainText(), QStringLiteral("a"));
    EXPECT_EQ(Read("{\\rtf1 a\\'")->toPlainText(), QStringLiteral("a"));
    EXPECT_EQ(Read("{\\rtf1 a\\'zzb}")->toPlainText(), QStringLiteral("ab"));
    EXPECT_EQ(Read("{\\rtf1 a\\bin999999999999}")->toPlainText(), QStringLiteral("a"));

    const auto huge = Read("{\\rtf1\\fs99999999999999999999\\li-99999999999\\fi99999999999"
                           "\\uc99999999999 x\\u99999999999 y\\cf99999999 z}");
    const QTextBlock block = huge->begin();
    EXPECT_EQ(block.begin().fragment().charFormat().fontPointSize(), 1638);
    EXPECT_EQ(block.blockFormat().leftMargin(), 0);
    EXPECT_EQ(block.blockFormat().textIndent(), 31680 / 15);
    EXPECT_TRUE(block.text().startsWith(QLatin1String("x")));

    // Nesting far deeper than any real text.
    const QByteArray deep =
        "{\\rtf1 a" + QByteArray(200000, '{') + "b" + QByteArray(200000, '}') + "c}";
    EXPECT_EQ(Read(deep)->toPlainText(), QStringLiteral("ac"));
}

TEST(Rtf, EveryTruncationAndCorruptionReads) {
    QTextDocument original;
    FillFormatted(original);
    const QByteArray rtf = WriteRtf(&original);
    QTextDocument document;
    document.setDefaultFont(DefaultFont());
    for (qsizetype length = 0; length <= rtf.size(); ++length)
        ReadRtf(&document, rtf.left(length));
    EXPECT_EQ(Describe(document), Describe(original));

    QRandomGenerator random(7);
    const char noise[] = "{}\\';0123456789-abu ";
    for (int round = 0; round < 300; ++round) {
        QByteArray damaged = rtf;
        for (int change = 0; change < 8; ++change)
            damaged[random.bounded(int(damaged.size()))] =
                noise[random.bounded(int(sizeof noise) - 1)];
        ReadRtf(&document, damaged);
        WriteRtf(&document);
    }
}

TEST(Rtf, EveryCharacterSurvivesWritingAndReading) {
    QString text;
    for (char16_t c = 1; c < 0x20; ++c)
        if (c != '\n' && c != '\r')
            text += QChar(c);
    text += QStringLiteral("x\u007f\ufffcy") + QChar(QChar::LineSeparator);
    for (const QString& sample :
         {text, QStringLiteral("end") + QChar(QChar::LineSeparator),
          QStringLiteral("two") + QChar(QChar::LineSeparator) + QChar(QChar::LineSeparator)}) {
        QTextDocument original;
        QTextCursor(&original).insertText(sample);
        const auto copy = Read(WriteRtf(&original));
        EXPECT_EQ(copy->toRawText(), original.toRawText()) << sample.toStdString();
    }
}

TEST(Rtf, LongBulletListsReadAsBullets) {
    QByteArray rtf = "{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}";
    const int items = 1000;
    for (int i = 0; i < items; ++i)
        rtf += "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'b7}}item " +
               QByteArray::number(i) + "\\par\n";
    rtf += "\\pard plain\\par}";
    const auto document = Read(rtf);
    ASSERT_EQ(document->blockCount(), items + 1);
    for (int i = 0; i < items; ++i) {
        const QTextBlock block = document->findBlockByNumber(i);
        ASSERT_TRUE(block.textList()) << i;
        EXPECT_EQ(block.textList()->format().style(), QTextListFormat::ListDisc);
        EXPECT_EQ(block.text(), QStringLiteral("item %1").arg(i));
    }
    EXPECT_FALSE(document->lastBlock().textList());
    // Writing it again keeps every bullet.
    EXPECT_EQ(WriteRtf(document.get()).count("\\pnlvlblt"), items);
}

// The plain text read without a document is the text of the document read, for formatted
// text with bullets, numbers and escapes, every cut-short and damaged version of it, and
// text that is not rich.
TEST(Rtf, PlainTextReadAloneIsTheDocumentsText) {
    QTextDocument original;
    FillFormatted(original);
    const QString rtf = QString::fromLatin1(WriteRtf(&original));
    // A byte order mark that begins a run of text, or stands within one.
    const QString byteOrderMarks =
        QStringLiteral("{\\rtf1 a\\cf1 \ufeffb{\\b \ufeffc}d\ufeffe\\par}");
    QStringList samples = {
        rtf,
        QStringLiteral("{\\rtf1{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}bullet\\par"
                       "{\\pntext 1.\\tab}numbered\\par caf\\'e9 \\u8364? na\\~ve\\line end\\par}"),
        // Text bytes on both sides of groups that change the code page or the destination.
        QStringLiteral("{\\rtf1{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset204 Arial;}}"
                       "\\f0 ab\\'e9{\\f1 \\'e0\\'e1 x}cd{\\pntext 1.}{\\f1 y\\'e2}\\'e9z\\par}"),
        // A bullet numbering that starts after the marker's item text has begun.
        QStringLiteral("{\\rtf{{\\pntext'7}o\\f1c\\pn\\pnlvlblt}"),
        // A marker inside a numbering group, its item's text in the group around it.
        QStringLiteral("{\\rtf{{\\pn\\pnlvl\\pntext\\'b7}p}"), QStringLiteral("{}"),
        QStringLiteral("plain\r\ntext \u00e9"),
        QStringLiteral("plain\rlines\r\rended\r\r\n\r\r\r\n\n\ufdd0."),
        QStringLiteral("{\\rtf1 a\\u13\\u10 b\\u13 c\\u64976 d\\par}"), byteOrderMarks, QString()};
    for (qsizetype length = 0; length <= rtf.size(); length += 7)
        samples << rtf.left(length);
    QRandomGenerator random(11);
    const char noise[] = "{}\\';0123456789-abu ";
    for (int round = 0; round < 100; ++round) {
        QString damaged = rtf;
        for (int change = 0; change < 8; ++change)
            damaged[random.bounded(int(damaged.size()))] =
                QLatin1Char(noise[random.bounded(int(sizeof noise) - 1)]);
        samples << damaged;
    }
    QTextDocument document;
    ReadRtf(&document, byteOrderMarks);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("a\ufeffb\ufeffcd\ufeffe"));
    for (const QString& sample : samples) {
        ReadRtf(&document, sample);
        EXPECT_EQ(RtfPlainText(sample), document.toPlainText()) << sample.toStdString();
    }
}
