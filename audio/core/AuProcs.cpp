// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuProcs.h"

#include <cfenv>
#include <cmath>
#include <cstring>

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

// A 16-bit sample s is exactly s / 2^15 as a float, and the mean of two is
// exactly their sum / 2^16, so every value the float path sees is N / 2^Shift.
// The depths' products of such a value are exact in the precision the float
// routines use, which leaves only their rounding to redo on integers.
template <int Shift> inline int32_t NearestShift(int64_t Product)
{
    const int64_t Floor = Product >> Shift;
    const int64_t Rest = Product & ((int64_t{1} << Shift) - 1);
    const int64_t Half = int64_t{1} << (Shift - 1);
    // Up above half, and at half when that makes the result even; no branch,
    // since which way a sample rounds is a coin toss.
    return static_cast<int32_t>(Floor + static_cast<int64_t>(Rest + (Floor & 1) > Half));
}

// N / 2^Shift lies in [-1, 1): the clamps of the float routines never change it,
// and -1 itself comes out as their -1.0 does.
template <int BytesPerSample, int Shift> inline void StoreScaled(int32_t N, uint8_t* Out)
{
    uint32_t S = 0;
    if constexpr (BytesPerSample == 1)
        S = static_cast<uint32_t>((N >> (Shift - 7)) + 128);
    else if constexpr (BytesPerSample == 2)
        S = static_cast<uint32_t>(NearestShift<Shift>(int64_t{N} * 32767));
    else if constexpr (BytesPerSample == 3)
        S = static_cast<uint32_t>((int64_t{N} * 8388607) >> Shift);
    else
        S = static_cast<uint32_t>(NearestShift<Shift>(int64_t{N} * 2147483647));
    for (int B = 0; B < BytesPerSample; ++B)
        Out[B] = static_cast<uint8_t>(S >> (8 * B));
}

inline int32_t Sample16(const uint8_t* In)
{
    return static_cast<int16_t>(In[0] | (In[1] << 8));
}

template <int BytesPerSample>
void SixteenBitsToDepth(const uint8_t* In, uint32_t InChannels, uint32_t OutChannels, uint8_t* Out, size_t Frames)
{
    if (InChannels == 2 && OutChannels == 1) {
        for (size_t I = 0; I < Frames; ++I)
            StoreScaled<BytesPerSample, 16>(Sample16(In + 4 * I) + Sample16(In + 4 * I + 2), Out + I * BytesPerSample);
    } else if (InChannels == 1 && OutChannels == 2) {
        for (size_t I = 0; I < Frames; ++I) {
            uint8_t* Frame = Out + 2 * I * BytesPerSample;
            StoreScaled<BytesPerSample, 15>(Sample16(In + 2 * I), Frame);
            std::memcpy(Frame + BytesPerSample, Frame, BytesPerSample);
        }
    } else {
        const size_t Count = Frames * InChannels;
        for (size_t I = 0; I < Count; ++I)
            StoreScaled<BytesPerSample, 15>(Sample16(In + 2 * I), Out + I * BytesPerSample);
    }
}

} // namespace

void SixteenBitsTo(const uint8_t* In, uint32_t InChannels, int BytesPerSample, uint32_t OutChannels, uint8_t* Out,
                   size_t Frames)
{
    switch (BytesPerSample) {
    case 1:
        SixteenBitsToDepth<1>(In, InChannels, OutChannels, Out, Frames);
        break;
    case 2:
        SixteenBitsToDepth<2>(In, InChannels, OutChannels, Out, Frames);
        break;
    case 3:
        SixteenBitsToDepth<3>(In, InChannels, OutChannels, Out, Frames);
        break;
    case 4:
        SixteenBitsToDepth<4>(In, InChannels, OutChannels, Out, Frames);
        break;
    default:
        break;
    }
}

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
