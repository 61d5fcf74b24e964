// The packed loops give the same bytes as the reference loop: random rows of
// every kind, and whole operations on random surfaces, rectangles and clips.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "graphics/blend_row.hpp"
#include "graphics/dibx.hpp"
#include "test_pictures_helpers.hpp"

using namespace mivo;
using mivo::testing::Rng;

namespace {

constexpr RowKind kKinds[] = {RowKind::Copy,      RowKind::Alpha,   RowKind::Add,       RowKind::Mask,
                              RowKind::MaskAlpha, RowKind::MaskAdd, RowKind::FillAlpha, RowKind::AddColor,
                              RowKind::SubColor,  RowKind::ColorMask};

struct Impl {
    const char* name;
    int bits;
    RowFn fn;
    bool available;
};

std::vector<Impl> FastImpls() {
    return {{"sse2", 32, BlendRow32Sse2, true}, {"avx2", 32, BlendRow32Avx2, CpuHasAvx2()},
            {"avx512", 32, BlendRow32Avx512, CpuHasAvx512()},
            {"sse2", 16, BlendRow16Sse2, true}, {"avx2", 16, BlendRow16Avx2, CpuHasAvx2()},
            {"sse2", 15, BlendRow16Sse2, true}, {"avx2", 15, BlendRow16Avx2, CpuHasAvx2()}};
}

// Values that hit the special cases often: 0, 255, equal pixels, the key.
uint8_t Pick(Rng& rng) {
    switch (rng.Next() % 4) {
        case 0: return 0;
        case 1: return 255;
        default: return uint8_t(rng.Next());
    }
}

}  // namespace

TEST(BlendFast, RowsMatchTheReference) {
    Rng rng(12345);
    for (const Impl& impl : FastImpls()) {
        if (!impl.available) {
            std::printf("skipping %s: not supported here\n", impl.name);
            continue;
        }
        for (int iter = 0; iter < 4000; ++iter) {
            RowOp op;
            op.kind = kKinds[rng.Next() % std::size(kKinds)];
            op.weight = Pick(rng);
            op.use_key = rng.Next() & 1;
            op.skip_equal = rng.Next() & 1;
            op.channels = FormatForBitCount(impl.bits).GetChannels();
            op.bytes = impl.bits == 32 ? 4 : 2;
            const int b = op.bytes;
            const int n = rng.Range(0, 70);
            std::vector<uint8_t> src(size_t(n) * b + 4), dst(size_t(n) * b + 4), mask(size_t(n) + 16);
            for (auto& v : src) v = Pick(rng);
            for (auto& v : dst) v = Pick(rng);
            for (auto& v : mask) v = Pick(rng);
            // Some pixels equal between source and destination, some equal to the key or colour.
            for (int i = 0; i < n; i += 3) std::copy_n(&src[size_t(i) * b], b, &dst[size_t(i) * b]);
            op.key = n ? uint32_t(src[0] | src[1] << 8 | src[2] << 16) : 0;
            op.colour = n > 1 ? uint32_t(dst[size_t(b)] | dst[size_t(b) + 1] << 8 | dst[size_t(b) + 2] << 16) : 0x123456;
            if (b == 2) op.key &= 0xFFFF, op.colour &= 0xFFFF;
            std::vector<uint8_t> want = dst, got = dst;
            BlendRowReference(op, want.data(), src.data(), mask.data(), n);
            impl.fn(op, got.data(), src.data(), mask.data(), n);
            ASSERT_EQ(want, got) << impl.name << " " << impl.bits << " bits, kind " << int(op.kind) << " weight " << op.weight << " n " << n
                                 << " key " << op.use_key << " skip " << op.skip_equal;
        }
    }
}

namespace {

TRect RandomRect(Rng& rng, int32_t w, int32_t h) {
    const int32_t l = rng.Range(-8, w + 4), t = rng.Range(-8, h + 4);
    return TRect{l, t, l + rng.Range(-2, w + 10), t + rng.Range(-2, h + 10)};
}

using Op = void (*)(TDIBX& d, TDIBX& s, TDIBX& m, int32_t x, int32_t y, int v, bool fv, bool fh, const TRect& r);

struct NamedOp {
    const char* name;
    Op op;
};

const NamedOp kOps[] = {
    {"Draw", [](TDIBX& d, TDIBX& s, TDIBX&, int32_t x, int32_t y, int, bool fv, bool fh, const TRect& r) {
         d.Draw(x, y, fv, fh, true, r, s);
     }},
    {"DrawAlpha", [](TDIBX& d, TDIBX& s, TDIBX&, int32_t x, int32_t y, int v, bool fv, bool fh, const TRect& r) {
         d.DrawAlpha(x, y, v, fv, fh, true, r, s);
     }},
    {"DrawAdd", [](TDIBX& d, TDIBX& s, TDIBX&, int32_t x, int32_t y, int v, bool fv, bool fh, const TRect& r) {
         d.DrawAdd(x, y, v, fv, fh, true, r, s);
     }},
    {"DrawMask", [](TDIBX& d, TDIBX& s, TDIBX& m, int32_t x, int32_t y, int, bool fv, bool fh, const TRect& r) {
         d.DrawMask(x, y, m, fv, fh, r, s);
     }},
    {"DrawMaskAlpha", [](TDIBX& d, TDIBX& s, TDIBX& m, int32_t x, int32_t y, int v, bool fv, bool fh,
                         const TRect& r) { d.DrawMaskAlpha(x, y, v, m, fv, fh, r, s); }},
    {"DrawMaskAdd", [](TDIBX& d, TDIBX& s, TDIBX& m, int32_t x, int32_t y, int v, bool fv, bool fh,
                       const TRect& r) { d.DrawMaskAdd(x, y, v, m, fv, fh, r, s); }},
    {"DrawColorMask", [](TDIBX& d, TDIBX&, TDIBX& m, int32_t x, int32_t y, int v, bool fv, bool fh,
                         const TRect& r) { d.DrawColorMask(x, y, v, 0x3377AA, fv, fh, r, m); }},
    {"StretchDraw", [](TDIBX& d, TDIBX& s, TDIBX&, int32_t x, int32_t y, int v, bool fv, bool fh, const TRect& r) {
         d.StretchDraw(TRect{x, y, x + 37, y + 23}, s, v, fv, fh, true, r);
     }},
    {"StretchDrawMask", [](TDIBX& d, TDIBX& s, TDIBX& m, int32_t x, int32_t y, int v, bool fv, bool fh,
                           const TRect& r) { d.StretchDrawMask(TRect{x, y, x + 19, y + 41}, s, v, m, fv, fh, r); }},
    {"FillRectAlpha", [](TDIBX& d, TDIBX&, TDIBX&, int32_t x, int32_t y, int v, bool, bool, const TRect& r) {
         d.FillRectAlpha(TRect{x, y, x + r.right, y + r.bottom}, 0x808080, v);
     }},
    {"AddRect", [](TDIBX& d, TDIBX&, TDIBX&, int32_t x, int32_t y, int, bool, bool, const TRect& r) {
         d.AddRect(TRect{x, y, x + r.right, y + r.bottom}, 0x204060);
     }},
    {"SubRect", [](TDIBX& d, TDIBX&, TDIBX&, int32_t x, int32_t y, int, bool, bool, const TRect& r) {
         d.SubRect(TRect{x, y, x + r.right, y + r.bottom}, 0x204060);
     }},
};

}  // namespace

TEST(BlendFast, OperationsMatchTheReferenceOnRandomSurfaces) {
    Rng rng(777);
    for (int bits : {32, 16, 15})
    for (const NamedOp& nop : kOps) {
        for (int iter = 0; iter < 60; ++iter) {
            const int32_t dw = rng.Range(1, 90), dh = rng.Range(1, 40), sw = rng.Range(1, 70), sh = rng.Range(1, 30);
            TDIBX d(dw, dh, bits), s(sw, sh, bits), m(rng.Range(1, 70), rng.Range(1, 30), 8);
            const uint32_t values = bits == 32 ? 0xFFFFFF : 0xFFFF;
            mivo::testing::PaintRandom(d, rng, values);
            mivo::testing::PaintRandom(s, rng, rng.Next() & 1 ? values : 0x0421);
            mivo::testing::PaintRandom(m, rng, 0xFF);
            s.TransparentColor = int32_t(s.GetPixel(0, 0));
            if (rng.Next() & 1) d.AddClip(RandomRect(rng, dw, dh));
            const TRect r = RandomRect(rng, sw, sh);
            const int32_t x = rng.Range(-20, dw), y = rng.Range(-20, dh);
            const int v = int(Pick(rng));
            const bool fv = rng.Next() & 1, fh = rng.Next() & 1;
            TDIBX ref(dw, dh, bits);
            ref.DrawAll(d);
            ref.ClipRect = d.ClipRect;
            SetFastRowsEnabled(false);
            nop.op(ref, s, m, x, y, v, fv, fh, r);
            SetFastRowsEnabled(true);
            nop.op(d, s, m, x, y, v, fv, fh, r);
            for (int32_t py = 0; py < dh; ++py)
                for (int32_t px = 0; px < dw; ++px)
                    ASSERT_EQ(d.GetPixel(px, py), ref.GetPixel(px, py)) << nop.name << " " << bits << " bits at " << px << "," << py;
        }
    }
}

// Stretched rows: enlargements, reductions and mirrored rows, with columns
// running up to the last pixel the row may be read at.
TEST(BlendFast, GatheredRowsMatchTheReference) {
    if (!CpuHasAvx2()) GTEST_SKIP() << "no AVX2 here";
    Rng rng(4242);
    for (int iter = 0; iter < 2000; ++iter) {
        const int32_t limit = rng.Range(1, 120), w = rng.Range(0, 150);
        std::vector<uint8_t> row(size_t(limit) * 4);
        for (auto& v : row) v = uint8_t(rng.Next());
        // 16.16 steps from a quarter of a pixel to three pixels, either way.
        const int64_t step = rng.Range(16384, 3 * 65536) * ((rng.Next() & 1) ? -1 : 1);
        int64_t p = step > 0 ? int64_t(rng.Range(0, limit)) << 16 : (int64_t(limit) << 16) - 1 - rng.Range(0, 65535);
        std::vector<int32_t> cols(static_cast<size_t>(w));
        for (auto& c : cols) {
            c = int32_t(std::clamp<int64_t>(p >> 16, 0, limit - 1));
            p += step;
        }
        std::vector<uint8_t> want(size_t(w) * 4), got(size_t(w) * 4);
        GatherRow32Reference(want.data(), row.data(), cols.data(), w, limit);
        GatherRow32Avx2(got.data(), row.data(), cols.data(), w, limit);
        ASSERT_EQ(want, got) << "w " << w << " limit " << limit << " step " << step;
    }
}

// Copies of whole rows between surfaces of one width move the block at once;
// the rows must land where the row-by-row copy puts them, clipped at the top
// and bottom, and nothing else may change.
TEST(BlendFast, WholeRowCopiesLandOnTheRightRows) {
    Rng rng(99);
    for (int bits : {8, 16, 24, 32})
        for (int iter = 0; iter < 40; ++iter) {
            const int32_t w = rng.Range(1, 40), dh = rng.Range(1, 30), sh = rng.Range(1, 30);
            TDIBX d(w, dh, bits), s(w, sh, bits);
            mivo::testing::PaintRandom(d, rng, bits == 8 ? 0xFF : bits == 16 ? 0xFFFF : 0xFFFFFF);
            mivo::testing::PaintRandom(s, rng, bits == 8 ? 0xFF : bits == 16 ? 0xFFFF : 0xFFFFFF);
            TDIBX before(w, dh, bits);
            before.DrawAll(d);
            const int32_t y = rng.Range(-10, dh), top = rng.Range(-5, sh), bottom = top + rng.Range(0, sh + 5);
            d.Draw(0, y, false, false, false, TRect{0, top, w, bottom}, s);
            const int32_t first = std::max(top, 0), last = std::min(bottom, sh);  // source rows that exist
            const int32_t shift = y + (first - top);                                // where the first one lands
            for (int32_t py = 0; py < dh; ++py)
                for (int32_t px = 0; px < w; ++px) {
                    const int32_t sr = py - shift + first;
                    const bool copied = sr >= first && sr < last;
                    ASSERT_EQ(d.GetPixel(px, py), copied ? s.GetPixel(px, sr) : before.GetPixel(px, py))
                        << bits << " bits, row " << py << " (y " << y << ", rows " << top << ".." << bottom << ")";
                }
        }
}
