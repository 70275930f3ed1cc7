// Rich text: the input read as bytes into a document, written and read back to the same
// text; read as a string, the plain text read without a document is the document's.

#include "FuzzApplication.h"
#include "FuzzInput.h"

#include <QTextDocument>
#include <cstdio>
#include <cstdlib>
#include <ui/RtfReader.h>
#include <ui/RtfWriter.h>

namespace {

void CheckSame(const QString& Expected, const QString& Actual, const char* What) {
    if (Expected == Actual)
        return;
    std::fprintf(stderr, "%s differs:\n[%s]\n[%s]\n", What, qPrintable(Expected),
                 qPrintable(Actual));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const QByteArray bytes(reinterpret_cast<const char*>(Data), qsizetype(Size));
    QTextDocument read;
    ReadRtf(&read, bytes);
    QTextDocument again;
    ReadRtf(&again, WriteRtf(&read));
    CheckSame(read.toPlainText(), again.toPlainText(), "the text written and read back");

    const QString text = FuzzText(Data, Size);
    QTextDocument fromText;
    ReadRtf(&fromText, text);
    CheckSame(fromText.toPlainText(), RtfPlainText(text), "the plain text");
    return 0;
}
