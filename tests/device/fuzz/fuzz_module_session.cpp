// libFuzzer target: the module session against arbitrary behaviour of the module's side of the
// line (see session_script.h). Build with clang and -DFUZZ=ON, then run
//   build-fuzz/bin/fuzz_module_session tests/device/fuzz/corpus
// Besides crashes and sanitizer findings, a broken promise of the run aborts with its reason.

#include "session_script.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString broken = run_session_script(QByteArrayView(reinterpret_cast<const char *>(data),
                                                             static_cast<qsizetype>(size)))
                               .broken;
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "broken promise: %s\n", qPrintable(broken));
        std::abort();
    }
    return 0;
}
