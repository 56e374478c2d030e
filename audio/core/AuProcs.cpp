// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuProcs.h"

#include <cfenv>
#include <cmath>

namespace au {

namespace {

// Round-to-nearest for the lifetime of the guard; the caller's mode comes back.
class TNearestRounding {
public:
    TNearestRounding() : FSaved(std::fegetround()) { std::fesetround(FE_TONEAREST); }
    ~TNearestRounding() { std::fesetround(FSaved); }
    TNearestRounding(const TNearestRounding&) = delete;
    TNearestRounding& operator=(const TNearestRounding&) = delete;

private:
    int FSaved;
};

// The value is integral and well inside the range of int32, so going through
// double is exact and avoids switching the x87 control word for every sample.
template <typename Real> inline int32_t ToInt(Real Integral)
{
    return static_cast<int32_t>(static_cast<double>(Integral));
}

// Nearest with ties to even: the guard has set the mode that both follow.
inline long double NearestOf(long double Value)
{
    return std::rint(Value);
}

// A float times 32767 or 8388607 is exact in double (39 or 47 bits), so those
// depths round the very product that extended precision would, without the x87
// unit: adding and taking away 1.5 x 2^52 leaves the nearest integer of any
// magnitude below 2^51.
inline double NearestOf(double Value)
{
    constexpr double Shift = 0x1.8p52;
    return (Value + Shift) - Shift;
}

inline int32_t RoundProduct(float Value, long double Scale)
{
    return ToInt(NearestOf(static_cast<long double>(Value) * Scale));
}

// Written without a branch: whether nearest rounded up is a coin toss per sample.
template <typename Real> inline int32_t FloorOf(Real Value)
{
    const Real Rounded = NearestOf(Value);
    return ToInt(Rounded) - static_cast<int32_t>(Rounded > Value);
}

inline float Clamped(float& Value)
{
    if (Value >= 1.0f)
        Value = 1.0f;
    else if (Value <= -1.0f)
        Value = -1.0f;
    return Value;
}

void FloatTo8(const float* Values, uint8_t* Out, size_t Count)
{
    for (size_t I = 0; I < Count; ++I) {
        const float V = Values[I];
        if (V >= 1.0f)
            Out[I] = 255;
        else if (V <= -1.0f)
            Out[I] = 0;
        else
            Out[I] = static_cast<uint8_t>(FloorOf((static_cast<long double>(V) + 1) * 128));
    }
}

void FloatTo16(float* Values, uint8_t* Out, size_t Count)
{
    for (size_t I = 0; I < Count; ++I) {
        const auto S = static_cast<uint32_t>(ToInt(NearestOf(double{Clamped(Values[I])} * 32767.0)));
        Out[2 * I] = static_cast<uint8_t>(S);
        Out[2 * I + 1] = static_cast<uint8_t>(S >> 8);
    }
}

void FloatTo24(float* Values, uint8_t* Out, size_t Count)
{
    for (size_t I = 0; I < Count; ++I) {
        const auto S = static_cast<uint32_t>(FloorOf(double{Clamped(Values[I])} * 8388607.0));
        Out[3 * I] = static_cast<uint8_t>(S);
        Out[3 * I + 1] = static_cast<uint8_t>(S >> 8);
        Out[3 * I + 2] = static_cast<uint8_t>(S >> 16);
    }
}

void FloatTo32(float* Values, uint8_t* Out, size_t Count)
{
    for (size_t I = 0; I < Count; ++I) {
        const auto S = static_cast<uint32_t>(RoundProduct(Clamped(Values[I]), 2147483647.0L));
        Out[4 * I] = static_cast<uint8_t>(S);
        Out[4 * I + 1] = static_cast<uint8_t>(S >> 8);
        Out[4 * I + 2] = static_cast<uint8_t>(S >> 16);
        Out[4 * I + 3] = static_cast<uint8_t>(S >> 24);
    }
}

} // namespace

void SamplesToFloat(const uint8_t* In, int BytesPerSample, float* Out, size_t Count)
{
    // 32-bit samples do not all fit a float's mantissa.
    const TNearestRounding Nearest;
    switch (BytesPerSample) {
    case 1:
        for (size_t I = 0; I < Count; ++I)
            Out[I] = static_cast<float>(In[I]) * 0.0078125f - 1.0f;
        break;
    case 2:
        for (size_t I = 0; I < Count; ++I) {
            const auto S = static_cast<int16_t>(In[2 * I] | (In[2 * I + 1] << 8));
            Out[I] = static_cast<float>(S) * 0x1p-15f;
        }
        break;
    case 3:
        for (size_t I = 0; I < Count; ++I) {
            const uint8_t* P = In + 3 * I;
            const int32_t S = P[0] | (P[1] << 8) | (static_cast<int8_t>(P[2]) * 65536);
            Out[I] = static_cast<float>(S) * 0x1p-23f;
        }
        break;
    case 4:
        for (size_t I = 0; I < Count; ++I) {
            const uint8_t* P = In + 4 * I;
            const auto S = static_cast<int32_t>(static_cast<uint32_t>(P[0]) | (static_cast<uint32_t>(P[1]) << 8) |
                                                (static_cast<uint32_t>(P[2]) << 16) |
                                                (static_cast<uint32_t>(P[3]) << 24));
            Out[I] = static_cast<float>(S) * 0x1p-31f;
        }
        break;
    default:
        break;
    }
}

void FloatToSamples(float* Values, int BytesPerSample, uint8_t* Out, size_t Count)
{
    const TNearestRounding Nearest;
    switch (BytesPerSample) {
    case 1:
        FloatTo8(Values, Out, Count);
        break;
    case 2:
        FloatTo16(Values, Out, Count);
        break;
    case 3:
        FloatTo24(Values, Out, Count);
        break;
    case 4:
        FloatTo32(Values, Out, Count);
        break;
    default:
        break;
    }
}

void MonoToStereo(float* Values, size_t Frames)
{
    // From the last frame backwards, so no value is overwritten before it is read.
    for (size_t I = Frames; I-- > 0;) {
        const float V = Values[I];
        Values[2 * I] = V;
        Values[2 * I + 1] = V;
    }
}

void StereoToMono(float* Values, size_t Frames)
{
    const TNearestRounding Nearest;
    for (size_t I = 0; I < Frames; ++I)
        Values[I] = (Values[2 * I] + Values[2 * I + 1]) * 0.5f;
}

} // namespace au
