// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the ID3v1 and ID3v2 readers (and the ID3v2 writer on
// what they read). Inputs are whole files; tags bigger than the cap are not
// interesting and would only slow the search down.
#include "TagReaders.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    constexpr size_t MaxInput = 1 << 20;
    if (Size > MaxInput)
        return -1;
    static autest::TTagReaders Readers;
    const std::string Fault = Readers.Check(Data, Size);
    if (!Fault.empty()) {
        std::fprintf(stderr, "%s\n", Fault.c_str());
        std::abort();
    }
    return 0;
}
