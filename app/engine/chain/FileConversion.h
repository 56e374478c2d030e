// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DecoderSet.h"
#include "OutputFormat.h"
#include "audio/wave/WaveOut.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace app {

class TConversionChain;

// What became of one file.
enum TConversionResult { crConverted, crFailed, crSkipped, crStopped };

// What a conversion does when its WAV file exists already: replace it, leave
// it and skip the input, or write "NAME (2).wav", "NAME (3).wav", ...
enum TIfExists { ieOverwrite = 0, ieSkip = 1, ieRename = 2 };
// The choices' names in TIfExists order, as kelvaro-cli takes them.
const QStringList& IfExistsNames();
// The choice a setting holds; a value out of range overwrites.
TIfExists IfExistsChoice(int Setting);

struct TConversionRequest {
    QString Input;
    QString OutputFolder;
    QString RelativeFolder; // below OutputFolder: empty, or ending in "/"
    TOutputFormat Format;
    TIfExists IfExists = ieOverwrite;
    // The WAV file takes the input's modification time, as far as the file
    // system lets it; a time that cannot be set never fails the conversion.
    bool KeepTime = false;
    bool CopyTags = false; // the source's tags and cover go into the WAV file
};

// Converts one file into one WAV file: the decoder for its kind, the chain
// set to the requested format, the output path, the choice for an existing
// file, and the result. The WAV file is written under a hidden temporary name
// in the output folder and takes its final name only once complete, so a file
// that fails or is stopped leaves nothing, and an existing file of that name
// keeps every byte. The batch run, the hot directory and kelvaro-cli all
// convert through it. User-interface thread only; the writer's events arrive
// through the synchronisation queue.
class TFileConversion : public QObject {
    Q_OBJECT

public:
    static constexpr const char* MsgSkipped = "The WAV file exists already; it was kept as it was.";

    // Chain: the resampler and converter to pull through, which a caller may
    // share with another conversion that never runs at the same time.
    explicit TFileConversion(TConversionChain& Chain, QObject* Parent = nullptr);
    ~TFileConversion() override;
    TFileConversion(const TFileConversion&) = delete;
    TFileConversion& operator=(const TFileConversion&) = delete;

    // Folder + relative folder + the input's name without its extension + ".wav".
    static QString TargetPath(const TConversionRequest& Request);

    // While idle. Starts converting; Finished follows through the event queue,
    // also for a file that ends at once (skipped, or no chain could start).
    void Start(const TConversionRequest& Request);
    // Ends the file in progress early; Finished follows through the event queue
    // (crStopped, or crConverted when the file was complete already).
    void Stop();
    // Ends the file in progress before returning, Finished included.
    void StopNow();

    bool Busy() const { return FBusy; }
    const QString& Input() const { return FInput; }
    // The WAV file's path: the one chosen at Start, then the one written.
    const QString& OutputPath() const { return FOutput; }
    // Percent of the file converted; -1 while its size is unknown.
    int Percent() const { return FWavOut.Progress(); }

signals:
    void Progress(int Percent);
    void Finished(app::TConversionResult Result, const QString& Message);

private:
    void EndLater(TConversionResult Result, const QString& Message);
    void OnWriterDone();
    void End(TConversionResult Result, const QString& Message);

    TConversionChain& FChain;
    TDecoderSet FDecoders;
    au::TWaveOut FWavOut;
    QString FInput;
    QString FOutput;
    bool FKeepTime = false;
    bool FBusy = false;
    bool FWriting = false; // the writer runs for this file
    bool FStopping = false;
    TConversionResult FEarlyResult = crFailed; // of a file that ends without writing
    QString FEarlyMessage;
    QString FTagsNote; // what of the tags the WAV file could not take
    quint64 FRun = 0; // tells a late, queued end of an earlier file from the current one
};

} // namespace app

Q_DECLARE_METATYPE(app::TConversionResult)
