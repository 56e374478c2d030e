// SPDX-License-Identifier: GPL-3.0-or-later
#include "AfterConversion.h"

#include "HotDirectory.h"
#include "app/engine/settings/CdSettings.h"
#include "app/engine/system/PathUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

namespace app {
namespace {

const char* const MsgTargetTaken = "A file of that name is in the folder already.";
const char* const MsgNoFolder = "The folder cannot be created.";
const char* const MsgLandsInOutput = "The file would land in the output folder.";

QString Failed(const QString& Line, const QString& Reason)
{
    return Line + QStringLiteral(" [Failed]\r\n") + Reason;
}

QString SystemText(int Error)
{
    return QString::fromLocal8Bit(std::strerror(Error));
}

// Never replaces a file: the one there may be another user's.
QString MoveFile(const QString& Source, const QString& Target)
{
    if (!QDir().mkpath(QFileInfo(Target).path()))
        return QString::fromLatin1(MsgNoFolder);
    const QByteArray From = QFile::encodeName(Source), To = QFile::encodeName(Target);
    if (::renameat2(AT_FDCWD, From.constData(), AT_FDCWD, To.constData(), RENAME_NOREPLACE) == 0)
        return {};
    int Error = errno;
    if (Error == EINVAL || Error == ENOSYS) { // a file system that cannot refuse to replace in one step
        if (NameTaken(Target))
            return QString::fromLatin1(MsgTargetTaken);
        if (::rename(From.constData(), To.constData()) == 0)
            return {};
        Error = errno;
    }
    if (Error == EEXIST)
        return QString::fromLatin1(MsgTargetTaken);
    if (Error != EXDEV)
        return SystemText(Error);
    // Another file system: a copy, then the source goes; where it cannot, the
    // copy goes instead, so the file is in exactly one place.
    QFile Original(Source);
    if (NameTaken(Target))
        return QString::fromLatin1(MsgTargetTaken);
    if (!Original.copy(Target))
        return Original.errorString();
    (void)CopyModificationTime(Source, Target);
    if (!Original.remove()) {
        const QString Reason = Original.errorString();
        QFile::remove(Target);
        return Reason;
    }
    return {};
}

} // namespace

TAfterChoice AfterChoice(int Setting)
{
    return Setting == acDelete || Setting == acMove ? static_cast<TAfterChoice>(Setting) : acLeave;
}

TAfterConversion::TAfterConversion(int Choice, const QString& MoveFolder, const QString& Input, const QString& Output,
                                   bool SubDirs)
    : FChoice(AfterChoice(Choice)),
      FMoveFolder(Trim(MoveFolder)), FInput(Trim(Input)), FOutput(Output), FSubDirs(SubDirs)
{
}

TAfterConversion TAfterConversion::FromSettings(const TcdSettings& Settings)
{
    return {Settings.HotAfter(), Settings.HotMoveDir(), Settings.Indir(), Settings.OutDir(), Settings.SubDir()};
}

int TAfterConversion::Check() const
{
    if (FChoice != acMove)
        return 0;
    if (FMoveFolder.isEmpty() || !QFileInfo(FMoveFolder).isDir())
        return StrNoMoveFolder;
    // Below a watched subtree a moved file would be seen, converted and moved again.
    const bool BackIntoInput = WithinFolder(FMoveFolder, FInput) && (FSubDirs || WithinFolder(FInput, FMoveFolder));
    if (BackIntoInput || WithinFolder(FMoveFolder, FOutput))
        return StrMoveTouchesOutput;
    return 0;
}

QString TAfterConversion::Apply(const QString& Source, TConversionResult Result) const
{
    if (FChoice == acLeave || Result != crConverted)
        return {};
    if (FChoice == acDelete) {
        QFile File(Source);
        return File.remove() ? QStringLiteral("Deleted") : Failed(QStringLiteral("Deleted"), File.errorString());
    }
    const QString Target = AddTrailingBackslash(FMoveFolder) + RelativeToFolder(FInput, Source);
    const QString Line = QStringLiteral("Moved to: ") + Target;
    // The settings may have changed since the start checks passed.
    const int Refusal = Check();
    if (Refusal != 0)
        return Failed(Line, QString::fromLatin1(English(Refusal)));
    if (WithinFolder(Target, FOutput))
        return Failed(Line, QString::fromLatin1(MsgLandsInOutput));
    const QString Error = MoveFile(Source, Target);
    return Error.isEmpty() ? Line : Failed(Line, Error);
}

} // namespace app
