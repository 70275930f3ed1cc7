#include "FormPrinter.h"

#include <QLocale>

namespace {

class TFormPrinter {
public:
    QString Print(const TFormObject& root) {
        PrintObject(root, 0);
        return FOut;
    }

private:
    void Indent(int level) { FOut += QString(level * 2, QLatin1Char(' ')); }

    void PrintObject(const TFormObject& object, int level) {
        Indent(level);
        FOut += object.Inherited ? QStringLiteral("inherited ") : QStringLiteral("object ");
        if (!object.Name.isEmpty())
            FOut += object.Name + QStringLiteral(": ");
        FOut += object.ClassName + QLatin1Char('\n');
        for (const TFormProperty& p : object.Properties)
            PrintProperty(p, level + 1);
        for (const TFormObject& child : object.Children)
            PrintObject(child, level + 1);
        Indent(level);
        FOut += QStringLiteral("end\n");
    }

    void PrintProperty(const TFormProperty& property, int level) {
        Indent(level);
        FOut += property.Name + QStringLiteral(" = ");
        PrintValue(property.Value, level);
        FOut += QLatin1Char('\n');
    }

    void PrintValue(const TFormValue& value, int level) {
        switch (value.Kind) {
        case TFormValue::vkInteger:
            FOut += QString::number(value.Integer);
            break;
        case TFormValue::vkFloat:
            FOut += FloatText(value.Float);
            break;
        case TFormValue::vkString:
            FOut += QuotedString(value.Text);
            break;
        case TFormValue::vkIdent:
            FOut += value.Text;
            break;
        case TFormValue::vkSet:
            FOut += QLatin1Char('[') + value.Members.join(QStringLiteral(", ")) + QLatin1Char(']');
            break;
        case TFormValue::vkList:
            FOut += QLatin1Char('(');
            for (const TFormValue& item : value.Items) {
                FOut += QLatin1Char('\n');
                Indent(level + 1);
                PrintValue(item, level + 1);
            }
            FOut += QLatin1Char(')');
            break;
        case TFormValue::vkCollection:
            FOut += QLatin1Char('<');
            for (const TFormValue::TItem& item : value.CollectionItems) {
                FOut += QLatin1Char('\n');
                Indent(level + 1);
                FOut += QStringLiteral("item\n");
                for (const TFormProperty& p : item.Properties)
                    PrintProperty(p, level + 2);
                Indent(level + 1);
                FOut += QStringLiteral("end");
            }
            FOut += QLatin1Char('>');
            break;
        case TFormValue::vkBinary:
            PrintBinary(value.Binary, level);
            break;
        }
    }

    void PrintBinary(const QByteArray& data, int level) {
        constexpr int BytesPerLine = 32;
        FOut += QLatin1Char('{');
        for (qsizetype i = 0; i < data.size(); i += BytesPerLine) {
            FOut += QLatin1Char('\n');
            Indent(level + 1);
            FOut += QString::fromLatin1(data.mid(i, BytesPerLine).toHex().toUpper());
        }
        FOut += QLatin1Char('}');
    }

    static QString FloatText(double v) {
        QString text = QString::number(v, 'g', 17);
        if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) &&
            !text.contains(QLatin1Char('n')) && !text.contains(QLatin1Char('i')))
            text += QStringLiteral(".0");
        return text;
    }

    // Printable characters inside quotes; control characters as #code.
    static QString QuotedString(const QString& s) {
        if (s.isEmpty())
            return QStringLiteral("''");
        QString out;
        bool quoted = false;
        for (QChar c : s) {
            if (c.unicode() < 32 || c.unicode() == 127) {
                if (quoted)
                    out += QLatin1Char('\'');
                quoted = false;
                out += QLatin1Char('#') + QString::number(c.unicode());
                continue;
            }
            if (!quoted)
                out += QLatin1Char('\'');
            quoted = true;
            out += c;
            if (c == QLatin1Char('\''))
                out += c;
        }
        if (quoted)
            out += QLatin1Char('\'');
        return out;
    }

    QString FOut;
};

} // namespace

QString PrintForm(const TFormObject& root) {
    return TFormPrinter().Print(root);
}
