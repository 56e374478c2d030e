// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BaseSettings.h"

namespace app {

// The program's settings: the hot directory folders, the batch output folder and
// the output format. The constructor sets the initial values and loads what the
// settings file holds; with AutoLoad (the default) the object saves itself when
// destroyed. User-interface thread only.
class TcdSettings : public TBaseSettings {
    Q_OBJECT
    Q_PROPERTY(QString LogDir READ LogDir WRITE SetLogDir)
    Q_PROPERTY(QString Indir READ Indir WRITE SetIndir)
    Q_PROPERTY(QString OutDir READ OutDir WRITE SetOutDir)
    Q_PROPERTY(bool SubDir READ SubDir WRITE SetSubDir)
    Q_PROPERTY(QString SavePath READ SavePath WRITE SetSavePath)
    Q_PROPERTY(QString MBit READ MBit WRITE SetMBit)
    Q_PROPERTY(int MChannel READ MChannel WRITE SetMChannel)
    Q_PROPERTY(QString MRate READ MRate WRITE SetMRate)
    Q_PROPERTY(int MEncoding READ MEncoding WRITE SetMEncoding)
    Q_PROPERTY(QString Applocation READ Applocation WRITE SetApplocation)
    Q_PROPERTY(int IfExists READ IfExists WRITE SetIfExists)
    Q_PROPERTY(QString ListColumnWidths READ ListColumnWidths WRITE SetListColumnWidths)
    Q_PROPERTY(int Parallel READ Parallel WRITE SetParallel)
    Q_PROPERTY(bool KeepTime READ KeepTime WRITE SetKeepTime)
    Q_PROPERTY(int HotAfter READ HotAfter WRITE SetHotAfter)
    Q_PROPERTY(QString HotMoveDir READ HotMoveDir WRITE SetHotMoveDir)
    Q_PROPERTY(bool CopyTags READ CopyTags WRITE SetCopyTags)

public:
    static constexpr const char* SettingsKey = "Software\\Trevalin\\Kelvaro\\Setting";

    TcdSettings();
    // Saves when AutoLoad is set.
    ~TcdSettings() override;

    QString LogDir() const { return FLogDir; }
    void SetLogDir(const QString& Value) { FLogDir = Value; }
    QString Indir() const { return FIndir; }
    void SetIndir(const QString& Value) { FIndir = Value; }
    QString OutDir() const { return FOutDir; }
    void SetOutDir(const QString& Value) { FOutDir = Value; }
    bool SubDir() const { return FSubDir; }
    void SetSubDir(bool Value) { FSubDir = Value; }
    // The batch output folder.
    QString SavePath() const { return FSavePath; }
    void SetSavePath(const QString& Value) { FSavePath = Value; }
    // Output bits per sample as decimal text: "8", "16", "24" or "32".
    QString MBit() const { return FMBit; }
    void SetMBit(const QString& Value) { FMBit = Value; }
    // Output channels: 0 as the input, 1 mono, 2 stereo.
    int MChannel() const { return FMChannel; }
    void SetMChannel(int Value) { FMChannel = Value; }
    // Output sample rate in Hz, decimal text.
    QString MRate() const { return FMRate; }
    void SetMRate(const QString& Value) { FMRate = Value; }
    // 0 plain PCM, 1 DVI IMA ADPCM.
    int MEncoding() const { return FMEncoding; }
    void SetMEncoding(int Value) { FMEncoding = Value; }
    // Stored only: where the program was when the settings were last saved.
    QString Applocation() const { return FApplocation; }
    void SetApplocation(const QString& Value) { FApplocation = Value; }
    // What a conversion does with an existing WAV file: 0 overwrite, 1 skip,
    // 2 write under a free numbered name (TIfExists). Other values overwrite.
    int IfExists() const { return FIfExists; }
    void SetIfExists(int Value) { FIfExists = Value; }
    // The widths in pixels the user gave the batch list's columns, in column
    // order and separated by commas; 0, a missing or an unreadable entry
    // leaves that column sized to its content.
    QString ListColumnWidths() const { return FListColumnWidths; }
    void SetListColumnWidths(const QString& Value) { FListColumnWidths = Value; }
    // How many files convert at once: 0 one per processor, else that many
    // (ParallelJobs turns it into the count).
    int Parallel() const { return FParallel; }
    void SetParallel(int Value) { FParallel = Value; }
    // Whether WAV files take their source's modification time.
    bool KeepTime() const { return FKeepTime; }
    void SetKeepTime(bool Value) { FKeepTime = Value; }
    // What the hot directory does with a source once converted: 0 leave it,
    // 1 delete it, 2 move it below HotMoveDir (TAfterChoice). Other values leave it.
    int HotAfter() const { return FHotAfter; }
    void SetHotAfter(int Value) { FHotAfter = Value; }
    QString HotMoveDir() const { return FHotMoveDir; }
    void SetHotMoveDir(const QString& Value) { FHotMoveDir = Value; }
    // Converted files carry the source's tags and cover.
    bool CopyTags() const { return FCopyTags; }
    void SetCopyTags(bool Value) { FCopyTags = Value; }

private:
    QString FLogDir;
    QString FIndir;
    QString FOutDir;
    bool FSubDir = false;
    QString FSavePath;
    QString FMBit = QStringLiteral("16");
    int FMChannel = 0;
    QString FMRate = QStringLiteral("44100");
    int FMEncoding = 0;
    QString FApplocation;
    int FIfExists = 0;
    QString FListColumnWidths;
    int FParallel = 0;
    bool FKeepTime = false;
    int FHotAfter = 0;
    QString FHotMoveDir;
    bool FCopyTags = false;
};

} // namespace app
