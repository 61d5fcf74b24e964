#pragma once
// One run of a game: the data, the variables, the project and the screen,
// and the frame step that moves them all, shared by the window and the
// headless player.
#include <memory>
#include <string>

#include "core/dialogs.hpp"
#include "core/game_clock.hpp"
#include "core/window.hpp"
#include "data/vrfiles.hpp"
#include "graphics/screen_manager.hpp"
#include "scenario/project.hpp"
#include "script/param_collection.hpp"
#include "script/sysfuncs.hpp"
#include "shell/command_line.hpp"

namespace mivo {

class GameSession {
public:
    // Finds the data and opens the project; raises an Error with the message
    // to show when the game cannot start.
    GameSession(const PlayerOptions& options, IDialogs& dialogs);
    ~GameSession();

    // The frame step: working files, input, interpreter, requests, drawing.
    // window is null when headless.
    void FrameStep(IWindow* window);
    // An input event from the window (or the input script).
    void HandleEvent(const WindowEvent& e, IWindow* window);

    // The scenario has run out: nothing runs and nothing waits to run.
    bool RanOut();
    void Shutdown();

    PlayerState state;
    bool active = true;
    TProject& Project() { return *project_; }
    TScreenManager& Screen() { return *screen_; }
    script::TParamCollection& Vars() { return vars_; }
    std::string ProjectNameUtf8() const;
    // The window the game shows in (null headless).
    void AttachWindow(IWindow* window) { window_ = window; }

private:
    const PlayerOptions& options_;
    IDialogs& dialogs_;
    TVrFileManager files_;
    script::TParamCollection vars_;
    script::TSysFuncMan funcs_{vars_};
    std::unique_ptr<TProject> project_;
    std::unique_ptr<TScreenManager> screen_;
    int skip_draw_ = 0;
    IWindow* window_ = nullptr;
};

// The close question of the toolbar's "終了", in Japanese when the user's
// language is Japanese.
std::string ExitQuestion(const std::string& project_utf8);

}  // namespace mivo
