// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace au {

// A file that is written under a hidden temporary name in the folder of its
// final name and renamed to that name only once it is complete. A program
// watching the folder then never meets a half-written file under the final
// name, and a write that fails leaves an older file of that name as it was.
// The rename stays within one folder, so it replaces the old file at once.
// Used by one thread at a time.
class TPartFile {
public:
    // Chooses a temporary name beside FinalName: "." + the file name + a tag
    // unique to this process and object + ".part". Nothing is created yet.
    explicit TPartFile(const std::string& FinalName);
    // Removes the temporary file unless it was published.
    ~TPartFile();
    TPartFile(const TPartFile&) = delete;
    TPartFile& operator=(const TPartFile&) = delete;

    const std::string& TemporaryName() const { return FTemporaryName; }
    // Renames the temporary file to the final name, replacing a file of that
    // name. Throws EAuException with the system's text (the temporary file is
    // removed then).
    void Publish();

private:
    std::string FFinalName;
    std::string FTemporaryName;
    bool FPublished = false;
};

} // namespace au
