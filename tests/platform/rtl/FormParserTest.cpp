#include <gtest/gtest.h>
#include <rtl/Exceptions.h>
#include <rtl/FormParser.h>
#include <rtl/FormPrinter.h>

namespace {

const char* const SampleForm = R"(object FormPeople: TFormPeople
  Left = -8
  Caption = 'People''s list'#13#10'second line'
  Ratio = 1.5E3
  Mask = $FF
  Style = [fsBold, fsItalic]
  Empty = []
  Font.Name = 'MS Sans Serif'
  Master = DMod1.TbPeople
  SQL.Strings = (
    'select * from Lang.db'
    'order by id')
  Columns = <
    item
      FieldName = 'Name'
      Width = 120
    end
    item
    end>
  Picture = {
    0A0B0C
    FF}
  Long = 'first part' +
    ' second part'
  object Panel1: TPanel
    Align = alClient
    object Button1: TButton
      OnClick = Button1Click
    end
  end
end
)";

TEST(FormParser, ReadsEveryKindOfValue) {
    const TFormObject root = ParseForm(QString::fromUtf8(SampleForm), QStringLiteral("t.form"));
    EXPECT_EQ(root.Name, QStringLiteral("FormPeople"));
    EXPECT_EQ(root.ClassName, QStringLiteral("TFormPeople"));
    ASSERT_EQ(root.Properties.size(), 12);
    const auto& p = root.Properties;
    EXPECT_EQ(p[0].Value.Integer, -8);
    EXPECT_EQ(p[1].Value.Text, QStringLiteral("People's list\r\nsecond line"));
    EXPECT_EQ(p[1].Line, 3);
    EXPECT_DOUBLE_EQ(p[2].Value.Float, 1500.0);
    EXPECT_EQ(p[3].Value.Integer, 255);
    EXPECT_EQ(p[4].Value.Members, (QStringList{"fsBold", "fsItalic"}));
    EXPECT_TRUE(p[5].Value.Members.isEmpty());
    EXPECT_EQ(p[5].Value.Kind, TFormValue::vkSet);
    EXPECT_EQ(p[6].Name, QStringLiteral("Font.Name"));
    EXPECT_EQ(p[7].Value.Kind, TFormValue::vkIdent);
    EXPECT_EQ(p[7].Value.Text, QStringLiteral("DMod1.TbPeople"));
    ASSERT_EQ(p[8].Value.Items.size(), 2);
    EXPECT_EQ(p[8].Value.Items[1].Text, QStringLiteral("order by id"));
    ASSERT_EQ(p[9].Value.CollectionItems.size(), 2);
    EXPECT_EQ(p[9].Value.CollectionItems[0].Properties[1].Value.Integer, 120);
    EXPECT_TRUE(p[9].Value.CollectionItems[1].Properties.isEmpty());
    EXPECT_EQ(p[10].Value.Binary, QByteArray::fromHex("0A0B0CFF"));
    EXPECT_EQ(p[11].Value.Text, QStringLiteral("first part second part"));
    ASSERT_EQ(root.Children.size(), 1);
    ASSERT_EQ(root.Children[0].Children.size(), 1);
    EXPECT_EQ(root.Children[0].Children[0].Properties[0].Value.Text,
              QStringLiteral("Button1Click"));
    EXPECT_EQ(root.Children[0].Children[0].Line, 27);
}

TEST(FormParser, PrintedTreeParsesBackEqual) {
    const TFormObject root = ParseForm(QString::fromUtf8(SampleForm), QStringLiteral("t.form"));
    const QString printed = PrintForm(root);
    const TFormObject again = ParseForm(printed, QStringLiteral("printed"));
    EXPECT_EQ(again, root);
    EXPECT_EQ(PrintForm(again), printed);
}

TEST(FormParser, StringsWithControlCharactersQuotesAndUnicodeRoundTrip) {
    TFormObject root;
    root.Name = QStringLiteral("A");
    root.ClassName = QStringLiteral("TA");
    const QString tricky = QStringLiteral("it's\ta \"test\"\r\nÄñ€ 𝄞 end\x01");
    root.Properties.append({QStringLiteral("Text"), TFormValue::OfString(tricky), 0});
    root.Properties.append({QStringLiteral("Empty"), TFormValue::OfString(QString()), 0});
    root.Properties.append({QStringLiteral("F"), TFormValue::OfFloat(0.1), 0});
    root.Properties.append({QStringLiteral("G"), TFormValue::OfFloat(3), 0});
    const TFormObject again = ParseForm(PrintForm(root), QStringLiteral("x"));
    EXPECT_EQ(again.Properties[0].Value.Text, tricky);
    EXPECT_EQ(again.Properties[1].Value.Kind, TFormValue::vkString);
    EXPECT_EQ(again.Properties[2].Value.Float, 0.1);
    EXPECT_EQ(again.Properties[3].Value.Kind, TFormValue::vkFloat);
}

// The message names the file and the line where the fault is.
void ExpectError(const char* text, int line, const char* what) {
    try {
        ParseForm(QString::fromUtf8(text), QStringLiteral("bad.form"));
        ADD_FAILURE() << "no error for: " << text;
    } catch (const EReadError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("bad.form(%1): ").arg(line))) << e.what();
        EXPECT_TRUE(e.Message().contains(QString::fromLatin1(what))) << e.what();
    }
}

TEST(FormParser, MalformedTextNamesFileLineAndFault) {
    ExpectError("object A: TA\n  X = 1\n", 3, "'end' expected");
    ExpectError("object A: TA\n  X = 'abc\nend\n", 2, "unterminated string");
    ExpectError("object A: TA\n  X 1\nend\n", 2, "'=' expected");
    ExpectError("object A: TA\nend\nend\n", 3, "text after the final 'end'");
    ExpectError("objekt A: TA\nend\n", 1, "'object' expected");
    ExpectError("object A: TA\n  X = [a, ]\nend\n", 2, "identifier expected");
    ExpectError("object A: TA\n  X = {0A0}\nend\n", 2, "odd number");
    ExpectError("object A: TA\n  X = <\n    thing\n  end>\nend\n", 3, "'item' expected");
    ExpectError("object A: TA\n  X = 12abc\nend\n", 2, "invalid number");
    ExpectError("object A: TA\n  X = #\nend\n", 2, "invalid character code");
    ExpectError("object A: TA\n  X = 1.2.3\nend\n", 2, "invalid number");
    ExpectError("", 1, "unexpected end of file");
}

TEST(FormParser, DeepNestingIsRefusedNotOverflowed) {
    QString text;
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("object A%1: TA\n").arg(i);
    EXPECT_THROW(ParseForm(text, QStringLiteral("deep")), EReadError);
    QString lists = QStringLiteral("object A: TA\n X = ") + QString(5000, QLatin1Char('('));
    EXPECT_THROW(ParseForm(lists, QStringLiteral("deep")), EReadError);
}

} // namespace
