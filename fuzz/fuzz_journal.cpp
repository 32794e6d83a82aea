#include "harness/Harness.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A record that reads back otherwise than it was read is as much a
    // finding as a crash.
    if (!harness::Journal(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))))
        __builtin_trap();
    return 0;
}
