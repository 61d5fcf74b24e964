#include "shell/command_line.hpp"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "core/sjis.hpp"

namespace mivo {

const char* PlayerUsage() {
    return "usage: mivoplayer [OPTIONS] [DATA_DIR_OR_FILE...]\n"
           "       mivoplayer /config\n\n"
           "Runs the game found in the first folder or file given (its game.dat, an\n"
           "archive appended to a program file, or loose files), or in the current\n"
           "folder. Further folders and files add their archives.\n\n"
           "Options:\n"
           "  --headless        no window and no sound device; the game clock advances\n"
           "                    16 ms per frame and message boxes print to stderr\n"
           "  --frames N        stop after N frame steps\n"
           "  --trace           the interpreter's trace lines on stderr\n"
           "  --print-vars      at exit, every game variable as NAME<TAB>VALUE\n"
           "  --savedir DIR     where save.dat lives\n"
           "  --screenshot FILE the screen at exit, as PNG (the window's own picture\n"
           "                    when a window is open)\n"
           "  --screenshot-every K DIR  the screen every K frames, as DIR/frameNNNNNN.png\n"
           "  --input FILE      scripted mouse and key events by frame (headless)\n"
           "  --scale N         window size as N times the game screen\n"
           "  --fullscreen      start in full screen (Alt+Enter or F11 switch)\n"
           "  --integer-scale   scale the picture by whole multiples only\n"
           "  --renderer NAME   auto, software or accelerated\n"
           "  --help            this text\n"
           "  --version         the version\n";
}

namespace {
// A whole number within [lo, hi], or the usage error.
long long Count(const std::string& option, const std::string& v, long long lo, long long hi) {
    char* end = nullptr;
    long long n = std::strtoll(v.c_str(), &end, 10);
    if (v.empty() || *end || n < lo || n > hi) throw std::invalid_argument(option + " needs a number, not " + v);
    return n;
}
}  // namespace

PlayerOptions ParsePlayerOptions(const std::vector<std::string>& args) {
    PlayerOptions o;
    if (!args.empty() && sjis::SameText(args[0], "/config")) {
        o.config = true;
        return o;
    }
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
            return args[++i];
        };
        if (a == "--headless") {
            o.headless = true;
        } else if (a == "--frames") {
            o.frames = Count(a, value(), 0, INT64_MAX);
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--print-vars") {
            o.print_vars = true;
        } else if (a == "--savedir") {
            o.savedir = value();
        } else if (a == "--screenshot") {
            o.screenshot = value();
        } else if (a == "--screenshot-every") {
            o.screenshot_every = Count(a, value(), 1, INT64_MAX);
            o.screenshot_dir = value();
        } else if (a == "--input") {
            o.input = value();
        } else if (a == "--scale") {
            o.scale = static_cast<int>(Count(a, value(), 1, 8));
        } else if (a == "--integer-scale") {
            o.integer_scale = true;
        } else if (a == "--fullscreen") {
            o.full_screen = true;
        } else if (a == "--renderer") {
            o.renderer = value();
            if (o.renderer != "auto" && o.renderer != "software" && o.renderer != "accelerated")
                throw std::invalid_argument("--renderer is auto, software or accelerated");
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            throw std::invalid_argument("unknown option " + a);
        } else {
            o.data.push_back(a);
        }
    }
    return o;
}

std::string DefaultSaveFolder(const std::string& project_utf8) {
    std::string base;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x == '/') {
        base = x;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/tmp") + "/.local/share";
    }
    std::string name;
    for (char c : project_utf8) name.push_back(c == '/' || c == '\\' || c == '\0' ? '_' : c);
    if (name.empty() || name == "." || name == "..") name = "_";
    return base + "/mivoplayer/" + name;
}

std::string PicturesFolder() {
    if (const char* x = std::getenv("XDG_PICTURES_DIR"); x && *x == '/') return x;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/Pictures";
}

}  // namespace mivo
