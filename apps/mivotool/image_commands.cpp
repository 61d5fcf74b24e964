// mivotool image: pictures and layered images to PNG and back, and a look
// inside layered images.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "core/error.hpp"
#include "data/colour_reduce.hpp"
#include "data/picture_codecs.hpp"
#include "data/pictures.hpp"
#include "data/vuskframes.hpp"
#include "platform/text_encoding.hpp"
#include "tool.hpp"

namespace mivotool {

namespace {

using namespace mivo;

const char kHelp[] =
    "usage: mivotool image topng IN.vkx|IN.bmp|IN.png|IN.jpg OUT.png [--frame N] [--ident CODE]\n"
    "                   [--dither BITS]\n"
    "       mivotool image tovkx IN.png|IN.bmp|IN.jpg OUT.vkx [--jpeg] [--key COLOUR] [--ident CODE]\n"
    "       mivotool image info FILE [--ident CODE]\n"
    "\n"
    "topng writes one composed frame (default 0) as PNG, with its alpha plane;\n"
    "--dither shows its colours as fitted to a screen of BITS bits: 1-8 at most\n"
    "2^BITS colours, 15 and 16 dithered to the screen's levels, 24 and 32 as is.\n"
    "tovkx writes a one-frame layered image; --jpeg stores the colour plane as\n"
    "JPEG, --key sets the transparent colour (#RRGGBB), --ident protects the\n"
    "planes with the game's identification code.\n"
    "info lists the frames, layers, sizes and flags. Pictures are recognised by\n"
    "their contents, not their names.\n";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error(path + ": cannot open");
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw Error(path + ": cannot write");
}

int64_t ParseInt(const std::string& s, const char* what) {
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, 0);
    if (s.empty() || *end) throw UsageError(std::string("bad ") + what + " '" + s + "'");
    return v;
}

// "#RRGGBB" or a number in the system's 0x00BBGGRR form.
int32_t ParseColour(const std::string& s) {
    if (s.size() == 7 && s[0] == '#') {
        const int64_t rgb = ParseInt("0x" + s.substr(1), "colour");
        return int32_t(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
    }
    const int64_t v = ParseInt(s, "colour");
    if (v < 0 || v > 0xFFFFFF) throw UsageError("colour out of range '" + s + "'");
    return int32_t(v);
}

struct Options {
    std::vector<std::string> files;
    int frame = 0;
    bool jpeg = false;
    int32_t key = -1;
    int32_t ident = 0;
    int dither = 0;  // screen bit count, 0 for none
};

int ParseDither(const std::string& s) {
    const int64_t bits = ParseInt(s, "dither bit count");
    if ((bits < 1 || bits > 8) && bits != 15 && bits != 16 && bits != 24 && bits != 32)
        throw UsageError("dither bit count '" + s + "' is not 1-8, 15, 16, 24 or 32");
    return int(bits);
}

Options Parse(const Args& args, size_t first) {
    Options o;
    for (size_t i = first; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
            return args[++i];
        };
        if (a == "--frame") o.frame = int(ParseInt(value(), "frame"));
        else if (a == "--jpeg") o.jpeg = true;
        else if (a == "--key") o.key = ParseColour(value());
        else if (a == "--ident") o.ident = int32_t(ParseInt(value(), "identification code"));
        else if (a == "--dither") o.dither = ParseDither(value());
        else if (a.size() > 1 && a[0] == '-') throw UsageError("unknown option " + a);
        else o.files.push_back(a);
    }
    return o;
}

int ToPng(const Options& o) {
    if (o.files.size() != 2) throw UsageError("topng takes IN and OUT");
    const std::string bytes = ReadAll(o.files[0]);
    TVuskFrameList list = LoadPictureFrames(bytes.data(), bytes.size(), o.files[0], o.ident);
    if (o.frame < 0 || o.frame >= list.Count())
        throw Error(o.files[0] + ": no frame " + std::to_string(o.frame) + " (it has " + std::to_string(list.Count()) + ")");
    TVuskFrame& f = list.GetFrame(o.frame);
    if (o.dither) f.transparent_color = ReduceColours(f.picture, o.dither, f.transparent_color);
    WriteAll(o.files[1], EncodePng(ConvertTo24(f.picture), f.alpha ? &*f.alpha : nullptr));
    return kOk;
}

int ToVkx(const Options& o) {
    if (o.files.size() != 2) throw UsageError("tovkx takes IN and OUT");
    const std::string bytes = ReadAll(o.files[0]);
    TVuskFrameList list = LoadPictureFrames(bytes.data(), bytes.size(), o.files[0], o.ident);
    TVuskFrameList out(o.ident);
    for (int i = 0; i < list.Count(); ++i) {
        TVuskFrame& src = list.GetFrame(i);
        TVuskFrame& f = out.AddFrame();
        f.name = src.name;
        f.display_time = src.display_time;
        f.picture = src.picture.BitCount() >= 15 ? src.picture : ConvertTo24(src.picture);
        f.alpha = src.alpha;
        f.regions1 = src.regions1;
        f.regions2 = src.regions2;
        if (o.key != -1) {
            f.transparent_rgb = o.key;
            f.transparent_color = ColorToPixel(f.picture.Format(), o.key);
        }
    }
    VuskSaveOptions save;
    save.compression = o.jpeg ? kVuskJpeg : kVuskZlib;
    if (o.jpeg && o.ident != 0)
        std::fprintf(stderr, "mivotool image: protected planes are stored uncompressed; --jpeg has no effect\n");
    WriteAll(o.files[1], out.SaveToBytes(save));
    return kOk;
}

const char* CompressionName(int kind) {
    switch (kind) {
        case kVuskZlib: return "zlib (\"通常圧縮\")";
        case kVuskRaw: return "raw (\"無圧縮\")";
        default: return "JPEG (\"不可逆圧縮\")";
    }
}

std::string Pixel(int32_t v) {
    if (v == -1) return "none";
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", unsigned(v));
    return buf;
}

// 0x00BBGGRR as #RRGGBB.
std::string Colour(int32_t v) {
    if (v == -1) return "none";
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", unsigned(v & 0xFF), unsigned((v >> 8) & 0xFF),
                  unsigned((v >> 16) & 0xFF));
    return buf;
}

int Info(const Options& o) {
    if (o.files.size() != 1) throw UsageError("info takes one FILE");
    const std::string bytes = ReadAll(o.files[0]);
    const PictureKind kind = DetectPicture(bytes.data(), bytes.size());
    const TVuskFrameList list = LoadPictureFrames(bytes.data(), bytes.size(), o.files[0], o.ident);
    const char* kinds[] = {"unknown", "layered image", "BMP", "PNG", "JPEG"};
    std::printf("%s: %s\n", o.files[0].c_str(), kinds[int(kind)]);
    if (kind == PictureKind::LayeredImage) {
        std::printf("version %d (contents %d), %s, %s, blocks %dx%d, background %s, first layer opaque %s\n",
                    list.Version(), list.ContentsVersion(), CompressionName(list.Compression()),
                    list.Protected() ? "protected" : "not protected", list.BlockWidth(), list.BlockHeight(),
                    Colour(list.BackgroundColor).c_str(), list.FirstLayerOpaque ? "yes" : "no");
    }
    std::printf("%d frame(s)\n", list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        const TVuskFrame& f = list.GetFrame(i);
        std::printf("frame %d \"%s\": %dx%d, %d bits, transparent pixel %s (colour %s), time %d, flags 0x%02X, alpha %s",
                    i, SjisToUtf8(f.name).c_str(), f.picture.Width(), f.picture.Height(), f.picture.BitCount(),
                    Pixel(f.transparent_color).c_str(), Colour(f.transparent_rgb).c_str(), f.display_time, f.flags,
                    f.alpha ? "yes" : "no");
        auto regions = [](const RegionList& r) { return r ? std::to_string(r->size()) : std::string("none"); };
        std::printf(", regions %s/%s\n", regions(f.regions1).c_str(), regions(f.regions2).c_str());
        for (size_t k = 0; k < f.layers.size(); ++k) {
            const TVuskLayer& l = *f.layers[k];
            std::printf("  layer %zu \"%s\": %s, opacity %d, transparent %s, alpha plane %s%s\n", k,
                        SjisToUtf8(l.name).c_str(), l.visible ? "visible" : "hidden", l.opacity,
                        Pixel(l.transparent_color).c_str(), l.alpha ? "yes" : "no",
                        l.alpha && l.alpha_flag ? " (in use)" : "");
        }
    }
    return kOk;
}

int RunImage(const Args& args) {
    if (args.empty()) throw UsageError("missing subcommand");
    const Options o = Parse(args, 1);
    if (args[0] == "topng") return ToPng(o);
    if (args[0] == "tovkx") return ToVkx(o);
    if (args[0] == "info") return Info(o);
    throw UsageError("unknown subcommand '" + args[0] + "'");
}

}  // namespace

const std::vector<Command>& ImageCommands() {
    static const std::vector<Command> commands = {
        {"image", "pictures and layered images: topng, tovkx, info", kHelp, RunImage},
    };
    return commands;
}

}  // namespace mivotool
