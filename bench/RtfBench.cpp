// Reading rich text with many bullet paragraphs, beside the same paragraphs without bullets.
#include "MedianTimer.h"

#include <QApplication>
#include <QTextDocument>
#include <cstdio>
#include <ui/RtfReader.h>

namespace {

QByteArray Paragraphs(int Count, bool Bullets) {
    QByteArray rtf = "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}";
    for (int i = 0; i < Count; ++i) {
        rtf += "\\pard";
        if (Bullets)
            rtf += "{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'b7}}";
        rtf += " paragraph " + QByteArray::number(i) + "\\par\n";
    }
    return rtf + "}";
}

double ReadMicroseconds(const QByteArray& Rtf) {
    return MedianMicroseconds(
        3, [] {},
        [&] {
            QTextDocument document;
            ReadRtf(&document, Rtf);
        });
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::printf("%-12s %14s %14s %7s\n", "paragraphs", "bullets ms", "plain ms", "ratio");
    for (const int count : {10000, 40000}) {
        const double bullets = ReadMicroseconds(Paragraphs(count, true));
        const double plain = ReadMicroseconds(Paragraphs(count, false));
        std::printf("%-12d %14.1f %14.1f %6.2fx\n", count, bullets / 1000, plain / 1000,
                    bullets / plain);
    }
}
