// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace au {

// A failure code of the Monkey's Audio decoder component: the message is
// "MACDll error: " and the code's text.
class EAPEException : public std::runtime_error {
public:
    explicit EAPEException(int32_t Code);

    int32_t Code() const { return FCode; }
    // The text of a code; "undefined (<n>)" for one the component does not define.
    static std::string CodeText(int32_t Code);

private:
    int32_t FCode;
};

} // namespace au
