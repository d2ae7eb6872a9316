// libFuzzer target for the puzzle-book readers: each input is a selector byte
// (the puzzle number to ask for) followed by the bytes of a book file. Every
// broken check stops the run with the list of what broke.
#include "book_harness.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bookfuzz::Workspace workspace;
    const std::string failures = workspace.run(data, size);
    if (!failures.empty()) {
        std::fprintf(stderr, "book_fuzzer: the readers broke a check\n%s", failures.c_str());
        std::fflush(stderr);
        __builtin_trap();
    }
    return 0;
}
