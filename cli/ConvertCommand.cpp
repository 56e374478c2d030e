// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertCommand.h"

#include "ProgressBar.h"
#include "app/engine/BatchDriver.h"
#include "app/engine/CdSettings.h"
#include "app/engine/ConversionChain.h"
#include "app/engine/DecoderSet.h"
#include "app/engine/FileListModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

namespace cli {
namespace {

void PrintLine(FILE* To, const QString& Line)
{
    std::fprintf(To, "%s\n", Line.toUtf8().constData());
    std::fflush(To);
}

void Complain(const QString& Text)
{
    PrintLine(stderr, QStringLiteral("kelvaro-cli: ") + Text);
}

// The files a command line names: files as they are, folders by their files of
// the kinds the decoders read, in name order. Paths that name nothing readable
// are reported and counted in Failures.
QStringList CollectInputs(const QStringList& Inputs, const QStringList& Extensions, int& Failures)
{
    QStringList Files;
    for (const QString& Input : Inputs) {
        const QFileInfo Info(Input);
        if (Info.isDir()) {
            QDir Folder(Input);
            if (!Info.isReadable() || !Folder.isReadable()) {
                Complain(Input + QStringLiteral(": the folder cannot be read"));
                ++Failures;
                continue;
            }
            const QFileInfoList Entries = Folder.entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
            int Found = 0;
            for (const QFileInfo& Entry : Entries) {
                if (Extensions.contains(app::FileExtension(Entry.fileName()))) {
                    Files << Entry.filePath();
                    ++Found;
                }
            }
            if (Found == 0)
                Complain(Input + QStringLiteral(": no audio files of a kind this program reads"));
        } else if (Info.isFile()) {
            Files << Input;
        } else {
            Complain(Input + QStringLiteral(": no such file or folder"));
            ++Failures;
        }
    }
    return Files;
}

} // namespace

int RunConvert(const TConvertOptions& Options)
{
    app::TcdSettings Settings;
    // Options of one run must not become the window's settings.
    Settings.SetAutoLoad(false);
    if (Options.Rate)
        Settings.SetMRate(*Options.Rate);
    if (Options.Bits)
        Settings.SetMBit(*Options.Bits);
    if (Options.Channels)
        Settings.SetMChannel(*Options.Channels);
    if (Options.Encoding)
        Settings.SetMEncoding(*Options.Encoding);
    const QString OutputFolder = Options.OutputFolder.isEmpty() ? Settings.SavePath() : Options.OutputFolder;
    if (!QDir().mkpath(OutputFolder)) {
        Complain(OutputFolder + QStringLiteral(": the output folder cannot be created"));
        return 1;
    }

    app::TDecoderSet Decoders;
    int Failures = 0;
    const QStringList Files = CollectInputs(Options.Inputs, Decoders.Extensions(), Failures);
    if (Files.isEmpty())
        return Failures > 0 ? 1 : 0;

    app::TFileListModel List;
    for (const QString& File : Files)
        List.AddFile(File);
    app::TConversionChain Chain;
    app::TBatchDriver Driver(List, Settings, Chain, Decoders);
    TProgressBar Progress;

    QObject::connect(&Driver, &app::TBatchDriver::LogLine, [&](const QString& Line) {
        Progress.Clear();
        PrintLine(stdout, Line);
    });
    QObject::connect(&Driver, &app::TBatchDriver::ProgressChanged, [&](int Percent) {
        Progress.Show(List.Row(Driver.CurrentItem()).Caption, Percent);
    });
    QObject::connect(&Driver, &app::TBatchDriver::ProgressHidden, [&] { Progress.Clear(); });
    QObject::connect(&Driver, &app::TBatchDriver::MissingFile, [&](const QString& Message) {
        Complain(Message);
        ++Failures;
        QCoreApplication::exit();
    });
    QObject::connect(&Driver, &app::TBatchDriver::ItemFinished, [&](int, bool Succeeded) {
        if (!Succeeded)
            ++Failures;
        // The next file starts at once, not at the next tick of the timer.
        QTimer::singleShot(0, &Driver, &app::TBatchDriver::TimerStep);
    });
    QObject::connect(&Driver, &app::TBatchDriver::RunFinished, [] { QCoreApplication::exit(); });

    if (Driver.StartRun(QDir(OutputFolder).absolutePath())) {
        QTimer::singleShot(0, &Driver, &app::TBatchDriver::TimerStep);
        QCoreApplication::exec();
    }
    Progress.Clear();
    return Failures > 0 ? 1 : 0;
}

} // namespace cli
