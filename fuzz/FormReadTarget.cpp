// Form files read into the platform's component classes. A read either fails with the
// reader's exception, or gives a root that is written out and must read back from what
// was written.

#include "FuzzApplication.h"
#include "FuzzInput.h"
#include "WrittenForm.h"

#include <memory>
#include <rtl/Component.h>
#include <rtl/Exceptions.h>
#include <rtl/Streaming.h>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    StartFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    std::unique_ptr<TComponent> root;
    try {
        root.reset(ReadComponentFromText(FuzzText(Data, Size), QStringLiteral("fuzz.form")));
    } catch (const Exception&) {
        return 0;
    }
    ReadBackWritten(root);
    return 0;
}
