// libFuzzer target of the wall image reader: every input is read as "wall7.bmp" by bitmapRead,
// the part of bitmapLoad before the upload; a broken check ends the run as a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "reader_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string failure = checkBitmapInput(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "fuzz_bmp: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
