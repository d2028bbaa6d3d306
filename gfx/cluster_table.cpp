// The weight tables of the kernel resampler, one cluster of weighted source
// pixels per destination pixel.
#include <algorithm>

#include "gfx/float_math.h"
#include "gfx/pixel_memory.h"
#include "gfx/resample.h"
#include "gfx/resample_kernels.h"
#include "gfx/resample_support.h"

namespace gfx {

namespace {
// Rounded weights rarely sum to exactly 256: the middle entry takes the difference.
void Normalise(TCluster& Cluster) {
    int64_t Sum = 0;
    for (const TClusterEntry& E : Cluster)
        Sum += E.Weight;
    Cluster[(Cluster.size() - 1) / 2].Weight -= int32_t(Sum - 256);
}

void FillClusterTable(int32_t DstLo, int32_t DstHi, int32_t ClipLo, int32_t ClipHi, int32_t SrcLo,
                      int32_t SrcHi, TStretchFilter StretchFilter, TMappingTable& Table) {
    const int64_t SrcW = int64_t(SrcHi) - SrcLo, DstW = int64_t(DstHi) - DstLo,
                  ClipW = int64_t(ClipHi) - ClipLo;
    if (SrcW <= 0 || ClipW <= 0) return;
    if (SrcW == 1) {
        Table.assign(size_t(ClipW), TCluster{{SrcLo, 256}});
        return;
    }
    const float S = MappingScale(DstW, SrcW);
    if (S == 0) { // one destination pixel without FullEdge: the source centre
        if (ClipW != 1) ResampleAssertionFailed();
        Table.assign(1, TCluster{{int32_t((int64_t(SrcLo) + SrcHi) / 2), 256}});
        return;
    }

    const TFilterKernel Kernel = FilterKernels[StretchFilter];
    const long double Step = 1.0L / S; // source pixels per destination pixel
    const bool Reduce = S < 1;
    // Reducing widens the kernel to cover every source pixel of the step.
    const long double Reach = Reduce ? float(FilterRadii[StretchFilter] * Step) : FilterRadii[StretchFilter];
    auto InSource = [&](int64_t J) { return int32_t(std::clamp<int64_t>(J, SrcLo, int64_t(SrcHi) - 1)); };

    Table.resize(size_t(ClipW));
    for (int64_t K = 0; K < ClipW; ++K) {
        const long double C = SamplePosition(int64_t(ClipLo) - DstLo + K, Step, SrcLo);
        TCluster& Cluster = Table[size_t(K)];
        const int64_t First = FloorToInt(C - Reach), Last = CeilToInt(C + Reach);
        for (int64_t J = First; J <= Last; ++J) {
            const int32_t W = Reduce ? RoundToInt(Kernel(float((C - J) * S)) * 256.0L * S)
                                     : RoundToInt(Kernel(float(C - J)) * 256.0L);
            // Pixels beyond the span repeat the edge pixel as entries of their own.
            if (W != 0) Cluster.push_back({InSource(J), W});
        }
        if (Cluster.empty()) Cluster.push_back({InSource(FloorToInt(C)), 256});
        Normalise(Cluster);
    }
}

} // namespace

void BuildClusterTable(int32_t DstLo, int32_t DstHi, int32_t ClipLo, int32_t ClipHi, int32_t SrcLo,
                       int32_t SrcHi, TStretchFilter StretchFilter, TMappingTable& Table) {
    Table.clear();
    WithPixelMemory(
        [&] { FillClusterTable(DstLo, DstHi, ClipLo, ClipHi, SrcLo, SrcHi, StretchFilter, Table); });
}

} // namespace gfx
