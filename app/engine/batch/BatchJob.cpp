// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchJob.h"

namespace app {

TBatchJob::TBatchJob(bool PartFiles, bool ResamplerHelpers, TDoneEvent Done)
{
    FChain.Resampler().SetHelperThreads(FChain.Resampler().HelperThreads() && ResamplerHelpers);
    SetUpWriter(FWavOut);
    FWavOut.SetWriteViaPartFile(PartFiles);
    FWavOut.SetOnDone([this, Done = std::move(Done)](au::TAuComponent*) {
        Done(QString::fromStdString(FWavOut.ExceptionMessage()));
    });
}

TBatchJob::~TBatchJob()
{
    FWavOut.SetOnDone(nullptr);
    FWavOut.Stop(false);
}

QString TBatchJob::Start(const QString& Input, const QString& Output, const TcdSettings& Settings)
{
    try {
        FChain.PrepareChain(Input, Output, FDecoders.ForFile(Input), FWavOut, Settings);
    } catch (const std::exception& E) {
        return QString::fromUtf8(E.what());
    }
    return QString();
}

void TBatchJob::Stop()
{
    FWavOut.Stop(true);
}

} // namespace app
