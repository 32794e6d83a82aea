#include "harness/Harness.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A block read into weights the score cannot use is as much a finding as a crash.
    if (!harness::WeightsBlock(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))))
        __builtin_trap();
    return 0;
}
