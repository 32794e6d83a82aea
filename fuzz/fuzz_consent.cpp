#include "harness/Harness.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A record that reads back otherwise, or a consent text shown with
    // something that runs, is as much a finding as a crash.
    if (!harness::Consent(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))))
        __builtin_trap();
    return 0;
}
