#include "shell/game_session.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/error.hpp"
#include "platform/text_encoding.hpp"
#include "shell/archive_discovery.hpp"

namespace mivo {

std::string ExitQuestion(const std::string& project) {
    const char* vars[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::string lang;
    for (const char* v : vars)
        if (const char* s = std::getenv(v); s && *s) {
            lang = s;
            break;
        }
    if (lang.rfind("ja", 0) == 0) return "「" + project + "」を終了しますか？";
    return "Do you want to exit " + project + "?";
}

GameSession::GameSession(const PlayerOptions& options, IDialogs& dialogs) : options_(options), dialogs_(dialogs) {
    std::string cwd = std::filesystem::current_path().string();
    files_.AddEmptyArchive();  // receives files restored from saved games
    DiscoveryResult found = DiscoverArchives(files_, options.data, cwd);
    std::function<void(const std::string&)> trace;
    if (options.trace) trace = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    ProjectContext ctx{files_, vars_, funcs_, dialogs_, state, !options.data.empty(), cwd, trace,
                       [this] { state.terminate = true; }, nullptr,
                       [this](int32_t x, int32_t y) {
                           if (window_) window_->MoveCursor(x, y);
                       }};
    project_ = std::make_unique<TProject>(ctx);
    const TProjectSetting& s = project_->Setting();
    if (s.screen_width <= 0 || s.screen_height <= 0 || s.screen_width > 8192 || s.screen_height > 8192)
        throw Error("mivo.zpb: screen size " + std::to_string(s.screen_width) + " x " + std::to_string(s.screen_height) +
                    " cannot be shown");
    screen_ = std::make_unique<TScreenManager>(s.screen_width, s.screen_height, s.full_width, s.full_height);
}

GameSession::~GameSession() { Shutdown(); }

void GameSession::Shutdown() {
    if (project_) project_->Shutdown();
}

std::string GameSession::ProjectNameUtf8() const { return SjisToUtf8(project_->Setting().name); }

bool GameSession::RanOut() {
    TCallMan& cm = project_->CallMan();
    return !cm.page && cm.stack.Empty() && cm.mode == 0 && project_->Events().Size() == 0;
}

void GameSession::FrameStep(IWindow* window) {
    // 1. Working files queued for deletion.
    files_.DeleteQueuedFiles();
    // 2. Input: this frame's clicks and keys.
    state.input.Latch();
    // 3. The interpreter.
    ++project_->update_count;
    project_->Step();
    if (state.terminate) return;
    // 4. The components move (with the component world).
    // 5. Saves and loads; the frame after a load is not drawn.
    if (project_->ServiceRequests()) skip_draw_ = 1;
    // 6. Drawing.
    if (skip_draw_ >= 1) {
        --skip_draw_;
        return;
    }
    if (window) screen_->Present(*window);
}

void GameSession::HandleEvent(const WindowEvent& e, IWindow* window) {
    InputState& in = state.input;
    bool pauses = project_->Setting().pause_inactive != 0;
    switch (e.kind) {
        case WindowEvent::Close: state.terminate = true; break;
        case WindowEvent::ExitRequest: {
            bool saved = state.terminate;
            state.terminate = true;
            std::string name = ProjectNameUtf8();
            if (dialogs_.Show(ExitQuestion(name), name, MsgButtons::YesNo, MsgIcon::Question, MsgResult::Yes) !=
                MsgResult::Yes)
                state.terminate = saved;
            break;
        }
        case WindowEvent::MouseMove:
            in.mouse_x = e.x;
            in.mouse_y = e.y;
            break;
        case WindowEvent::MouseDown:
            if (!active) break;
            if (e.x >= 0) in.mouse_x = e.x, in.mouse_y = e.y;
            in.left_held = e.button == 1;
            in.right_held = e.button == 2;
            in.left_press_pending = e.button == 1;
            in.right_press_pending = e.button == 2;
            break;
        case WindowEvent::MouseUp: in.left_held = in.right_held = false; break;
        case WindowEvent::Wheel:
            if (e.wheel < 0) in.wheel_down_pending = true;
            if (e.wheel > 0) in.wheel_up_pending = true;
            break;
        case WindowEvent::KeyDown:
            // A held key types once; the system's repeats are not keys.
            if (active && !e.repeat) in.SetKey(e.key, true);
            break;
        case WindowEvent::KeyUp: in.SetKey(e.key, false); break;
        case WindowEvent::Deactivated:
            if (!pauses) break;
            active = false;
            in.ClearKeys();
            break;
        case WindowEvent::Activated:
            active = true;
            if (window) state.clock.Resume(static_cast<int64_t>(window->Ticks()));
            break;
        case WindowEvent::ToggleFullScreen:
            if (window) {
                window->SetFullScreen(!window->IsFullScreen());
                state.full_screen = window->IsFullScreen();
                screen_->InvalidateAll();
            }
            break;
        default: break;
    }
}

}  // namespace mivo
