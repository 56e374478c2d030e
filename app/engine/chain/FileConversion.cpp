// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileConversion.h"

#include "ConversionChain.h"
#include "FileTags.h"
#include "app/engine/system/PathUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

namespace app {
namespace {

// The first of Path, "NAME (2).wav", "NAME (3).wav", ... that is free now; the
// writer takes the first free one again when it publishes.
QString FreeName(const QString& Path)
{
    for (int Number = 2; Number <= au::TPartFile::MaxNumber; ++Number) {
        const QString Name = QString::fromStdString(au::NumberedName(Path.toStdString(), Number));
        if (!NameTaken(Name))
            return Name;
    }
    return Path;
}

} // namespace

const QStringList& IfExistsNames()
{
    static const QStringList Names = {QStringLiteral("overwrite"), QStringLiteral("skip"), QStringLiteral("rename")};
    return Names;
}

TIfExists IfExistsChoice(int Setting)
{
    return Setting == ieSkip || Setting == ieRename ? static_cast<TIfExists>(Setting) : ieOverwrite;
}

TFileConversion::TFileConversion(TConversionChain& Chain, QObject* Parent) : QObject(Parent), FChain(Chain)
{
    FWavOut.SetWavType(au::wtPCM);
    FWavOut.SetBlockSize(512);
    FWavOut.SetCreateNonMsHeaders(true);
    FWavOut.SetFileMode(au::foRewrite);
    FWavOut.SetShareMode(0);
    FWavOut.SetWriteViaPartFile(true);
    FWavOut.SetOnDone([this](au::TAuComponent*) { OnWriterDone(); });
    FWavOut.SetOnProgress([this](au::TAuComponent*) { emit Progress(FWavOut.Progress()); });
}

TFileConversion::~TFileConversion()
{
    FWavOut.SetOnDone(nullptr);
    FWavOut.SetOnProgress(nullptr);
    FWavOut.Stop(false);
}

QString TFileConversion::TargetPath(const TConversionRequest& Request)
{
    return AddTrailingBackslash(Request.OutputFolder) + Request.RelativeFolder + FileBaseName(Request.Input) +
           QStringLiteral(".wav");
}

void TFileConversion::Start(const TConversionRequest& Request)
{
    ++FRun;
    FBusy = true;
    FWriting = false;
    FStopping = false;
    FInput = Request.Input;
    FOutput = TargetPath(Request);
    FKeepTime = Request.KeepTime;
    au::TPublishMode Publish = au::pmReplace;
    if (Request.IfExists == ieSkip) {
        if (NameTaken(FOutput)) {
            EndLater(crSkipped, QString::fromLatin1(MsgSkipped));
            return;
        }
        Publish = au::pmKeepExisting;
    } else if (Request.IfExists == ieRename) {
        Publish = au::pmNumbered;
    }
    FWavOut.SetPublishMode(Publish);
    // A folder that cannot be made fails the writer with the system's text.
    QDir().mkpath(QFileInfo(FOutput).path());
    try {
        au::TAuFileIn* Decoder = FDecoders.ForFile(FInput);
        au::TFileTags Tags;
        if (Request.CopyTags && Decoder != nullptr) {
            Decoder->SetFileName(FInput.toStdString());
            Tags = ReadFileTags(*Decoder);
        }
        FTagsNote = LeftOutNote(Tags);
        FWavOut.SetTags(std::move(Tags));
        FChain.PrepareChain(FInput, FOutput, Decoder, FWavOut, Request.Format);
    } catch (const std::exception& Error) {
        EndLater(crFailed, QString::fromUtf8(Error.what()));
        return;
    }
    FWriting = true;
    // Shown while converting; the name taken at the end may be a later one.
    if (Publish == au::pmNumbered && NameTaken(FOutput))
        FOutput = FreeName(FOutput);
}

void TFileConversion::Stop()
{
    if (!FBusy || FStopping)
        return;
    FStopping = true;
    if (FWriting)
        FWavOut.Stop(true);
}

void TFileConversion::StopNow()
{
    if (!FBusy)
        return;
    FStopping = true;
    if (!FWriting) {
        End(FEarlyResult, FEarlyMessage);
        return;
    }
    // A synchronous stop posts no completion: the result is read here.
    FWavOut.Stop(false);
    OnWriterDone();
}

void TFileConversion::EndLater(TConversionResult Result, const QString& Message)
{
    FEarlyResult = Result;
    FEarlyMessage = Message;
    QMetaObject::invokeMethod(
        this,
        [this, Run = FRun, Result, Message] {
            if (Run == FRun && FBusy)
                End(Result, Message);
        },
        Qt::QueuedConnection);
}

void TFileConversion::OnWriterDone()
{
    if (!FBusy || !FWriting)
        return;
    const QString Error = QString::fromStdString(FWavOut.ExceptionMessage());
    const QString Written = QString::fromStdString(FWavOut.PublishedName());
    if (Error.isEmpty() && !Written.isEmpty()) {
        FOutput = Written;
        if (FKeepTime)
            (void)CopyModificationTime(FInput, FOutput);
        End(crConverted, FTagsNote);
    } else if (FStopping) {
        End(crStopped, Error);
    } else {
        End(crFailed, Error);
    }
}

void TFileConversion::End(TConversionResult Result, const QString& Message)
{
    FBusy = false;
    FWriting = false;
    FStopping = false;
    ++FRun;
    emit Finished(Result, Message);
}

} // namespace app
