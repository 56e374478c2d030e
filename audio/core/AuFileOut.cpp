// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuFileOut.h"

namespace au {

void TAuFileOut::SetFileName(const std::string& Value)
{
    std::lock_guard<std::mutex> Guard(FNameLock);
    FFileName = Value;
}

std::string TAuFileOut::FileName() const
{
    std::lock_guard<std::mutex> Guard(FNameLock);
    return FFileName;
}

void TAuFileOut::SetFileMode(TFileOutputMode)
{
    FFileMode = foRewrite;
}

} // namespace au
