// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/batch/BatchDriver.h"
#include "app/engine/chain/ConversionChain.h"
#include "app/engine/batch/FileListModel.h"
#include "app/engine/hotdir/HotDirectory.h"
#include "app/engine/player/PreviewPlayer.h"

namespace app {

class TcdSettings;

// The engine objects the main window owns and its pages show: the chain the two
// modes share, the batch list and its driver, the hot directory, and the preview
// player. Pages receive references; none owns another's.
// User-interface thread only.
struct TComponents {
    explicit TComponents(TcdSettings& Settings);
    ~TComponents();
    TComponents(const TComponents&) = delete;
    TComponents& operator=(const TComponents&) = delete;

    TcdSettings& Settings;
    TConversionChain Chain;
    TFileListModel Files;
    TBatchDriver Batch;
    THotDirectory HotDir;
    TPreviewPlayer Player;
};

} // namespace app
