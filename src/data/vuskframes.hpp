#pragma once
// Layered images (".vkx"): a list of frames (animation cells), each a list of
// layers (bitmaps with name, visibility, opacity, transparent colour and an
// optional 8-bit alpha plane), composed into one picture per frame. Planes
// are zlib, raw or JPEG, in rows or blocks, and may be stored in an order
// derived from the game's identification code.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/streams.hpp"
#include "graphics/dibsurface.hpp"
#include "graphics/rect.hpp"

namespace mivo {

class TVuskFrame;

struct TVuskLayer {
    std::string name;
    bool visible = true;
    int32_t transparent_color = -1;  // native value or palette index; −1 none
    int32_t opacity = 255;
    bool alpha_flag = false;         // the alpha plane is in use
    TDIBSurface picture;
    std::optional<TDIBSurface> alpha;
};

class TVuskFrame {
public:
    std::string name;
    int32_t transparent_color = -1;      // as stored: native value or palette index
    int32_t transparent_rgb = -1;        // 0x00BBGGRR, derived after loading
    int32_t display_time = 100;
    uint8_t flags = 0;                   // preserved, not interpreted
    TDIBSurface picture;                 // the composed frame
    std::optional<TDIBSurface> alpha;    // 8 bits, same size
    RegionList regions1, regions2;
    std::vector<std::unique_ptr<TVuskLayer>> layers;  // bottom first
};

enum VuskCompression : uint8_t { kVuskZlib = 0, kVuskRaw = 1, kVuskJpeg = 2 };

struct VuskLoadOptions {
    bool first_frame_only = false;
    bool keep_layer_palettes = false;
    // Alpha from the transparent colour, then palette frames to 24 bits, or,
    // with a TargetBitCount, colours reduced for that screen.
    bool convert = false;
};

struct VuskSaveOptions {
    int compression = kVuskZlib;
    // Rows stored in the order of the identification code (needs a code ≠ 0).
    std::optional<bool> protect;  // default: protected when the code is not 0
    int jpeg_quality = 70;
};

class TVuskFrameList {
public:
    explicit TVuskFrameList(int32_t identification_code = 0) : ident_(identification_code) {}

    // ---- what the file said
    int32_t Version() const { return version_; }  // from the signature, 0 without one
    int32_t ContentsVersion() const { return contents_version_; }
    int32_t BackgroundColor = 0;      // 0x00BBGGRR, fills each frame first
    bool FirstLayerOpaque = false;    // the first visible layer ignores its transparent colour
    // The bit count of the screen the frames are for, 0 for none: when set,
    // loading with `convert` fits the frames' colours to it (ReduceFrameColours)
    // instead of making palette frames 24 bits.
    int TargetBitCount = 0;
    bool Protected() const { return protected_; }
    int Compression() const { return compression_; }
    int32_t BlockWidth() const { return block_w_; }
    int32_t BlockHeight() const { return block_h_; }
    int JpegQuality() const { return jpeg_quality_; }
    int32_t IdentificationCode() const { return ident_; }

    // ---- frames
    int Count() const { return int(frames_.size()); }
    TVuskFrame& GetFrame(int index);  // "Error:TVuskFrameList.GetFrame" outside the list
    const TVuskFrame& GetFrame(int index) const;
    TVuskFrame& AddFrame();
    void Clear() { frames_.clear(); }

    // ---- reading and writing
    void LoadFromBytes(const void* data, size_t size, const std::string& name, const VuskLoadOptions& options = {});
    void LoadFromStream(TStream& stream, const std::string& name, const VuskLoadOptions& options = {});
    std::string SaveToBytes(const VuskSaveOptions& options = {}) const;
    void SaveToStream(TStream& stream, const VuskSaveOptions& options = {}) const;
    // Through a temporary file in the same folder, renamed over the old one.
    void SaveToFile(const std::string& path, const VuskSaveOptions& options = {}) const;

private:
    friend class VuskReader;
    int32_t ident_;
    int32_t version_ = 0;
    int32_t contents_version_ = 0;
    bool protected_ = false;
    int compression_ = kVuskZlib;
    int32_t block_w_ = 0, block_h_ = 0;
    int jpeg_quality_ = 70;
    std::vector<std::unique_ptr<TVuskFrame>> frames_;
};

// The order of stored rows or blocks: n draws of the generator x := 5x + seed
// taking position (x mod remaining) of the list 0..n−1. Seed 0 gives the
// identity. O(n log n).
std::vector<uint32_t> VuskPermutation(uint32_t n, uint32_t seed);

// Composition of a frame from its layers (called by the reader), and the
// conversions the image cache asks for.
void ComposeFrame(TVuskFrame& frame, int32_t background_rgb, bool first_layer_opaque);
// An alpha plane 255 everywhere but 0 where the frame equals its transparent
// colour (frames that already have one are left alone); with layers too, each
// with its own transparent colour or the frame's.
void MakeAlphaFromTransparent(TVuskFrame& frame, bool layers_too);
// A palette frame becomes 24 bits; its transparent colour follows the first
// pixel that had it.
void ConvertFrameTo24(TVuskFrame& frame, bool layers_too);
// The frame's picture reduced for a screen of `target_bits` bits
// (ReduceColours), when it has an alpha plane or no transparent colour; with
// layers too, each under the same rule. A transparent colour follows the
// pixels that had it; alpha planes are not touched.
void ReduceFrameColours(TVuskFrame& frame, int target_bits, bool layers_too);
// The bounds of the frame's visible pixels (alpha above 0, or different from
// the transparent colour). When they are neither empty nor the whole
// picture, both region lists are cut to them (rectangles that become empty
// are dropped) and the bounds are returned.
std::optional<TRect> TrimToOpaqueBounds(TVuskFrame& frame);
// Background colour in a frame's pixel format (nearest palette entry for
// palette formats).
uint32_t NativeColour(const TDIBSurface& s, int32_t rgb);

}  // namespace mivo
