#include "WrittenForm.h"

#include <cstdio>
#include <cstdlib>
#include <rtl/Component.h>
#include <rtl/Exceptions.h>
#include <rtl/Streaming.h>

void ReadBackWritten(std::unique_ptr<TComponent>& Root) {
    QString written;
    try {
        written = WriteComponentToText(Root.get());
        Root.reset();
        Root.reset(ReadComponentFromText(written, QStringLiteral("written.form")));
    } catch (const Exception& E) {
        std::fprintf(stderr, "what was written does not read back: %s\n%s\n",
                     qPrintable(E.Message()), qPrintable(written));
        std::abort();
    }
}
