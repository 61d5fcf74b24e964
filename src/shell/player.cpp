#include "shell/player.hpp"

#include <cstdio>
#include <ctime>
#include <filesystem>

#include "core/error.hpp"
#include "data/atomic_file.hpp"
#include "data/picture_codecs.hpp"
#include "platform/instance_lock.hpp"
#include "platform/sdl_window.hpp"
#include "platform/text_encoding.hpp"
#include "script/var_listing.hpp"
#include "shell/archive_discovery.hpp"
#include "shell/game_session.hpp"
#include "shell/input_script.hpp"

namespace mivo {

namespace {

void WritePng(const std::string& path, const TDIBSurface& picture) {
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    WriteFileAtomically(path, EncodePng(picture));
}

// The window's own picture (what a person sees), as PNG.
void WriteWindowPng(IWindow& window, const std::string& path) {
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    if (!window.ReadBack(px, w, h) || w <= 0 || h <= 0) throw Error(path + ": the window's picture cannot be read");
    TDIBSurface s(w, h, 32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.SetPixel(x, y, px[static_cast<size_t>(y) * w + x] & 0xFFFFFF);
    WritePng(path, s);
}

std::string TimestampedName() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char b[64];
    std::strftime(b, sizeof b, "mivoplayer-%Y%m%d-%H%M%S.png", &tm);
    return b;
}

// The data folder is taken by another player: say so once and stop.
bool TakeLock(const PlayerOptions& options, std::unique_ptr<InstanceLock>& lock) {
    std::string dir = options.data.empty() ? std::filesystem::current_path().string()
                      : std::filesystem::is_directory(options.data[0])
                          ? options.data[0]
                          : std::filesystem::path(options.data[0]).parent_path().string();
    lock = std::make_unique<InstanceLock>(dir.empty() ? "." : dir);
    if (lock->Held()) return true;
    std::fprintf(stderr, "mivoplayer: another player is running on %s\n", dir.c_str());
    return false;
}

void PrintVars(GameSession& game) {
    for (const std::string& line : script::GameVariableLines(game.Vars())) std::printf("%s\n", SjisToUtf8(line).c_str());
    std::fflush(stdout);
}

}  // namespace

int RunHeadless(const PlayerOptions& options) {
    std::unique_ptr<InstanceLock> lock;
    if (!TakeLock(options, lock)) return 1;
    StderrDialogs dialogs;
    std::unique_ptr<GameSession> game;
    InputScript input;
    try {
        if (!options.input.empty()) input = InputScript::Load(options.input);
        game = std::make_unique<GameSession>(options, dialogs);
    } catch (const std::exception& e) {
        dialogs.Show(e.what(), "警告", MsgButtons::Ok, MsgIcon::Warning, MsgResult::Ok);
        return 1;
    }
    // Frames at a fixed 16 ms; the input script is replayed before its frames.
    long long frame = 0;
    while (!game->state.terminate) {
        if (options.frames >= 0 && frame >= options.frames) break;
        if (options.frames < 0 && frame >= input.LastFrame() && game->RanOut()) break;
        ++frame;
        for (const WindowEvent& e : input.At(frame)) game->HandleEvent(e, nullptr);
        game->state.clock.Step(GameClock::kFramePeriod);
        game->FrameStep(nullptr);
        if (options.screenshot_every > 0 && frame % options.screenshot_every == 0) {
            char name[32];
            std::snprintf(name, sizeof name, "frame%06lld.png", frame);
            WritePng((std::filesystem::path(options.screenshot_dir) / name).string(), game->Screen().Screen().Bitmap());
        }
    }
    game->Shutdown();
    if (!options.screenshot.empty()) WritePng(options.screenshot, game->Screen().Screen().Bitmap());
    if (options.print_vars) PrintVars(*game);
    return 0;
}

int RunWindowed(const PlayerOptions& options) {
    std::unique_ptr<InstanceLock> lock;
    if (!TakeLock(options, lock)) return 1;
    StderrDialogs console;
    std::unique_ptr<GameSession> game;
    std::unique_ptr<SdlWindow> window;
    // Messages of the start go to the window once it is open; before, the
    // game's own start-up errors are shown in one.
    struct Relay : IDialogs {
        IDialogs* to = nullptr;
        MsgResult Show(const std::string& t, const std::string& c, MsgButtons b, MsgIcon i, MsgResult d) override {
            return to ? to->Show(t, c, b, i, d) : StderrDialogs().Show(t, c, b, i, d);
        }
    } relay;
    try {
        game = std::make_unique<GameSession>(options, relay);
        const TProjectSetting& s = game->Project().Setting();
        WindowOptions wo;
        wo.title = game->ProjectNameUtf8();
        wo.game_width = s.screen_width;
        wo.game_height = s.screen_height;
        wo.toolbar = s.toolbar != 0;
        wo.scale = options.scale;
        wo.integer_scale = options.integer_scale;
        wo.full_screen = options.full_screen;
        wo.renderer = options.renderer;
        window = SdlWindow::Create(wo);
        relay.to = window.get();
        game->AttachWindow(window.get());
        game->Screen().SetModes(window->DisplayModes(), 32);
        game->state.full_screen = window->IsFullScreen();
    } catch (const std::exception& e) {
        console.Show(e.what(), "警告", MsgButtons::Ok, MsgIcon::Warning, MsgResult::Ok);
        return 1;
    }

    // One driver: real time, added once per frame; long stalls are dropped.
    GameClock& clock = game->state.clock;
    clock.Start(static_cast<int64_t>(window->Ticks()));
    long long frame = 0;
    int64_t rate_start = static_cast<int64_t>(window->Ticks());
    while (!game->state.terminate) {
        WindowEvent e;
        while (window->Poll(e)) {
            if (e.kind == WindowEvent::Screenshot) {
                std::string path = (std::filesystem::path(PicturesFolder()) / TimestampedName()).string();
                try {
                    WriteWindowPng(*window, path);
                    std::fprintf(stderr, "mivoplayer: screenshot %s\n", path.c_str());
                } catch (const std::exception& ex) {
                    std::fprintf(stderr, "mivoplayer: %s\n", ex.what());
                }
                continue;
            }
            game->HandleEvent(e, window.get());
        }
        if (game->state.terminate) break;
        if (!game->active) {
            window->Wait(100);
            continue;
        }
        int64_t start = static_cast<int64_t>(window->Ticks());
        if (clock.Advance(start)) {
            game->FrameStep(window.get());
            ++frame;
            if (options.frames >= 0 && frame >= options.frames) break;
        }
        // The frame rate, over windows of two seconds.
        if (int64_t elapsed = start - rate_start; elapsed >= 2000) {
            TScreenManager& screen = game->Screen();
            screen.frame_rate = screen.present_count * 1000.0 / static_cast<double>(elapsed);
            screen.present_count = 0;
            rate_start = start;
        }
        window->Wait(GameClock::PacingSleep(start, static_cast<int64_t>(window->Ticks())));
    }
    game->Shutdown();
    game->AttachWindow(nullptr);
    int status = 0;
    if (!options.screenshot.empty()) {
        try {
            WriteWindowPng(*window, options.screenshot);
        } catch (const std::exception& ex) {
            std::fprintf(stderr, "mivoplayer: %s\n", ex.what());
            status = 1;
        }
    }
    if (options.print_vars) PrintVars(*game);
    return status;
}

}  // namespace mivo
