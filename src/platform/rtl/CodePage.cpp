#include "CodePage.h"

#include <QLocale>
#include <cerrno>
#include <iconv.h>

namespace {

constexpr int DefaultCodePage = 1252;
const iconv_t NoConverter = reinterpret_cast<iconv_t>(-1);

iconv_t OpenConverter(const QByteArray& To, const QByteArray& From) {
    return iconv_open(To.constData(), From.constData());
}

QByteArray CodePageName(int CodePage) {
    return "CP" + QByteArray::number(CodePage);
}

// The length of the UTF-8 sequence that starts with Lead; 1 for a stray byte.
size_t Utf8Length(unsigned char Lead) {
    if (Lead >= 0xF0 && Lead < 0xF8)
        return 4;
    if (Lead >= 0xE0)
        return Lead < 0xF0 ? 3 : 1;
    return Lead >= 0xC0 ? 2 : 1;
}

// Converts Input; on a character it cannot convert, writes Invalid (or fails when Invalid
// is empty) and goes on after it: one byte, or a UTF-8 sequence when Utf8Input.
std::optional<QByteArray> Convert(iconv_t Converter, const QByteArray& Input,
                                  const QByteArray& Invalid, bool Utf8Input = false) {
    iconv(Converter, nullptr, nullptr, nullptr, nullptr);
    QByteArray output;
    char buffer[256];
    char* in = const_cast<char*>(Input.constData());
    size_t inLeft = size_t(Input.size());
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(Converter, &in, &inLeft, &out, &outLeft);
        output.append(buffer, out - buffer);
        if (result != size_t(-1) || errno == E2BIG)
            continue;
        if (Invalid.isEmpty())
            return std::nullopt;
        output.append(Invalid);
        const size_t skip =
            Utf8Input ? qMin(Utf8Length(static_cast<unsigned char>(*in)), inLeft) : 1;
        in += skip;
        inLeft -= skip;
    }
    // A converter that waits for what may combine with the last character gives it now.
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    iconv(Converter, nullptr, nullptr, &out, &outLeft);
    output.append(buffer, out - buffer);
    return output;
}

} // namespace

TCodePage::TCodePage(int CodePage) : FCodePage(CodePage) {
    iconv_t decoder = OpenConverter("UTF-8", CodePageName(CodePage));
    if (decoder == NoConverter) {
        FCodePage = DefaultCodePage;
        decoder = OpenConverter("UTF-8", CodePageName(DefaultCodePage));
    }
    FDecoder = decoder;
    FEncoder = OpenConverter(CodePageName(FCodePage), "UTF-8");
}

TCodePage::~TCodePage() {
    for (void* converter : {FDecoder, FEncoder})
        if (converter != NoConverter)
            iconv_close(static_cast<iconv_t>(converter));
}

QString TCodePage::Decode(const QByteArray& Bytes) const {
    if (FDecoder == NoConverter)
        return QString::fromLatin1(Bytes);
    return QString::fromUtf8(*Convert(static_cast<iconv_t>(FDecoder), Bytes, "\xEF\xBF\xBD"));
}

std::optional<QByteArray> TCodePage::Encode(const QString& Text) const {
    if (FEncoder == NoConverter)
        return std::nullopt;
    return Convert(static_cast<iconv_t>(FEncoder), Text.toUtf8(), QByteArray());
}

QByteArray TCodePage::EncodeLossy(const QString& Text, char Replacement) const {
    if (FEncoder == NoConverter)
        return QByteArray(Text.size(), Replacement);
    return *Convert(static_cast<iconv_t>(FEncoder), Text.toUtf8(), QByteArray(1, Replacement),
                    true);
}

int OemCodePage() {
    return QLocale().script() == QLocale::CyrillicScript ? 866 : 437;
}

int CodePageOfCharset(int Charset) {
    switch (Charset) {
    case 0:
    case 1:
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return 0;
    }
}
