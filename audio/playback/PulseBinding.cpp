// SPDX-License-Identifier: GPL-3.0-or-later
#include "PulseBinding.h"

#include "PulseBindingTable.h"

#include "audio/core/LibraryLock.h"

#include <dlfcn.h>
#include <mutex>

namespace au {
namespace {

std::string GLibraryName = "libpulse.so.0";
TPulseBinding GBinding;
bool GBound = false;

bool Bind(void* Handle, TPulseBinding& Table)
{
    bool Complete = true;
#define AU_PULSE_BIND(Name)                                                                  \
    Table.Name = reinterpret_cast<decltype(&::Name)>(::dlsym(Handle, #Name));               \
    Complete = Complete && Table.Name != nullptr;
    AU_PULSE_ENTRY_POINTS(AU_PULSE_BIND)
#undef AU_PULSE_BIND
    return Complete;
}

} // namespace

const TPulseBinding* PulseLibrary()
{
    std::lock_guard<std::recursive_mutex> Guard(LibraryLock());
    if (GBound)
        return &GBinding;
    void* Handle = ::dlopen(GLibraryName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (Handle == nullptr)
        return nullptr;
    TPulseBinding Table;
    if (!Bind(Handle, Table)) {
        ::dlclose(Handle);
        return nullptr;
    }
    GBinding = Table;
    GBound = true;
    return &GBinding;
}

void SetPulseLibraryName(const std::string& FileName)
{
    std::lock_guard<std::recursive_mutex> Guard(LibraryLock());
    if (FileName == GLibraryName)
        return;
    GLibraryName = FileName;
    // The old library stays loaded: code bound to it may still be on a stack.
    GBound = false;
}

std::string PulseLibraryName()
{
    std::lock_guard<std::recursive_mutex> Guard(LibraryLock());
    return GLibraryName;
}

std::string PulseLibraryVersion()
{
    std::lock_guard<std::recursive_mutex> Guard(LibraryLock());
    if (PulseLibrary() == nullptr)
        return {};
    void* Handle = ::dlopen(GLibraryName.c_str(), RTLD_LAZY | RTLD_LOCAL | RTLD_NOLOAD);
    if (Handle == nullptr)
        return {};
    using TVersion = const char* (*)();
    const auto Version = reinterpret_cast<TVersion>(::dlsym(Handle, "pa_get_library_version"));
    std::string Result = Version != nullptr && Version() != nullptr ? Version() : "";
    ::dlclose(Handle);
    return Result;
}

} // namespace au
