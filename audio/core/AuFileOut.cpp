// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuFileOut.h"

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

std::string TAuFileOut::PublishedName() const
{
    std::lock_guard<std::mutex> Guard(FNameLock);
    return FPublishedName;
}

std::string TAuFileOut::CreationName(const std::string& Name)
{
    FPartFile.reset();
    {
        std::lock_guard<std::mutex> Guard(FNameLock);
        FPublishedName.clear();
    }
    if (!FWriteViaPartFile)
        return Name;
    FPartFile = std::make_unique<TPartFile>(Name);
    return FPartFile->TemporaryName();
}

bool TAuFileOut::SettleFile(bool Succeeded)
{
    const std::unique_ptr<TPartFile> Part = std::move(FPartFile);
    std::string Published;
    if (Part == nullptr) // with temporary names, a run without one created nothing
        Published = FWriteViaPartFile && FFileMode != foAppend ? std::string() : FileName();
    else if (Succeeded)
        Published = Part->Publish(FPublishMode);
    std::lock_guard<std::mutex> Guard(FNameLock);
    FPublishedName = Published;
    return !Published.empty();
}

} // namespace au
