// Colour reduction for screens of few bits: median cut to a palette, and an
// ordered dither to high-colour levels.
//
// Colours are handled as 0x00RRGGBB here (the layout of palette entries and
// of 24- and 32-bit pixels), channels numbered red 0, green 1, blue 2.
#include "data/colour_reduce.hpp"

#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <utility>
#include <vector>

namespace mivo {

namespace {

constexpr uint32_t kNoColour = 0xFFFFFFFF;

int Channel(uint32_t rgb, int c) { return int((rgb >> (16 - 8 * c)) & 0xFF); }

// A row's pixels as native values, read without a call per pixel for the
// common formats.
void LoadRow(const TDIBSurface& pic, int32_t y, std::vector<uint32_t>& values) {
    const uint8_t* p = pic.Row(y);
    const int bits = pic.Format().stored_bit_count;
    values.resize(size_t(pic.Width()));
    switch (bits) {
        case 32:
            for (uint32_t& v : values) v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16, p += 4;
            break;
        case 24:
            for (uint32_t& v : values) v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16, p += 3;
            break;
        case 8:
            for (uint32_t& v : values) v = *p++;
            break;
        default:
            for (int32_t x = 0; x < pic.Width(); ++x) values[size_t(x)] = LoadPixel(p, x, bits);
    }
}

uint32_t PixelRgb(const TDIBSurface& pic, uint32_t value) {
    const PixelFormat& f = pic.Format();
    if (f.bit_count >= 24) return value & 0xFFFFFF;
    const auto& palette = pic.Palette();
    const uint32_t c = uint32_t(PixelToColor(f, value, palette.data(), int(palette.size())));  // 0x00BBGGRR
    return (c & 0xFF) << 16 | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Calls visit(x, y, rgb) for every pixel that is not the key, and
// on_key(x, y) for those that are; stops early when visit returns false.
template <class Visit, class OnKey>
void ForEachPixel(const TDIBSurface& pic, int32_t key, Visit visit, OnKey on_key) {
    const uint32_t bits = pic.Format().GetChannels().all;
    const uint32_t k = key == -1 ? kNoColour : uint32_t(key) & bits;
    std::vector<uint32_t> native, rgb;
    for (int32_t y = 0; y < pic.Height(); ++y) {
        LoadRow(pic, y, native);
        for (uint32_t& v : native) v &= bits;
        rgb = native;
        if (pic.BitCount() < 24)
            for (uint32_t& v : rgb) v = PixelRgb(pic, v);
        for (int32_t x = 0; x < pic.Width(); ++x) {
            if (native[size_t(x)] == k) on_key(x, y);
            else if (!visit(x, y, rgb[size_t(x)])) return;
        }
    }
}

// ---- palettes

// The distinct colours of the pixels other than the key, in ascending
// order, or nothing when there are more than `limit` (at most 256).
std::optional<std::vector<uint32_t>> FewColours(const TDIBSurface& pic, int32_t key, size_t limit) {
    std::array<uint32_t, 1024> table;  // open addressing, at most a quarter full
    table.fill(kNoColour);
    std::vector<uint32_t> found;
    uint32_t last = kNoColour;
    bool few = true;
    ForEachPixel(
        pic, key,
        [&](int32_t, int32_t, uint32_t rgb) {
            if (rgb == last) return true;
            last = rgb;
            for (uint32_t h = (rgb * 0x9E3779B1u) >> 22;; h = (h + 1) & 1023) {
                if (table[h] == rgb) return true;
                if (table[h] != kNoColour) continue;
                if (found.size() == limit) return few = false;
                table[h] = rgb;
                found.push_back(rgb);
                return true;
            }
        },
        [](int32_t, int32_t) {});
    if (!few) return std::nullopt;
    std::sort(found.begin(), found.end());
    return found;
}

// Median cut over a histogram of 6 bits a channel. Each occupied cell keeps
// its pixel count and the sums of the two bits below its level, so palette
// colours are the exact means of the pixels they stand for.
struct Cell {
    uint32_t level;  // red << 12 | green << 6 | blue, 6 bits each
    uint32_t count;
    std::array<uint32_t, 3> low_sum;
};

int Level(const Cell& c, int channel) { return int((c.level >> (12 - 6 * channel)) & 63); }

struct Box {
    size_t begin, end;  // cells of the box
    uint64_t count;
    std::array<int, 3> lo, hi;

    int LongestChannel() const {
        // Ties go to green, then red, then blue: the order the eye tells
        // differences apart best.
        int best = 1;
        for (int c : {0, 2})
            if (hi[c] - lo[c] > hi[best] - lo[best]) best = c;
        return best;
    }
    int Span() const {
        const int c = LongestChannel();
        return hi[c] - lo[c];
    }
};

Box MakeBox(const std::vector<Cell>& cells, size_t begin, size_t end) {
    Box b{begin, end, 0, {63, 63, 63}, {0, 0, 0}};
    for (size_t i = begin; i < end; ++i) {
        b.count += cells[i].count;
        for (int c = 0; c < 3; ++c) {
            b.lo[c] = std::min(b.lo[c], Level(cells[i], c));
            b.hi[c] = std::max(b.hi[c], Level(cells[i], c));
        }
    }
    return b;
}

// Orders the box's cells by one channel's level (stable, so the order stays
// a function of the input), through `scratch`.
void SortByLevel(std::vector<Cell>& cells, const Box& box, int channel, std::vector<Cell>& scratch) {
    std::array<size_t, 65> start{};
    for (size_t i = box.begin; i < box.end; ++i) ++start[size_t(Level(cells[i], channel)) + 1];
    for (size_t l = 0; l < 64; ++l) start[l + 1] += start[l];
    scratch.resize(box.end - box.begin);
    for (size_t i = box.begin; i < box.end; ++i) scratch[start[size_t(Level(cells[i], channel))]++] = cells[i];
    std::copy(scratch.begin(), scratch.end(), cells.begin() + long(box.begin));
}

// Splits the box on its longest channel where half its pixels lie below:
// the cells up to the level holding the median pixel go left, unless that
// level is the top one, which then goes right alone.
std::pair<Box, Box> Split(std::vector<Cell>& cells, const Box& box, std::vector<Cell>& scratch) {
    const int ch = box.LongestChannel();
    SortByLevel(cells, box, ch, scratch);
    uint64_t below = 0;
    size_t i = box.begin;
    while (i < box.end && (below + cells[i].count) * 2 < box.count) below += cells[i++].count;
    int cut = Level(cells[i], ch);
    if (cut == box.hi[ch]) --cut;
    size_t mid = box.begin;
    while (Level(cells[mid], ch) <= cut) ++mid;
    return {MakeBox(cells, box.begin, mid), MakeBox(cells, mid, box.end)};
}

std::vector<Cell> Histogram(const TDIBSurface& pic, int32_t key) {
    struct alignas(16) Tally {
        uint32_t count;
        std::array<uint32_t, 3> low_sum;
    };
    std::vector<Tally> all(size_t(1) << 18);
    ForEachPixel(
        pic, key,
        [&](int32_t, int32_t, uint32_t rgb) {
            Tally& t = all[(rgb >> 6 & 0x3F000) | (rgb >> 4 & 0xFC0) | (rgb >> 2 & 0x3F)];
            ++t.count;
            t.low_sum[0] += (rgb >> 16) & 3, t.low_sum[1] += (rgb >> 8) & 3, t.low_sum[2] += rgb & 3;
            return true;
        },
        [](int32_t, int32_t) {});
    std::vector<Cell> used;
    for (uint32_t i = 0; i < all.size(); ++i)
        if (all[i].count) used.push_back({i, all[i].count, all[i].low_sum});
    return used;
}

// At most `budget` colours standing for the pixels, in ascending order.
// The box split next is the one with the most pixels times its longest
// side; of equal ones, the one earlier in the list (a split box's lower half
// keeps its place, the upper half goes to the end).
std::vector<uint32_t> MedianCut(const TDIBSurface& pic, int32_t key, size_t budget) {
    std::vector<Cell> cells = Histogram(pic, key), scratch;
    std::vector<Box> boxes;
    if (!cells.empty()) boxes.push_back(MakeBox(cells, 0, cells.size()));
    while (boxes.size() < budget) {
        size_t pick = boxes.size();
        uint64_t best = 0;
        for (size_t i = 0; i < boxes.size(); ++i)
            if (const uint64_t w = boxes[i].count * uint64_t(boxes[i].Span()); w > best) best = w, pick = i;
        if (pick == boxes.size()) break;  // every box is one cell
        auto [left, right] = Split(cells, boxes[pick], scratch);
        boxes[pick] = left;
        boxes.push_back(right);
    }
    std::vector<uint32_t> palette;
    for (const Box& b : boxes) {
        uint32_t rgb = 0;
        for (int ch = 0; ch < 3; ++ch) {
            uint64_t sum = 0;
            for (size_t i = b.begin; i < b.end; ++i)
                sum += uint64_t(Level(cells[i], ch)) * 4 * cells[i].count + cells[i].low_sum[size_t(ch)];
            rgb |= uint32_t((sum + b.count / 2) / b.count) << (16 - 8 * ch);
        }
        palette.push_back(rgb);
    }
    std::sort(palette.begin(), palette.end());
    return palette;
}

// The nearest palette entry of a colour (squared distance; equal distances
// go to the lower index). Colours are looked up through blocks of
// 16 × 16 × 16 values, each listing, once first asked, the entries that can
// be nearest for some colour inside it: those no farther from the block than
// the smallest distance within which some entry covers the whole block. The
// list runs from the nearest to the block outwards, so a search stops at the
// first entry whose distance to the block exceeds the best distance found.
class NearestEntry {
public:
    explicit NearestEntry(const std::vector<uint32_t>& palette) : count_(palette.size()) {
        // Missing entries sit far outside the colour cube, so they are never
        // candidates and the loops over all 256 need no check of the count.
        for (auto& channel : channels_) channel.fill(kFarAway);
        for (size_t e = 0; e < palette.size(); ++e)
            for (int c = 0; c < 3; ++c) channels_[size_t(c)][e] = Channel(palette[e], c);
    }

    uint8_t Find(uint32_t rgb) {
        if (rgb == last_rgb_) return last_;
        Block& block = blocks_[(rgb >> 12 & 0xF00) | (rgb >> 8 & 0xF0) | (rgb >> 4 & 0xF)];
        if (!block.built) Build(block, rgb);
        const int r = Channel(rgb, 0), g = Channel(rgb, 1), b = Channel(rgb, 2);
        int best_d = INT32_MAX, best = 0;
        for (uint32_t i = block.start; i < block.start + block.count; ++i) {
            const Candidate& c = pool_[i];
            if (c.to_block > best_d) break;
            const int d = (c.r - r) * (c.r - r) + (c.g - g) * (c.g - g) + (c.b - b) * (c.b - b);
            if (d < best_d || (d == best_d && c.entry < best)) best_d = d, best = c.entry;
        }
        last_rgb_ = rgb;
        return last_ = uint8_t(best);
    }

private:
    static constexpr int kFarAway = 4096;
    static constexpr int kBlockSide = 16;

    struct Block {
        uint32_t start = 0;  // of its candidates in the pool
        uint16_t count = 0;
        bool built = false;
    };
    struct Candidate {
        int to_block;  // squared distance from the entry to the block
        uint8_t entry, r, g, b;
        bool operator<(const Candidate& o) const {
            return to_block != o.to_block ? to_block < o.to_block : entry < o.entry;
        }
    };

    void Build(Block& block, uint32_t rgb) {
        std::array<int, 256> to_block{}, far{};
        for (int c = 0; c < 3; ++c) {
            const int lo = Channel(rgb, c) & ~(kBlockSide - 1), hi = lo + kBlockSide - 1;
            const std::array<int, 256>& v = channels_[size_t(c)];
            for (size_t e = 0; e < 256; ++e) {
                const int outside = std::max(lo - v[e], 0) + std::max(v[e] - hi, 0);
                const int farthest = std::max(v[e] - lo, hi - v[e]);
                to_block[e] += outside * outside;
                far[e] += farthest * farthest;
            }
        }
        int cover = INT32_MAX;
        for (size_t e = 0; e < 256; ++e) cover = std::min(cover, far[e]);
        block.start = uint32_t(pool_.size());
        for (size_t e = 0; e < count_; ++e)
            if (to_block[e] <= cover)
                pool_.push_back({to_block[e], uint8_t(e), uint8_t(channels_[0][e]), uint8_t(channels_[1][e]),
                                 uint8_t(channels_[2][e])});
        std::sort(pool_.begin() + long(block.start), pool_.end());
        block.count = uint16_t(pool_.size() - block.start);
        block.built = true;
    }

    size_t count_;
    std::array<std::array<int, 256>, 3> channels_;  // red, green, blue of each entry
    std::array<Block, 16 * 16 * 16> blocks_{};
    std::vector<Candidate> pool_;
    uint32_t last_rgb_ = kNoColour;
    uint8_t last_ = 0;
};

// A palette picture of fewer bits as an 8-bit one, same indices and palette.
TDIBSurface WidenTo8(const TDIBSurface& pic) {
    TDIBSurface out(pic.Width(), pic.Height(), 8);
    out.Palette() = pic.Palette();
    std::vector<uint32_t> row;
    for (int32_t y = 0; y < pic.Height(); ++y) {
        LoadRow(pic, y, row);
        std::copy(row.begin(), row.end(), out.Row(y));
    }
    return out;
}

int32_t ReduceToPalette(TDIBSurface& pic, int target_bits, int32_t key) {
    const size_t colours = size_t(1) << target_bits;
    if (pic.BitCount() <= 8) {
        std::array<bool, 256> used{};
        size_t n = 0;
        std::vector<uint32_t> row;
        for (int32_t y = 0; y < pic.Height(); ++y) {
            LoadRow(pic, y, row);
            for (uint32_t v : row) n += !std::exchange(used[v & 0xFF], true);
        }
        if (n <= colours) {
            if (pic.BitCount() < 8) pic = WidenTo8(pic);
            return key;
        }
    }
    // The key keeps an entry of its own, after the colours.
    const size_t budget = colours - (key != -1 ? 1 : 0);
    std::vector<uint32_t> palette;
    if (auto few = FewColours(pic, key, budget)) palette = std::move(*few);
    else palette = MedianCut(pic, key, budget);

    TDIBSurface out(pic.Width(), pic.Height(), 8);
    for (size_t i = 0; i < palette.size(); ++i) out.Palette()[i] = palette[i];
    const uint8_t key_index = uint8_t(palette.size());
    if (key != -1) out.Palette()[key_index] = PixelRgb(pic, uint32_t(key) & pic.Format().GetChannels().all);
    NearestEntry nearest(palette);
    ForEachPixel(
        pic, key,
        [&](int32_t x, int32_t y, uint32_t rgb) {
            out.Row(y)[x] = nearest.Find(rgb);
            return true;
        },
        [&](int32_t x, int32_t y) { out.Row(y)[x] = key_index; });
    pic = std::move(out);
    return key == -1 ? -1 : key_index;
}

// ---- ordered dither

// The 4 × 4 Bayer matrix: thresholds 0..15 placed so that each share of a
// flat area that goes up a level is spread evenly, with no visible pattern
// of lines.
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// For a channel of 5 or 6 bits: the level each 8-bit value takes at each
// threshold of the dither matrix. A value between the 8-bit values of levels
// L and L + 1 goes up when its distance above L, as a fraction of the step,
// exceeds (threshold + ½) / 16, so on average it keeps its brightness; values
// that are exactly a level never move.
struct LevelTable {
    std::array<uint8_t, 256> below{};  // the highest level not above the value
    std::array<std::array<uint8_t, 256>, 16> at{};  // by threshold, then value
    const uint8_t* expand;
    int top;

    LevelTable(int bits, const uint8_t* expansion) : expand(expansion), top((1 << bits) - 1) {
        for (int v = 0, l = 0; v < 256; ++v) {
            while (l < top && expand[l + 1] <= v) ++l;
            below[size_t(v)] = uint8_t(l);
        }
        for (int t = 0; t < 16; ++t)
            for (int v = 0; v < 256; ++v) {
                const int l = below[size_t(v)];
                const bool up = l < top && (v - expand[l]) * 32 > (2 * t + 1) * (expand[l + 1] - expand[l]);
                at[size_t(t)][size_t(v)] = uint8_t(up ? l + 1 : l);
            }
    }
    // The other level a value could have taken.
    int Other(int v, int level) const {
        const int l = below[size_t(v)];
        if (level != l) return l;
        return l < top ? l + 1 : l - 1;
    }
};

const LevelTable& Levels5() {
    static const LevelTable t(5, kExpand5.data());
    return t;
}
const LevelTable& Levels6() {
    static const LevelTable t(6, kExpand6.data());
    return t;
}

int32_t DitherToLevels(TDIBSurface& pic, int target_bits, int32_t key) {
    const std::array<const LevelTable*, 3> tables = {&Levels5(), target_bits == 16 ? &Levels6() : &Levels5(),
                                                     &Levels5()};
    const int stored = pic.Format().stored_bit_count;
    const uint32_t k = key == -1 ? kNoColour : uint32_t(key) & 0xFFFFFF;
    for (int32_t y = 0; y < pic.Height(); ++y) {
        uint8_t* row = pic.Row(y);
        for (int32_t x = 0; x < pic.Width(); ++x) {
            const uint32_t v = LoadPixel(row, x, stored) & 0xFFFFFF;
            if (v == k) continue;
            const int t = kBayer[y & 3][x & 3];
            std::array<int, 3> level;
            uint32_t out = 0;
            for (int c = 0; c < 3; ++c) {
                level[size_t(c)] = tables[size_t(c)]->at[size_t(t)][size_t(Channel(v, c))];
                out |= uint32_t(tables[size_t(c)]->expand[level[size_t(c)]]) << (16 - 8 * c);
            }
            if (out == k) {
                // A pixel that is not the key must not become it: blue
                // takes its other level.
                const int b = tables[2]->Other(Channel(v, 2), level[2]);
                out = (out & 0xFFFF00) | tables[2]->expand[b];
            }
            StorePixel(row, x, stored, out);
        }
    }
    return key;
}

}  // namespace

int32_t ReduceColours(TDIBSurface& picture, int target_bits, int32_t key) {
    if (picture.IsEmpty()) return key;
    if (target_bits >= 1 && target_bits <= 8) return ReduceToPalette(picture, target_bits, key);
    if ((target_bits == 15 || target_bits == 16) && picture.BitCount() >= 24)
        return DitherToLevels(picture, target_bits, key);
    return key;
}

}  // namespace mivo
