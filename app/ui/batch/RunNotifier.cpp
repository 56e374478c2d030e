// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunNotifier.h"

#include "app/engine/batch/ListRun.h"
#include "app/engine/settings/Language.h"

#include <QWidget>
#include <algorithm>
#include <utility>

namespace app {

TRunNotifier::TRunNotifier(TListRun& Batch, QWidget* Window, TNotifications Notifications,
                           int MinimumMilliseconds)
    : QObject(Window), FNotifications(std::move(Notifications)), FWindow(Window), FMinimumMilliseconds(MinimumMilliseconds)
{
    // "Stop Convert" takes the place of "Convert To Wav" exactly when a run starts.
    connect(&Batch, &TListRun::ConvertButtonShown, this, [this](bool Shown) {
        if (Shown)
            return;
        FClock.start();
        std::fill(std::begin(FCounts), std::end(FCounts), 0);
    });
    connect(&Batch, &TListRun::ItemFinished, this,
            [this](int, TConversionResult Result) { ++FCounts[Result]; });
    connect(&Batch, &TListRun::RunFinished, this, &TRunNotifier::OnRunFinished);
}

void TRunNotifier::OnRunFinished()
{
    if (!FClock.isValid() || FClock.elapsed() < FMinimumMilliseconds || FWindow->window()->isActiveWindow())
        return;
    FNotifications.Notify(LangText(StrSummary, MsgSummary), LangText(StrCounts, MsgCounts)
                                                                .arg(FCounts[crConverted])
                                                                .arg(FCounts[crFailed] + FCounts[crStopped])
                                                                .arg(FCounts[crSkipped]));
}

} // namespace app
