// libFuzzer target of the model file reader: every input is read as "head.obj" by loadModel and
// walked as the model list is compiled; a broken check ends the run as a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "reader_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string failure = checkModelInput(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "fuzz_model: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
