// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuException.h"

#include <atomic>
#include <string>
#include <vector>

namespace au {

// One entry point of a run-time loaded library, typed from the library's own
// prototype (TEntryPoint<decltype(ov_read)>) so the compiler checks every call.
// Calling an entry point the library lacks throws instead of jumping to null.
template <typename F> class TEntryPoint;

template <typename R, typename... A> class TEntryPoint<R(A...)> {
public:
    explicit TEntryPoint(const char* Name) : FName(Name) {}

    R operator()(A... Args) const
    {
        if (FFunction == nullptr)
            throw EAuException(std::string("The codec library lacks the entry point ") + FName + ".");
        return FFunction(Args...);
    }

    const char* Name() const { return FName; }
    bool Present() const { return FFunction != nullptr; }
    void Bind(void* Address) { FFunction = reinterpret_cast<R (*)(A...)>(Address); }

private:
    const char* FName;
    R (*FFunction)(A...) = nullptr;
};

// A codec library opened at run time: the program starts and runs without it,
// and only the inputs that need it fail. Loading happens once, under the
// process-wide library lock; a failed load is tried again at the next call, and a
// loaded library stays loaded.
class TLibraryBinding {
public:
    // DisplayName is the name the failure message uses; FileNames are tried in order.
    TLibraryBinding(std::string DisplayName, std::vector<std::string> FileNames);
    virtual ~TLibraryBinding() = default;
    TLibraryBinding(const TLibraryBinding&) = delete;
    TLibraryBinding& operator=(const TLibraryBinding&) = delete;

    // Any thread. Loads the library if it is not loaded yet.
    void Load();
    bool Loaded() const { return FLoaded; }
    // "<DisplayName> library could not be loaded."
    std::string LoadFailureMessage() const;
    // Load(), then throw LoadFailureMessage() when the library is not there.
    void Require();
    // Load(), then the address of Name in the library or in a library it
    // depends on; nullptr when the library is not there or lacks Name. For what
    // the binding does not use itself, such as a version string. Any thread.
    void* FindLoadedSymbol(const char* Name);

    // Where the library is looked for. Tests name a missing path here, and
    // Forget() makes the binding behave as if it had never loaded, so that
    // both the failure and the later retry can be seen in one process.
    void SetFileNames(std::vector<std::string> FileNames);
    std::vector<std::string> FileNames() const;
    void Forget();

protected:
    // Resolves every entry point from the opened library (dlsym on Handle).
    virtual void Resolve(void* Handle);
    // The helper for Resolve: binds one entry point by its name.
    template <typename F> static void BindEntry(void* Handle, TEntryPoint<F>& Entry)
    {
        Entry.Bind(FindSymbol(Handle, Entry.Name()));
    }

private:
    static void* FindSymbol(void* Handle, const char* Name);

    std::string FDisplayName;
    std::vector<std::string> FFileNames;
    std::atomic<bool> FLoaded{false};
};

} // namespace au
