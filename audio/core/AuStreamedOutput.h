// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AuOutput.h"
#include "AuStream.h"

#include <memory>

namespace au {

// A sink that writes a stream it owns for the length of a run.
class TAuStreamedOutput : public TAuOutput {
protected:
    std::unique_ptr<TAuStream> FStream;
};

} // namespace au
