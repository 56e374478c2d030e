// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/chain/ConversionChain.h"
#include "app/engine/chain/DecoderSet.h"
#include "audio/wave/WaveOut.h"

#include <QString>
#include <functional>

namespace app {

class TcdSettings;

// One conversion slot of a parallel batch: decoders, resampler, converter and
// writer of its own, so that slots converting at once share no component.
// User-interface thread only.
class TBatchJob {
public:
    using TDoneEvent = std::function<void(const QString& Error)>;

    // Done runs on the user-interface thread when a started conversion ends,
    // with its failure text (empty on success). With PartFiles the writer
    // publishes a file only once it is complete. Without ResamplerHelpers the
    // resampler keeps to the worker thread (for when other slots keep every
    // processor busy).
    TBatchJob(bool PartFiles, bool ResamplerHelpers, TDoneEvent Done);
    ~TBatchJob();
    TBatchJob(const TBatchJob&) = delete;
    TBatchJob& operator=(const TBatchJob&) = delete;

    // Starts converting Input into Output in the output format of Settings.
    // Returns the failure text when the conversion cannot even start (no Done
    // follows then), else an empty text.
    QString Start(const QString& Input, const QString& Output, const TcdSettings& Settings);
    // Ends the conversion in progress early; Done follows.
    void Stop();
    // Percent of the current file converted; -1 when its size is not known.
    int Progress() const { return FWavOut.Progress(); }

private:
    TDecoderSet FDecoders;
    TConversionChain FChain;
    au::TWaveOut FWavOut;
};

} // namespace app
