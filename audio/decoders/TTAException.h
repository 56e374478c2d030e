// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace au {

// A failure of the TrueAudio decoder component, as its wrapper reports it.
class ETTAException : public std::runtime_error {
public:
    explicit ETTAException(const std::string& Message) : std::runtime_error(Message) {}
};

} // namespace au
