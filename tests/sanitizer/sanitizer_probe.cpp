// A program with one deliberate fault per mode, built only in the sanitizer build: CTest checks
// that each fault is reported, so that a sanitizer build that lost its sanitizers, or a leak
// suppression that reaches beyond the OpenGL driver's libraries, fails the suite instead of
// passing it silently.
//
// Modes: heap-overflow (a read past a heap block), leak (a block of the program's own that is
// never freed), signed-overflow (an int that overflows).
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Kept where the optimiser cannot see through it.
volatile int sink = 0;

// Left to AddressSanitizer alone: UndefinedBehaviorSanitizer's object-size check would see the
// read first.
__attribute__((no_sanitize("undefined"))) int heapOverflow() {
    auto *block = static_cast<unsigned char *>(std::malloc(8));
    std::memset(block, 1, 8);
    volatile int index = 8;
    sink = block[index];
    std::free(block);
    return 0;
}

// The one pointer to the leaked block, until it is overwritten.
char *volatile holder = nullptr;

int leak() {
    holder = static_cast<char *>(std::malloc(64));
    // Reachable from nothing from here on: leaked.
    holder = nullptr;
    return 0;
}

int signedOverflow() {
    volatile int large = INT_MAX;
    sink = large + 1;
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    const char *mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "heap-overflow") == 0) {
        return heapOverflow();
    }
    if (std::strcmp(mode, "leak") == 0) {
        return leak();
    }
    if (std::strcmp(mode, "signed-overflow") == 0) {
        return signedOverflow();
    }
    std::fprintf(stderr, "usage: sanitizer_probe heap-overflow|leak|signed-overflow\n");
    return 2;
}
