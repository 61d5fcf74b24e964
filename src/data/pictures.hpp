#pragma once
// The one way pictures reach surfaces: layered images, BMP, PNG and JPEG
// recognised by their first bytes (never by the name), decoded to frames and
// copied onto a surface in the surface's own pixel format.
#include <cstdint>
#include <string>

#include "data/streams.hpp"
#include "data/vuskframes.hpp"
#include "graphics/dibx.hpp"

namespace mivo {

// Layered images as they are; BMP, PNG and JPEG as one frame without layers
// (a 24-bit picture, with an alpha plane when the file has one). Throws a
// FormatError naming the file for unknown or damaged data.
TVuskFrameList LoadPictureFrames(const void* data, size_t size, const std::string& name, int32_t ident = 0,
                                 const VuskLoadOptions& options = {});

// A frame onto a surface: the surface keeps its bit count and takes the
// frame's size; 32-bit pixels get their fourth byte 0. The frame's alpha
// plane goes into `alpha` (8 bits) when given, and the surface's
// transparent colour and region lists become the frame's (a frame without
// lists leaves the surface without lists).
void CopyFrameToSurface(const TVuskFrame& frame, TCustomDIBX& surface, TDIBX* alpha = nullptr);

// Loads a picture's bytes onto a surface (frame `frame` of a layered image).
// Data of no known kind leaves the surface unchanged and returns false;
// damaged data throws.
bool LoadPicture(TCustomDIBX& surface, const void* data, size_t size, const std::string& name, int32_t ident = 0,
                 TDIBX* alpha = nullptr, int frame = 0);
bool LoadFromStream(TCustomDIBX& surface, TStream& stream, int32_t ident, TDIBX* alpha = nullptr);

// Files named *.bmp (any case) only, as the surfaces' own file format; a
// missing file or another extension does nothing and returns false.
bool LoadFromFile(TCustomDIBX& surface, const std::string& path);
bool SaveToFile(TCustomDIBX& surface, const std::string& path);

// The surface's pixels as a bitmap of its format (for encoders).
TDIBSurface SurfacePixels(TCustomDIBX& surface);

}  // namespace mivo
