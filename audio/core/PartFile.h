// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace au {

// What publishing a finished file does when its final name is taken.
enum TPublishMode { pmReplace, pmKeepExisting, pmNumbered };

// FinalName with " (Number)" before its extension (the text from the last dot
// of its file name): "a/song.wav" and 2 give "a/song (2).wav". Number 1 gives
// FinalName itself.
std::string NumberedName(const std::string& FinalName, int Number);

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
    // Renames the temporary file to the final name and returns the name it took.
    // pmReplace replaces a file of that name; pmKeepExisting raises instead
    // when one exists; pmNumbered takes the first free name of FinalName,
    // "NAME (2).ext", "NAME (3).ext", ... The test and the rename are one step
    // where the file system offers it, so another writer cannot slip in
    // between. Throws EAuException with the system's text (the temporary file
    // is removed then).
    std::string Publish(TPublishMode Mode = pmReplace);

    // The message of a name that pmKeepExisting finds taken, after "NAME: ".
    static constexpr const char* MsgNameTaken = "a file of this name appeared meanwhile; it is kept as it was";
    // pmNumbered gives up after this many taken names.
    static constexpr int MaxNumber = 9999;

private:
    int RenameReplacing(const std::string& Name) const;
    int RenameKeeping(const std::string& Name) const;

    std::string FFinalName;
    std::string FTemporaryName;
    bool FPublished = false;
};

} // namespace au
