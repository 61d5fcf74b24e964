#include "shell/command_line.hpp"

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
            const std::string& v = value();
            char* end = nullptr;
            o.frames = std::strtoll(v.c_str(), &end, 10);
            if (v.empty() || *end || o.frames < 0) throw std::invalid_argument("--frames needs a count, not " + v);
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--print-vars") {
            o.print_vars = true;
        } else if (a == "--savedir") {
            o.savedir = value();
        } else if (a == "--screenshot") {
            o.screenshot = value();
        } else if (a == "--screenshot-every") {
            const std::string& k = value();
            char* end = nullptr;
            o.screenshot_every = std::strtoll(k.c_str(), &end, 10);
            if (k.empty() || *end || o.screenshot_every <= 0)
                throw std::invalid_argument("--screenshot-every needs a frame count, not " + k);
            o.screenshot_dir = value();
        } else if (a == "--input") {
            o.input = value();
        } else if (a == "--scale") {
            const std::string& v = value();
            char* end = nullptr;
            long n = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || n < 1 || n > 8) throw std::invalid_argument("--scale takes 1 to 8, not " + v);
            o.scale = static_cast<int>(n);
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
