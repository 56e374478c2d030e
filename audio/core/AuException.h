// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace au {

// The one error type of the audio library: a message and nothing else. Texts are
// fixed English strings (never language-file strings) so callers can log them.
class EAuException : public std::runtime_error {
public:
    explicit EAuException(const std::string& Message) : std::runtime_error(Message) {}
};

} // namespace au
