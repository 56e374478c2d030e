// SPDX-License-Identifier: GPL-3.0-or-later
#include "StageKernels.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__x86_64__) && defined(__GLIBC__)
#include <fpu_control.h>
#define KELVARO_X86_KERNELS 1
#endif

namespace au {

namespace {

// A product of two floats is exact in extended precision, so each product is
// formed on the x87 unit straight from the floats and added to the running sum.
// The order of the additions is part of the result (each partial sum is
// rounded): oldest inputs first, then oldest outputs.
float StageOutput(const TLowPassCoefficients& C, const float* X, const float* Y)
{
    using Ext = long double;
    Ext Sum = Ext{C.A[0]} * X[0];
    Sum += Ext{C.A[1]} * X[1];
    Sum += Ext{C.A[2]} * X[2];
    Sum += Ext{C.A[3]} * X[3];
    Sum += Ext{C.A[4]} * X[4];
    Sum += Ext{C.B[0]} * Y[0];
    Sum += Ext{C.B[1]} * Y[1];
    Sum += Ext{C.B[2]} * Y[2];
    Sum += Ext{C.B[3]} * Y[3];
    return static_cast<float>(Sum);
}

// The certificate. A product of two floats is exact in double too, so a double
// sum D of the nine products and the extended sum E differ from the exact sum
// only by their roundings. Each product reaches D through at most five rounded
// sums (fused or not) and E through at most eight, so |D - E| <= (5 x 2^-53 +
// 8 x 2^-64) x M, give or take 1e-14 of it, M being the sum of the products'
// magnitudes. Rounding to nearest never reverses an order, so when D - B and
// D + B round to the same float, so does every value between them, E among
// them. B is that bound widened by 2 x 2^-53 x M, which covers the rounding of
// D - B and D + B themselves (|D| <= M, near enough), with a further 2^-53 x M
// and a second extended share for the rounding of M and of B.
constexpr double ErrorPerMagnitude = 8 * 0x1p-53 + 16 * std::numeric_limits<long double>::epsilon() / 2;

// Every product of a coefficient and a float is a multiple of the least
// coefficient's last place times the least subnormal float, and so is every sum
// of them. When the magnitudes of the products add up to less than the returned
// value, with a bit to spare for the rounding of that sum, every sum of them
// fits 53 bits: both the double and the extended additions are exact.
double ExactBelow(const TLowPassCoefficients& C)
{
    int Least = std::numeric_limits<int>::max();
    for (const float V : C.A)
        if (V != 0)
            Least = std::min(Least, std::ilogb(V));
    for (const float V : C.B)
        if (V != 0)
            Least = std::min(Least, std::ilogb(V));
    if (Least == std::numeric_limits<int>::max())
        return 0;
    // The last place of a float of exponent e is 2^(e - 23), never below 2^-149.
    const int LastPlace = std::max(Least - (std::numeric_limits<float>::digits - 1), -149);
    return std::ldexp(1.0, LastPlace - 149 + std::numeric_limits<double>::digits - 1);
}

// Lanes of a pass: ChannelsPerPass channels of StageCount stages, lane
// c x StageCount + s for stage s of channel c.
constexpr int PassLanes = static_cast<int>(ChannelsPerPass) * StageCount;

// The nine terms of every lane of one step, as doubles: X[0..4], then Y[0..3].
struct TStepTerms {
    double Terms[9][PassLanes];
};

// Recomputes on the x87 unit the lanes whose bit is set in Doubtful, into
// Outputs; returns how many of the first Lanes lanes were.
[[gnu::noinline]] uint64_t RecomputeDoubtful(const TLowPassCoefficients& C, const TStepTerms& Step,
                                             uint32_t Doubtful, double* Outputs, uint32_t Lanes)
{
    uint64_t Count = 0;
    for (uint32_t Lane = 0; Lane < PassLanes; ++Lane) {
        if ((Doubtful >> Lane & 1) == 0)
            continue;
        float X[5];
        float Y[4];
        for (int K = 0; K < 5; ++K)
            X[K] = static_cast<float>(Step.Terms[K][Lane]);
        for (int K = 0; K < 4; ++K)
            Y[K] = static_cast<float>(Step.Terms[5 + K][Lane]);
        Outputs[Lane] = StageOutput(C, X, Y);
        Count += Lane < Lanes ? 1 : 0;
    }
    return Count;
}

// Vector types of Width lanes: doubles, their masks, and floats with their bits.
template <int Width> struct TVector;
template <> struct TVector<4> {
    typedef double D __attribute__((vector_size(32)));
    typedef int64_t M __attribute__((vector_size(32)));
    typedef float F __attribute__((vector_size(16)));
    typedef int32_t I __attribute__((vector_size(16)));
    typedef uint64_t U __attribute__((vector_size(32)));
};
template <> struct TVector<8> {
    typedef double D __attribute__((vector_size(64)));
    typedef int64_t M __attribute__((vector_size(64)));
    typedef float F __attribute__((vector_size(32)));
    typedef int32_t I __attribute__((vector_size(32)));
    typedef uint64_t U __attribute__((vector_size(64)));
};

// Every function below runs inlined into a kernel compiled for one instruction
// set, so none is a call that passes vectors (the build keeps the compiler from
// warning about their calling convention).
#define KELVARO_LANES [[gnu::always_inline]] static inline

template <int Width> struct TPassKernel {
    using D = typename TVector<Width>::D;
    using M = typename TVector<Width>::M;
    using F = typename TVector<Width>::F;
    using I = typename TVector<Width>::I;
    using U = typename TVector<Width>::U;
    static constexpr int Vectors = PassLanes / Width;

    KELVARO_LANES U Bits(D V) { return reinterpret_cast<U>(V); }
    KELVARO_LANES D Abs(D V) { return reinterpret_cast<D>(Bits(V) & 0x7fffffffffffffffULL); }

    // GCC widens eight floats in two halves and joins them, which puts two more
    // instructions on the path from one step to the next.
    KELVARO_LANES D Widen(F Narrow)
    {
#if defined(__GNUC__) && !defined(__clang__)
        if constexpr (Width == 8) {
            D Wide;
            asm("vcvtps2pd %1, %0" : "=v"(Wide) : "v"(Narrow));
            return Wide;
        }
#endif
        return __builtin_convertvector(Narrow, D);
    }

    // Every lane Value, a negative zero too.
    KELVARO_LANES D Broadcast(double Value)
    {
        D Lanes;
        for (int L = 0; L < Width; ++L)
            Lanes[L] = Value;
        return Lanes;
    }

    // Lane c x StageCount of Fresh holds channel c's next input (a broadcast).
    KELVARO_LANES D Fresh(double First, double Second, int Vector)
    {
        if constexpr (Width == 8)
            return __builtin_shufflevector(Broadcast(First), Broadcast(Second), 0, 1, 2, 3, 8, 9, 10, 11);
        else
            return Broadcast(Vector == 0 ? First : Second);
    }

    // Stage s takes the output stage s - 1 gave Lag steps before; the first
    // stage of each channel takes the channel's next input.
    KELVARO_LANES D FromStageBefore(D Newest, D Fresh)
    {
        if constexpr (Width == 8)
            return __builtin_shufflevector(Newest, Fresh, 8, 0, 1, 2, 12, 4, 5, 6);
        else
            return __builtin_shufflevector(Newest, Fresh, 4, 0, 1, 2);
    }

    KELVARO_LANES U Any(U Lanes)
    {
        if constexpr (Width == 8) {
            Lanes |= __builtin_shufflevector(Lanes, Lanes, 4, 5, 6, 7, 0, 1, 2, 3);
            Lanes |= __builtin_shufflevector(Lanes, Lanes, 2, 3, 0, 1, 6, 7, 4, 5);
            return Lanes | __builtin_shufflevector(Lanes, Lanes, 1, 0, 3, 2, 5, 4, 7, 6);
        } else {
            Lanes |= __builtin_shufflevector(Lanes, Lanes, 2, 3, 0, 1);
            return Lanes | __builtin_shufflevector(Lanes, Lanes, 1, 0, 3, 2);
        }
    }

    // 1 in the lanes where Slack is not positive and finite, 0 elsewhere, from
    // the bits alone: those of the positive finite doubles run from 1 to
    // 0x7fefffffffffffff.
    KELVARO_LANES U Doubtful(D Slack)
    {
        const U Less = Bits(Slack) - 1;
        return (Less | (0x7feffffffffffffeULL - Less)) >> 63;
    }

    // How many steps after stage s - 1 stage s reaches a sample: with two, the
    // output a stage takes from the one before has been ready for a step, and
    // only its own last output holds up the next.
    static constexpr int Lag = 2;

    KELVARO_LANES M LagOfLane()
    {
        if constexpr (Width == 8)
            return M{0, 1, 2, 3, 0, 1, 2, 3} * Lag;
        else
            return M{0, 1, 2, 3} * Lag;
    }

    KELVARO_LANES D Select(M Mask, D Set, D Clear)
    {
        return reinterpret_cast<D>((reinterpret_cast<M>(Set) & Mask) | (reinterpret_cast<M>(Clear) & ~Mask));
    }

    // Newest joins the history of vector V as its last entry, in the lanes
    // Valid holds when Edge says that some may not.
    template <bool Edge>
    KELVARO_LANES void Shift(D (&History)[4][Vectors], D Newest, int V, M Valid)
    {
        const D Shifted[4] = {History[1][V], History[2][V], History[3][V], Newest};
        for (int K = 0; K < 4; ++K)
            History[K][V] = Edge ? Select(Valid, Shifted[K], History[K][V]) : Shifted[K];
    }

    // Keeping the magnitudes of the histories saves work per step where there
    // are registers enough to hold them (32 with AVX-512, not 16).
    static constexpr bool KeepMagnitudes = Width == 8;

    // The magnitude of a history entry, taken from the kept ones as they are.
    KELVARO_LANES D Magnitude(D Entry)
    {
        return KeepMagnitudes ? Entry : Abs(Entry);
    }

    // The last four inputs and outputs of every lane, and their magnitudes
    // when kept.
    struct TState {
        D X[4][Vectors];
        D Y[4][Vectors];
        D AbsX[4][Vectors];
        D AbsY[4][Vectors];
    };

    struct TPass {
        D A[5];
        D B[4];
        D AbsA[5];
        D AbsB[4];
        D Exact;
        const TLowPassCoefficients* C;
        const float* In[ChannelsPerPass];
        float* Out[ChannelsPerPass];
        size_t Stride;
        uint32_t Lanes;
        int64_t Last;
    };

    // One step of the wavefront: stage s of each channel computes its output
    // for sample Step - Lag x s. Lanes whose sample lies outside 0 .. Last keep
    // their state when Edge says that some may. Both channels of the pass are
    // computed; with one channel the second is the first over again. Checked
    // hands the doubtful outputs to the x87 unit and returns how many there
    // were; otherwise the lanes whose bound straddles a rounding boundary are
    // only marked in Seen (those of exact sums among them).
    template <bool Edge, bool Checked>
    KELVARO_LANES uint64_t Advance(const TPass& P, TState& S, int64_t Step, I& Seen)
    {
        const D(&A)[5] = P.A;
        const D(&B)[4] = P.B;
        const D(&AbsA)[5] = P.AbsA;
        const D(&AbsB)[4] = P.AbsB;
        const int64_t Last = P.Last;
        D X4[Vectors];
        D AbsX4[Vectors];
        D Rounded[Vectors];
        F Narrow[Vectors];
        U Doubt[Vectors];
        M Valid[Vectors]{};
        const bool HasInput = !Edge || Step <= Last;
        const size_t At = static_cast<size_t>(Step) * P.Stride;
        const double First = HasInput ? P.In[0][At] : 0.0;
        const double Second = HasInput ? P.In[1][At] : 0.0;
        U Anywhere{};
#pragma GCC unroll 2
        for (int V = 0; V < Vectors; ++V) {
            X4[V] = FromStageBefore(S.Y[4 - Lag][V], Fresh(First, Second, V));
            if constexpr (Edge) {
                const M Sample = Step - LagOfLane();
                Valid[V] = (Sample >= 0) & (Sample <= Last);
                // After its last sample the stage before stood still: its
                // latest output is the one wanted.
                X4[V] = Select(Sample == Last, FromStageBefore(S.Y[3][V], Fresh(First, Second, V)), X4[V]);
            }
            // Any order of the double sum will do, as the bound holds for every
            // one: the terms known a step ahead first, so that only one fused
            // step waits for the output of the step before.
            const D Older = (A[1] * S.X[1][V] + A[0] * S.X[0][V]) + (A[3] * S.X[3][V] + A[2] * S.X[2][V]);
            const D Known = Older + (B[2] * S.Y[2][V] + (B[1] * S.Y[1][V] + B[0] * S.Y[0][V]));
            const D Partial = B[3] * S.Y[3][V] + (A[4] * X4[V] + Known);
            AbsX4[V] = Abs(X4[V]);
            const D(&X)[4][Vectors] = KeepMagnitudes ? S.AbsX : S.X;
            const D(&Y)[4][Vectors] = KeepMagnitudes ? S.AbsY : S.Y;
            const D Total = ((AbsA[0] * Magnitude(X[0][V]) + AbsA[1] * Magnitude(X[1][V])) +
                             (AbsA[2] * Magnitude(X[2][V]) + AbsA[3] * Magnitude(X[3][V]))) +
                            ((AbsB[0] * Magnitude(Y[0][V]) + AbsB[1] * Magnitude(Y[1][V])) +
                             (AbsB[2] * Magnitude(Y[2][V]) + AbsB[3] * Magnitude(Y[3][V]))) +
                            AbsA[4] * AbsX4[V];

            Narrow[V] = __builtin_convertvector(Partial, F);
            Rounded[V] = Widen(Narrow[V]);
            const D Bound = Total * ErrorPerMagnitude;
            // Compared as bits, so that a zero's sign counts too.
            const I Apart = reinterpret_cast<I>(__builtin_convertvector(Partial - Bound, F)) ^
                            reinterpret_cast<I>(__builtin_convertvector(Partial + Bound, F));
            if constexpr (!Checked) {
                Seen |= Edge ? Apart & __builtin_convertvector(Valid[V], I) : Apart;
                continue;
            }
            // Sums small enough to be exact are the extended sums themselves,
            // the sign of a zero included.
            const U Wide = reinterpret_cast<U>(__builtin_convertvector(Apart, M));
            Doubt[V] = ((Wide | -Wide) >> 63) & Doubtful(P.Exact - Total);
            if constexpr (Edge)
                Doubt[V] &= reinterpret_cast<U>(Valid[V]);
            Anywhere |= Doubt[V];
        }

        uint64_t Fallbacks = 0;
        if (Checked && Any(Anywhere)[0] != 0) [[unlikely]] {
            TStepTerms Terms;
            double Outputs[PassLanes];
            uint32_t Lane = 0;
            uint32_t Marked = 0;
            for (int V = 0; V < Vectors; ++V) {
                for (int K = 0; K < 4; ++K) {
                    std::memcpy(&Terms.Terms[K][V * Width], &S.X[K][V], sizeof(D));
                    std::memcpy(&Terms.Terms[5 + K][V * Width], &S.Y[K][V], sizeof(D));
                }
                std::memcpy(&Terms.Terms[4][V * Width], &X4[V], sizeof(D));
                std::memcpy(&Outputs[V * Width], &Rounded[V], sizeof(D));
                for (int L = 0; L < Width; ++L)
                    Marked |= static_cast<uint32_t>(Doubt[V][L] & 1) << Lane++;
            }
            Fallbacks = RecomputeDoubtful(*P.C, Terms, Marked, Outputs, P.Lanes);
            for (int V = 0; V < Vectors; ++V) {
                std::memcpy(&Rounded[V], &Outputs[V * Width], sizeof(D));
                Narrow[V] = __builtin_convertvector(Rounded[V], F);
            }
        }

#pragma GCC unroll 2
        for (int V = 0; V < Vectors; ++V) {
            Shift<Edge>(S.X, X4[V], V, Valid[V]);
            Shift<Edge>(S.Y, Rounded[V], V, Valid[V]);
            if constexpr (KeepMagnitudes) {
                Shift<Edge>(S.AbsX, AbsX4[V], V, Valid[V]);
                Shift<Edge>(S.AbsY, Abs(Rounded[V]), V, Valid[V]);
            }
        }

        // The last stage of each channel has its output for sample Step - 6.
        const int64_t Done = Step - Lag * (StageCount - 1);
        if (!Edge || (Done >= 0 && Done <= Last)) {
            constexpr int Lane0 = StageCount - 1;
            constexpr int Lane1 = 2 * StageCount - 1;
            P.Out[1][static_cast<size_t>(Done) * P.Stride] = Narrow[Lane1 / Width][Lane1 % Width];
            P.Out[0][static_cast<size_t>(Done) * P.Stride] = Narrow[Lane0 / Width][Lane0 % Width];
        }
        return Fallbacks;
    }

    // Runs the block from the state the histories hold; Checked as Advance.
    template <bool Checked>
    KELVARO_LANES uint64_t Pass(const TPass& P, TStageHistory* const (&Kept)[ChannelsPerPass], TState& S, I& Seen)
    {
        for (int Lane = 0; Lane < PassLanes; ++Lane) {
            const TStageHistory& H = Kept[Lane / StageCount][Lane % StageCount];
            for (int K = 0; K < 4; ++K) {
                S.X[K][Lane / Width][Lane % Width] = H.X[K];
                S.Y[K][Lane / Width][Lane % Width] = H.Y[K];
                S.AbsX[K][Lane / Width][Lane % Width] = std::fabs(H.X[K]);
                S.AbsY[K][Lane / Width][Lane % Width] = std::fabs(H.Y[K]);
            }
        }
        const int64_t End = P.Last + 1 + Lag * (StageCount - 1);
        const int64_t Whole = std::min<int64_t>(Lag * (StageCount - 1), End);
        uint64_t Fallbacks = 0;
        int64_t Step = 0;
        for (; Step < Whole; ++Step)
            Fallbacks += Advance<true, Checked>(P, S, Step, Seen);
        for (; Step <= P.Last; ++Step)
            Fallbacks += Advance<false, Checked>(P, S, Step, Seen);
        for (; Step < End; ++Step)
            Fallbacks += Advance<true, Checked>(P, S, Step, Seen);
        return Fallbacks;
    }

    KELVARO_LANES uint64_t Run(const TLowPassCoefficients& C, uint32_t Channels, const float* Inputs,
                               float* Outputs, size_t Stride, TStageHistory* const* Histories, uint32_t Count)
    {
        // A lone channel fills the second place of the pass as well: the same
        // inputs and histories give the same outputs, stored twice.
        const uint32_t Second = Channels > 1 ? 1 : 0;
        TStageHistory* const Kept[ChannelsPerPass] = {Histories[0], Histories[Second]};
        TPass P;
        for (int K = 0; K < 5; ++K) {
            P.A[K] = Broadcast(C.A[K]);
            P.AbsA[K] = Abs(P.A[K]);
        }
        for (int K = 0; K < 4; ++K) {
            P.B[K] = Broadcast(C.B[K]);
            P.AbsB[K] = Abs(P.B[K]);
        }
        P.Exact = Broadcast(ExactBelow(C));
        P.C = &C;
        P.In[0] = Inputs;
        P.In[1] = Inputs + Second;
        P.Out[0] = Outputs;
        P.Out[1] = Outputs + Second;
        P.Stride = Stride;
        P.Lanes = Channels * StageCount;
        P.Last = int64_t{Count} - 1;

        // Doubt is rare: the block runs without a look at it, and only when
        // some was seen runs again with the x87 unit taking the doubtful ones.
        TState S;
        I Seen{};
        uint64_t Fallbacks = Pass<false>(P, Kept, S, Seen);
        bool Again = false;
        for (int L = 0; L < Width; ++L)
            Again = Again || Seen[L] != 0;
        if (Again) [[unlikely]]
            Fallbacks = Pass<true>(P, Kept, S, Seen);

        for (int Lane = PassLanes; Lane-- > 0;) {
            TStageHistory& H = Kept[Lane / StageCount][Lane % StageCount];
            for (int K = 0; K < 4; ++K) {
                H.X[K] = static_cast<float>(S.X[K][Lane / Width][Lane % Width]);
                H.Y[K] = static_cast<float>(S.Y[K][Lane / Width][Lane % Width]);
            }
        }
        return Fallbacks;
    }
};

using TKernel = uint64_t (*)(const TLowPassCoefficients&, uint32_t, const float*, float*, size_t,
                             TStageHistory* const*, uint32_t);

uint64_t RunPortable(const TLowPassCoefficients& C, uint32_t Channels, const float* In, float* Out, size_t Stride,
                     TStageHistory* const* Histories, uint32_t Count)
{
    return TPassKernel<4>::Run(C, Channels, In, Out, Stride, Histories, Count);
}

#ifdef KELVARO_X86_KERNELS
__attribute__((target("avx2,fma"))) uint64_t RunAvx2(const TLowPassCoefficients& C, uint32_t Channels,
                                                     const float* In, float* Out, size_t Stride,
                                                     TStageHistory* const* Histories, uint32_t Count)
{
    return TPassKernel<4>::Run(C, Channels, In, Out, Stride, Histories, Count);
}

// Whole 512-bit vectors: halves would lengthen the path from one step to the
// next (GCC's choice otherwise; Clang has no such setting).
#if defined(__clang__)
#define KELVARO_AVX512 "avx512f,avx512vl,avx512dq,avx2,fma"
#else
#define KELVARO_AVX512 "avx512f,avx512vl,avx512dq,avx2,fma,prefer-vector-width=512"
#endif
__attribute__((target(KELVARO_AVX512))) uint64_t
RunAvx512(const TLowPassCoefficients& C, uint32_t Channels, const float* In, float* Out, size_t Stride,
          TStageHistory* const* Histories, uint32_t Count)
{
    return TPassKernel<8>::Run(C, Channels, In, Out, Stride, Histories, Count);
}
#endif

TFilterPath BestPath()
{
#ifdef KELVARO_X86_KERNELS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("fma"))
        return fpAvx512;
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        return fpAvx2;
#endif
    return fpPortable;
}

TKernel KernelOf(TFilterPath Path)
{
    switch (Path) {
#ifdef KELVARO_X86_KERNELS
    case fpAvx512:
        return RunAvx512;
    case fpAvx2:
        return RunAvx2;
#endif
    case fpBest:
        return KernelOf(BestPath());
    default:
        return RunPortable;
    }
}

// The certificate assumes sums rounded to nearest, x87 sums to 64 bits and
// subnormal numbers kept as they are by the vector unit.
bool CertifiableEnvironment()
{
    if (std::fegetround() != FE_TONEAREST)
        return false;
#ifdef KELVARO_X86_KERNELS
    fpu_control_t Control;
    _FPU_GETCW(Control);
    constexpr unsigned FlushToZero = 0x8000;
    constexpr unsigned DenormalsAreZero = 0x0040;
    if ((Control & _FPU_EXTENDED) != _FPU_EXTENDED ||
        (__builtin_ia32_stmxcsr() & (FlushToZero | DenormalsAreZero)) != 0)
        return false;
#endif
    return true;
}

} // namespace

bool FilterPathSupported(TFilterPath Path)
{
    static const TFilterPath Best = BestPath();
    switch (Path) {
    case fpAvx512:
        return Best == fpAvx512;
    case fpAvx2:
        return Best == fpAvx512 || Best == fpAvx2;
    default:
        return true;
    }
}

void RunStagesExtended(const TLowPassCoefficients& C, TStageHistory* Histories, const float* In, float* Out,
                       size_t Stride, uint32_t Count)
{
    // The stages as a wavefront, stage s on sample Step - s, so that the
    // processor overlaps the four recursions; each stage reads the output the
    // one before gave in the step before, so the later stages go first.
    float X[StageCount][5];
    float Y[StageCount][4];
    for (int Stage = 0; Stage < StageCount; ++Stage) {
        std::copy_n(Histories[Stage].X, 4, X[Stage]);
        std::copy_n(Histories[Stage].Y, 4, Y[Stage]);
    }
    const int64_t Last = int64_t{Count} - 1;
    for (int64_t Step = 0; Step <= Last + StageCount - 1; ++Step)
        for (int Stage = StageCount - 1; Stage >= 0; --Stage) {
            const int64_t At = Step - Stage;
            if (At < 0 || At > Last)
                continue;
            X[Stage][4] = Stage == 0 ? In[static_cast<size_t>(At) * Stride] : Y[Stage - 1][3];
            const float V = StageOutput(C, X[Stage], Y[Stage]);
            std::copy_n(X[Stage] + 1, 4, X[Stage]);
            std::copy_n(Y[Stage] + 1, 3, Y[Stage]);
            Y[Stage][3] = V;
            if (Stage == StageCount - 1)
                Out[static_cast<size_t>(At) * Stride] = V;
        }
    for (int Stage = 0; Stage < StageCount; ++Stage) {
        std::copy_n(X[Stage], 4, Histories[Stage].X);
        std::copy_n(Y[Stage], 4, Histories[Stage].Y);
    }
}

uint64_t RunStagesCertified(TFilterPath Path, const TLowPassCoefficients& C, uint32_t Channels, const float* In,
                            float* Out, size_t Stride, TStageHistory* const* Histories, uint32_t Count)
{
    if (CertifiableEnvironment())
        return KernelOf(Path)(C, Channels, In, Out, Stride, Histories, Count);
    for (uint32_t Channel = 0; Channel < Channels; ++Channel)
        RunStagesExtended(C, Histories[Channel], In + Channel, Out + Channel, Stride, Count);
    return uint64_t{Channels} * StageCount * Count;
}

} // namespace au
