// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuFileOut.h"

#include "PartFile.h"

namespace au {

TAuFileOut::TAuFileOut() = default;
TAuFileOut::~TAuFileOut() = default;

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

std::string TAuFileOut::CreationName(const std::string& Name)
{
    FPartFile.reset();
    if (!FWriteViaPartFile)
        return Name;
    FPartFile = std::make_unique<TPartFile>(Name);
    return FPartFile->TemporaryName();
}

bool TAuFileOut::SettleFile(bool Succeeded)
{
    const std::unique_ptr<TPartFile> Part = std::move(FPartFile);
    if (Part == nullptr)
        return true;
    if (Succeeded)
        Part->Publish();
    return Succeeded;
}

} // namespace au
