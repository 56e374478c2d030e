// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AuStreamedOutput.h"
#include "AuTypes.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace au {

// A sink that writes a named file.
class TAuFileOut : public TAuStreamedOutput {
public:
    // UI thread; nothing is closed.
    void SetFileName(const std::string& Value);
    std::string FileName() const;

    // This base only rewrites files: it stores foRewrite whatever it is given.
    virtual void SetFileMode(TFileOutputMode Mode);
    TFileOutputMode FileMode() const { return FFileMode; }

    // Sharing bits (as in TAuFileStream's bits 4-7) used when an existing file is opened.
    void SetShareMode(uint16_t Value) { FShareMode = Value; }
    uint16_t ShareMode() const { return FShareMode; }

protected:
    std::atomic<TFileOutputMode> FFileMode{foRewrite};
    std::atomic<uint16_t> FShareMode{0};

private:
    mutable std::mutex FNameLock;
    std::string FFileName;
};

} // namespace au
