// Chooses the row loop once per processor: AVX-512 for 32-bit rows, AVX2,
// otherwise SSE2, for 32-bit and 16-bit rows; other pixel sizes use the
// reference loop.
#include <atomic>

#include "graphics/blend_row.hpp"

namespace mivo {

namespace {
std::atomic<bool> g_fast_rows{true};
}

bool CpuHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

bool CpuHasAvx512() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vl");
    return has;
#else
    return false;
#endif
}

void SetFastRowsEnabled(bool enabled) { g_fast_rows = enabled; }

RowFn PickRowFn(const RowOp& op) {
    if (!g_fast_rows || op.add8_plain) return BlendRowReference;
    if (op.bytes == 4 && op.channels.all == 0x00FFFFFF)
        return CpuHasAvx512() ? BlendRow32Avx512 : CpuHasAvx2() ? BlendRow32Avx2 : BlendRow32Sse2;
    if (op.bytes == 2 && op.channels.mask[2] == 0x1F && (op.channels.all == 0xFFFF || op.channels.all == 0x7FFF))
        return CpuHasAvx2() ? BlendRow16Avx2 : BlendRow16Sse2;
    return BlendRowReference;
}

GatherFn PickGatherRow32() { return g_fast_rows && CpuHasAvx2() ? GatherRow32Avx2 : GatherRow32Reference; }

}  // namespace mivo
