#include "shell/input_script.hpp"

#include <cstdlib>
#include <sstream>

#include "core/error.hpp"
#include "data/streams.hpp"

namespace mivo {

namespace {

long long Number(const std::string& s, const std::string& where) {
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, 0);
    if (s.empty() || *end) throw FormatError(where + ": expected a number, not '" + s + "'");
    return v;
}

int Button(const std::string& s, const std::string& where) {
    if (s == "left") return 1;
    if (s == "right") return 2;
    if (s == "middle") return 3;
    throw FormatError(where + ": button is left, right or middle");
}

}  // namespace

InputScript InputScript::Parse(std::string_view text, const std::string& source) {
    InputScript script;
    std::istringstream in{std::string(text)};
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::string where = source + ":" + std::to_string(number);
        if (auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string x; words >> x;) w.push_back(x);
        if (w.empty()) continue;
        if (w.size() < 2) throw FormatError(where + ": FRAME EVENT [ARGUMENTS]");
        long long frame = Number(w[0], where);
        if (frame < 1) throw FormatError(where + ": frames count from 1");
        const std::string& ev = w[1];
        auto need = [&](size_t n) {
            if (w.size() != n + 2) throw FormatError(where + ": " + ev + " takes " + std::to_string(n) + " argument(s)");
        };
        auto add = [&](long long f, WindowEvent e) { script.events_[f].push_back(e); };
        auto move = [&](long long f, int32_t x, int32_t y) {
            WindowEvent e{WindowEvent::MouseMove};
            e.x = x;
            e.y = y;
            add(f, e);
        };
        WindowEvent e;
        if (ev == "move") {
            need(2);
            move(frame, static_cast<int32_t>(Number(w[2], where)), static_cast<int32_t>(Number(w[3], where)));
        } else if (ev == "down" || ev == "up") {
            need(1);
            e.kind = ev == "down" ? WindowEvent::MouseDown : WindowEvent::MouseUp;
            e.button = Button(w[2], where);
            e.x = e.y = -1;  // at the pointer
            add(frame, e);
        } else if (ev == "click") {
            if (w.size() != 4 && w.size() != 5) throw FormatError(where + ": click X Y [BUTTON]");
            int32_t x = static_cast<int32_t>(Number(w[2], where)), y = static_cast<int32_t>(Number(w[3], where));
            int button = w.size() == 5 ? Button(w[4], where) : 1;
            move(frame, x, y);
            e.kind = WindowEvent::MouseDown;
            e.button = button;
            e.x = x;
            e.y = y;
            add(frame, e);
            e.kind = WindowEvent::MouseUp;
            add(frame + 1, e);
        } else if (ev == "wheel") {
            need(1);
            e.kind = WindowEvent::Wheel;
            e.wheel = static_cast<int>(Number(w[2], where));
            add(frame, e);
        } else if (ev == "key" || ev == "keydown" || ev == "keyup") {
            need(1);
            e.key = static_cast<int>(Number(w[2], where));
            if (e.key <= 0 || e.key > 255) throw FormatError(where + ": key codes are 1 to 255");
            e.kind = ev == "keyup" ? WindowEvent::KeyUp : WindowEvent::KeyDown;
            add(frame, e);
            if (ev == "key") {
                e.kind = WindowEvent::KeyUp;
                add(frame + 1, e);
            }
        } else if (ev == "close") {
            need(0);
            add(frame, WindowEvent{WindowEvent::Close});
        } else {
            throw FormatError(where + ": unknown event " + ev);
        }
    }
    return script;
}

InputScript InputScript::Load(const std::string& path) {
    TMemoryStream m;
    m.LoadFromFile(path);
    return Parse(m.Bytes(), path);
}

const std::vector<WindowEvent>& InputScript::At(long long frame) const {
    static const std::vector<WindowEvent> none;
    auto it = events_.find(frame);
    return it == events_.end() ? none : it->second;
}

}  // namespace mivo
