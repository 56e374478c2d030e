// SPDX-License-Identifier: GPL-3.0-or-later
#include "LibraryBinding.h"

#include "audio/core/LibraryLock.h"

#include <dlfcn.h>
#include <mutex>

namespace au {

TLibraryBinding::TLibraryBinding(std::string DisplayName, std::vector<std::string> FileNames)
    : FDisplayName(std::move(DisplayName)), FFileNames(std::move(FileNames))
{
}

void TLibraryBinding::Load()
{
    // Every file's open asks, from several threads at once: once loaded, the
    // answer needs no lock (the entry points were bound before FLoaded was set).
    if (FLoaded.load(std::memory_order_acquire))
        return;
    std::lock_guard<std::recursive_mutex> Guard(LibraryLock());
    if (FLoaded)
        return;
    for (const std::string& Name : FFileNames) {
        // Codec libraries are never unloaded, so the handle is not kept.
        if (void* Handle = ::dlopen(Name.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            Resolve(Handle);
            FLoaded.store(true, std::memory_order_release);
            return;
        }
    }
}

std::string TLibraryBinding::LoadFailureMessage() const
{
    return FDisplayName + " library could not be loaded.";
}

void TLibraryBinding::Require()
{
    Load();
    if (!FLoaded)
        throw EAuException(LoadFailureMessage());
}

void* TLibraryBinding::FindLoadedSymbol(const char* Name)
{
    Load();
    std::lock_guard<std::recursive_mutex> Guard(LibraryLock());
    if (!FLoaded)
        return nullptr;
    // The handle Load() dropped: asking for a library already loaded gives it
    // again, and closing it only counts it down.
    for (const std::string& File : FFileNames)
        if (void* Handle = ::dlopen(File.c_str(), RTLD_LAZY | RTLD_LOCAL | RTLD_NOLOAD)) {
            void* Address = ::dlsym(Handle, Name);
            ::dlclose(Handle);
            return Address;
        }
    return nullptr;
}

void TLibraryBinding::SetFileNames(std::vector<std::string> FileNames)
{
    std::lock_guard<std::recursive_mutex> Guard(LibraryLock());
    FFileNames = std::move(FileNames);
}

std::vector<std::string> TLibraryBinding::FileNames() const
{
    std::lock_guard<std::recursive_mutex> Guard(LibraryLock());
    return FFileNames;
}

void TLibraryBinding::Forget()
{
    std::lock_guard<std::recursive_mutex> Guard(LibraryLock());
    FLoaded = false;
}

void TLibraryBinding::Resolve(void*) {}

void* TLibraryBinding::FindSymbol(void* Handle, const char* Name)
{
    return ::dlsym(Handle, Name);
}

} // namespace au
