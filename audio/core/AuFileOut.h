// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AuStreamedOutput.h"
#include "AuTypes.h"
#include "PartFile.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace au {

// A sink that writes a named file.
class TAuFileOut : public TAuStreamedOutput {
public:
    TAuFileOut();
    ~TAuFileOut() override;

    // UI thread; nothing is closed.
    void SetFileName(const std::string& Value);
    std::string FileName() const;

    // This base only rewrites files: it stores foRewrite whatever it is given.
    virtual void SetFileMode(TFileOutputMode Mode);
    TFileOutputMode FileMode() const { return FFileMode; }

    // Sharing bits (as in TAuFileStream's bits 4-7) used when an existing file is opened.
    void SetShareMode(uint16_t Value) { FShareMode = Value; }
    uint16_t ShareMode() const { return FShareMode; }

    // UI thread, while idle. When true, a file that a run creates (rather than
    // appends to) is written under a hidden temporary name in its folder and
    // renamed to FileName only when the run succeeded: a run that fails or is
    // stopped leaves no file and an older file of that name as it was. Off by
    // default: the file carries its name from the start.
    void SetWriteViaPartFile(bool Value) { FWriteViaPartFile = Value; }
    bool WriteViaPartFile() const { return FWriteViaPartFile; }
    // UI thread, while idle: what publishing a temporary file does when its
    // final name is taken (pmReplace by default).
    void SetPublishMode(TPublishMode Value) { FPublishMode = Value; }
    // Any thread, after a run: the name its file took (FileName, or another
    // one with pmNumbered); empty when the run left no file.
    std::string PublishedName() const;

protected:
    // Worker thread, when the run creates its file: the name to create it under.
    std::string CreationName(const std::string& Name);
    // Worker thread, once the run's file is closed: publishes a temporary file
    // when Succeeded and removes it otherwise. Returns whether the run's file
    // stands under its final name (always, without a temporary file). Throws
    // EAuException with the system's text when the rename fails.
    bool SettleFile(bool Succeeded);

    std::atomic<TFileOutputMode> FFileMode{foRewrite};
    std::atomic<uint16_t> FShareMode{0};

private:
    mutable std::mutex FNameLock;
    std::string FFileName;
    std::atomic<bool> FWriteViaPartFile{false};
    std::atomic<TPublishMode> FPublishMode{pmReplace};
    std::string FPublishedName; // under FNameLock
    std::unique_ptr<TPartFile> FPartFile; // worker thread only
};

} // namespace au
