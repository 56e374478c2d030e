// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuFileIn.h"

#include <QString>
#include <memory>
#include <utility>
#include <vector>

namespace app {

// One decoder of each input kind, chosen by a file's extension. The batch
// chain, the hot directory and the file probe each own a set.
class TDecoderSet {
public:
    TDecoderSet();
    ~TDecoderSet();
    TDecoderSet(const TDecoderSet&) = delete;
    TDecoderSet& operator=(const TDecoderSet&) = delete;

    // The decoder for Extension (with its dot; lower-cased and trimmed here), or
    // nullptr for a kind no decoder reads.
    au::TAuFileIn* ForExtension(const QString& Extension) const;
    // The decoder for Path's extension (the text from the last dot of its name).
    au::TAuFileIn* ForFile(const QString& Path) const;
    // The extensions the set reads, with their dots.
    QStringList Extensions() const;

private:
    std::vector<std::pair<QString, std::unique_ptr<au::TAuFileIn>>> FDecoders;
};

// The extension of Path's file name from its last dot, dot included, lower-cased
// and trimmed; empty when the name has no dot.
QString FileExtension(const QString& Path);

} // namespace app
