// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuStream.h"

namespace au {

int64_t TAuStream::ReadAll(void* Buffer, int64_t Count)
{
    auto* Out = static_cast<uint8_t*>(Buffer);
    int64_t Total = 0;
    while (Total < Count) {
        const int64_t Got = Read(Out + Total, Count - Total);
        if (Got <= 0)
            break;
        Total += Got;
    }
    return Total;
}

} // namespace au
