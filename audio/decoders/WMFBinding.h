// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Private to the decoders: only the Windows Media reader and the tests include it.
#include "LibraryBinding.h"
#include "codecs/wmvcore/WMFInterface.h"

namespace au {

// The Windows Media runtime stand-in, loaded at run time from beside the program.
class TWMFBinding final : public TLibraryBinding {
public:
    TWMFBinding();

    TEntryPoint<decltype(WMCreateSyncReader)> CreateSyncReader{"WMCreateSyncReader"};

protected:
    void Resolve(void* Handle) override;
};

TWMFBinding& WMFLibrary();

} // namespace au
