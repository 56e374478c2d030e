// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/chain/FileConversion.h"

#include <QString>

namespace app {

class TcdSettings;

// What the hot directory does with a source file once it converted, in
// TcdSettings::HotAfter's order.
enum TAfterChoice { acLeave = 0, acDelete = 1, acMove = 2 };
// The choice a setting holds; a value out of range leaves the sources.
TAfterChoice AfterChoice(int Setting);

// The hot directory's choice for converted sources and the one place that
// acts on it: leave them, delete them, or move them to a folder where each
// keeps its place below the watched folder. A source is only ever touched
// after its WAV file has its final name, and never where that would reach
// into the output folder.
class TAfterConversion {
public:
    // Language strings of the start checks.
    static constexpr int StrNoMoveFolder = 75, StrMoveTouchesOutput = 76;
    static constexpr const char* MsgNoMoveFolder = "Please choose a folder that exists to move the converted files to.";
    static constexpr const char* MsgMoveTouchesOutput =
        "The folder the converted files move to must not be the input folder, nor the output folder or lie inside "
        "it.";

    // The English text of a refusal of Check.
    static const char* English(int Refusal)
    {
        return Refusal == StrNoMoveFolder ? MsgNoMoveFolder : MsgMoveTouchesOutput;
    }

    // Choice out of range leaves the sources. Input and Output are the
    // watched and the output folder; SubDirs whether subfolders are watched.
    TAfterConversion(int Choice, const QString& MoveFolder, const QString& Input, const QString& Output,
                     bool SubDirs);
    static TAfterConversion FromSettings(const TcdSettings& Settings);

    TAfterChoice Choice() const { return FChoice; }
    // 0 when the choice can be carried out, else the language string to show:
    // a move needs an existing folder that is not the input folder (nor, while
    // subfolders are watched, below it, where moved files would come back)
    // and is neither the output folder nor inside it.
    int Check() const;
    // Deals with Source after its conversion ended with Result. Returns the
    // day log's line for it (a failure adds " [Failed]" and the reason on a
    // line of its own), or an empty text when the source stays untouched: the
    // choice is to leave it, or it did not convert. A move that fails leaves
    // the source where it was.
    QString Apply(const QString& Source, TConversionResult Result) const;

private:
    TAfterChoice FChoice;
    QString FMoveFolder;
    QString FInput;
    QString FOutput;
    bool FSubDirs;
};

} // namespace app
