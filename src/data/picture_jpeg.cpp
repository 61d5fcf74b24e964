// JPEG through libjpeg: decoding to blue, green, red rows and encoding at a
// given quality. libjpeg reports errors through a long jump; every jump
// target below holds no object with a destructor between setjmp and the
// library calls.
#include <cstdio>
#include <csetjmp>
#include <jpeglib.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/error.hpp"
#include "data/picture_codecs.hpp"

namespace mivo {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr, int) {}

// Errors jump back to the caller's setjmp; warnings are dropped.
jpeg_error_mgr* Install(ErrorManager& err) {
    jpeg_error_mgr* mgr = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    return mgr;
}

// Reads header and pixels into rgb (w × h × 3); false with err.message set on failure.
bool DecodeRaw(const unsigned char* data, unsigned long size, std::vector<uint8_t>& rgb, uint32_t& w, uint32_t& h,
               ErrorManager& err, const std::string& name, std::string& size_error) {
    jpeg_decompress_struct cinfo;
    cinfo.err = Install(err);
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    try {
        CheckPictureSize(cinfo.image_width, cinfo.image_height, name);
    } catch (const Error& e) {
        size_error = e.what();
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    w = cinfo.output_width;
    h = cinfo.output_height;
    rgb.resize(size_t(w) * h * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rgb.data() + size_t(cinfo.output_scanline) * w * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool EncodeRaw(const uint8_t* rgb, uint32_t w, uint32_t h, int quality, unsigned char** out, unsigned long* out_size,
               ErrorManager& err) {
    jpeg_compress_struct cinfo;
    cinfo.err = Install(err);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, out_size);
    cinfo.image_width = w;
    cinfo.image_height = h;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(rgb) + size_t(cinfo.next_scanline) * w * 3;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

DecodedPicture DecodeJpeg(const void* data, size_t size, const std::string& name) {
    std::vector<uint8_t> rgb;
    uint32_t w = 0, h = 0;
    ErrorManager err{};
    std::string size_error;
    if (!DecodeRaw(static_cast<const unsigned char*>(data), static_cast<unsigned long>(size), rgb, w, h, err, name,
                   size_error)) {
        if (!size_error.empty()) throw FormatError(size_error);
        throw FormatError(name + ": damaged JPEG data (" + err.message + ")");
    }
    DecodedPicture out;
    out.pixels.SetSize(int32_t(w), int32_t(h), 24);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = rgb.data() + size_t(y) * w * 3;
        uint8_t* d = out.pixels.Row(int32_t(y));
        for (uint32_t x = 0; x < w; ++x) {
            d[3 * x] = s[3 * x + 2];
            d[3 * x + 1] = s[3 * x + 1];
            d[3 * x + 2] = s[3 * x];
        }
    }
    return out;
}

std::string EncodeJpeg(const TDIBSurface& pixels, int quality) {
    const TDIBSurface src = ConvertTo24(pixels);
    const uint32_t w = uint32_t(src.Width()), h = uint32_t(src.Height());
    if (w == 0 || h == 0) throw Error("cannot encode an empty picture as JPEG");
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = src.Row(int32_t(y));
        uint8_t* d = rgb.data() + size_t(y) * w * 3;
        for (uint32_t x = 0; x < w; ++x) {
            d[3 * x] = s[3 * x + 2];
            d[3 * x + 1] = s[3 * x + 1];
            d[3 * x + 2] = s[3 * x];
        }
    }
    unsigned char* out = nullptr;
    unsigned long out_size = 0;
    ErrorManager err{};
    const bool ok = EncodeRaw(rgb.data(), w, h, std::clamp(quality, 1, 100), &out, &out_size, err);
    std::string bytes = ok ? std::string(reinterpret_cast<char*>(out), out_size) : std::string();
    std::free(out);
    if (!ok) throw Error(std::string("JPEG encoding failed: ") + err.message);
    return bytes;
}

}  // namespace mivo
