#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Text in a Windows code page (1252, 1251, 932 ...), converted through iconv. A code page
// the system does not know is taken as 1252.
class TCodePage {
public:
    explicit TCodePage(int CodePage);
    ~TCodePage();
    TCodePage(const TCodePage&) = delete;
    TCodePage& operator=(const TCodePage&) = delete;

    int CodePage() const { return FCodePage; }
    // Bytes that are no character of the code page become U+FFFD.
    QString Decode(const QByteArray& Bytes) const;
    // The bytes of Text, or nothing when the code page cannot write all of it.
    std::optional<QByteArray> Encode(const QString& Text) const;
    // The bytes of Text, with Replacement for each character the code page lacks.
    QByteArray EncodeLossy(const QString& Text, char Replacement = '?') const;

private:
    int FCodePage;
    void* FDecoder;
    void* FEncoder;
};

// The OEM (console) code page of the user's language (QLocale()): 866 for one written in
// Cyrillic, else 437.
int OemCodePage();

// The code page of a font character set number (0 ANSI, 204 Russian, 238 Eastern
// European ...); 0 when the set has none (symbol fonts) or is unknown.
int CodePageOfCharset(int Charset);
