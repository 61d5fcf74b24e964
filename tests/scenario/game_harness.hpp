#pragma once
// Builds a small game from inline scenario sources and runs it frame by
// frame at 16 ms, the way the headless player does.
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../data/test_helpers.hpp"
#include "core/dialogs.hpp"
#include "core/game_clock.hpp"
#include "data/vrfiles.hpp"
#include "platform/text_encoding.hpp"
#include "scenario/game_builder.hpp"
#include "scenario/project.hpp"
#include "script/param_collection.hpp"
#include "script/sysfuncs.hpp"
#include "script/var_listing.hpp"

// Records what would have been shown, and answers as an unattended run does.
struct RecordingDialogs : mivo::IDialogs {
    std::vector<std::string> shown;
    mivo::MsgResult Show(const std::string& text, const std::string&, mivo::MsgButtons, mivo::MsgIcon,
                         mivo::MsgResult headless) override {
        shown.push_back(text);
        return headless;
    }
};

class GameHarness {
public:
    // pages: name ("start" -> start.zsb) -> source text.
    using Pages = std::vector<std::pair<std::string, std::string>>;
    GameHarness(const GameHarness&) = delete;
    GameHarness(std::initializer_list<std::pair<std::string, std::string>> pages, const std::string& project_extra = "")
        : GameHarness(Pages(pages), project_extra) {}
    explicit GameHarness(const Pages& pages, const std::string& project_extra = "") {
        std::string project = "version 116\nname \"test\"\nstart_page \"start.zsb\"\n" + project_extra;
        dir_.Write("src/project.txt", project);
        for (const auto& [name, text] : pages) dir_.Write("src/scenario/" + name + ".src", text);
        mivo::BuildGame(dir_ / "src", dir_ / "out");
        files_.AddEmptyArchive();
        files_.AddArchive(dir_ / "out/game.dat");
        mivo::ProjectContext ctx{files_, vars_, funcs_, dialogs_, state_, true, dir_ / "out",
                                 [this](const std::string& l) { trace_ += l + "\n"; }, nullptr,
                                 [](std::string_view n) { return n == "button"; }, nullptr};
        project_ = std::make_unique<mivo::TProject>(ctx);
    }

    void Frames(int n) {
        for (int i = 0; i < n && !state_.terminate; ++i) {
            state_.clock.Step(mivo::GameClock::kFramePeriod);
            project_->Step();
        }
    }
    // A variable's value as text ("" when it does not exist).
    std::string Var(const std::string& name) {
        auto* item = vars_.Find(name);
        return item ? item->P().AsStr() : std::string("<none>");
    }
    std::string Lines() {
        std::string out;
        for (const auto& l : mivo::script::GameVariableLines(vars_)) out += mivo::SjisToUtf8(l) + "\n";
        return out;
    }
    void Event(const std::string& page_ref, const std::string& sender = "button") {
        mivo::TTimerData e;
        e.page_ref = page_ref;
        e.sender = sender;
        project_->Events().Add(e);
    }

    mivo::TProject& Project() { return *project_; }
    mivo::TCallMan& Engine() { return project_->CallMan(); }
    mivo::PlayerState& State() { return state_; }
    mivo::script::TParamCollection& Vars() { return vars_; }
    const std::string& TraceText() const { return trace_; }
    const std::vector<std::string>& Shown() const { return dialogs_.shown; }

private:
    ScratchDir dir_;
    std::string trace_;
    mivo::PlayerState state_;
    mivo::TVrFileManager files_;
    mivo::script::TParamCollection vars_;
    mivo::script::TSysFuncMan funcs_{vars_};
    RecordingDialogs dialogs_;
    std::unique_ptr<mivo::TProject> project_;
};
