#pragma once
// The running game: reads the project file, makes sure the data is there
// (installation record, discs), creates the initial variables, owns the
// interpreter and starts the start page; at the end it runs the exit page.
#include <functional>
#include <memory>
#include <string>

#include "core/dialogs.hpp"
#include "core/game_clock.hpp"
#include "data/vrfiles.hpp"
#include "scenario/call_man.hpp"
#include "scenario/engine_host.hpp"
#include "scenario/event_queue.hpp"
#include "scenario/project_file.hpp"
#include "script/script_host.hpp"

namespace mivo::script {
class TParamCollection;
class TSysFuncMan;
}  // namespace mivo::script

namespace mivo {

struct ProjectContext {
    TVrFileManager& files;
    script::TParamCollection& vars;
    script::TSysFuncMan& funcs;
    IDialogs& dialogs;
    PlayerState& state;
    bool has_args = false;      // data folders were named on the command line
    std::string program_dir;    // where install.dat and game.dat are looked for without them
    std::function<void(const std::string&)> trace;  // interpreter trace lines; null when off
    std::function<void()> post_close;                // closes the window
    // Whether a component of that full name exists (the component world
    // answers; without one nothing exists).
    std::function<bool(std::string_view)> component_exists;
    // Moves the pointer to a game-screen position ("@MouseX", "@MouseY"
    // written); null without a window.
    std::function<void(int32_t, int32_t)> move_cursor;
};

class TProject : public TEngineHost, public script::TScriptHost {
public:
    // Creation. A game that cannot start raises an Error with the message
    // the player shows (the terminate flag stays set).
    explicit TProject(ProjectContext ctx);
    ~TProject() override;
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;

    // Runs the exit page for one step (once).
    void Shutdown();
    bool Step();
    // Pending save and load requests; true when a load was carried out.
    bool ServiceRequests() { return false; }

    const TProjectSetting& Setting() const { return setting_; }
    TCallMan& CallMan() { return *callman_; }
    TEventQueue& Events() { return events_; }
    // Frame steps so far ("@UpdateCount").
    int32_t update_count = 0;

    // TEngineHost
    bool PageExists(std::string_view name) override;
    std::string ReadPage(std::string_view name) override;
    bool Terminated() const override { return ctx_.state.terminate; }
    void Terminate() override;
    int32_t GameClock() const override { return ctx_.state.clock.Now(); }
    int32_t LastFrame() const override { return ctx_.state.clock.LastFrame(); }
    bool Tracing() const override { return static_cast<bool>(ctx_.trace); }
    void Trace(const std::string& line) override;
    void Warn(const std::string& text) override;
    void Unsupported(const TCommand& cmd) override;
    bool ComponentExists(std::string_view name) override {
        return ctx_.component_exists && !name.empty() && ctx_.component_exists(name);
    }

    // TScriptHost
    script::TCustomParam* CallResult() override { return callman_ ? callman_->TopResult() : nullptr; }
    void ReadSystem(int index, int32_t element, script::TCustomParam& out) override;
    void WriteSystem(int index, const script::TCustomParam& value) override;
    int32_t SystemCount(int index) override;

private:
    bool LocateData();
    bool DiskChange(int32_t disk);
    // Adds the game.dat of each mounted disc whose install.dat is wanted.
    bool AddDiscArchives(const std::function<bool(const TMivoInstallSet&)>& wanted, bool first_only);
    MsgResult Ask(const std::string& text_sjis, const std::string& caption_sjis, MsgButtons buttons, MsgIcon icon,
                  MsgResult headless);

    ProjectContext ctx_;
    TProjectSetting setting_;
    TEventQueue events_;
    std::unique_ptr<TCallMan> callman_;
    std::string install_project_;
    bool shut_down_ = false;
};

}  // namespace mivo
