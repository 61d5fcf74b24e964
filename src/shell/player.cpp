#include "shell/player.hpp"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "core/dialogs.hpp"
#include "core/error.hpp"
#include "core/game_clock.hpp"
#include "data/vrfiles.hpp"
#include "platform/instance_lock.hpp"
#include "platform/text_encoding.hpp"
#include "scenario/project.hpp"
#include "script/param_collection.hpp"
#include "script/sysfuncs.hpp"
#include "script/var_listing.hpp"
#include "shell/archive_discovery.hpp"

namespace mivo {

namespace {

// The scenario has run out: no page, no caller, no handler, and nothing
// waiting to start one.
bool RanOut(TProject& project) {
    TCallMan& cm = project.CallMan();
    return !cm.page && cm.stack.Empty() && cm.mode == 0 && project.Events().Size() == 0;
}

}  // namespace

int RunHeadless(const PlayerOptions& options) {
    PlayerState state;
    TVrFileManager files;
    std::string cwd = std::filesystem::current_path().string();
    DiscoveryResult found;
    try {
        files.AddEmptyArchive();  // receives files restored from saved games
        found = DiscoverArchives(files, options.data, cwd);
    } catch (const Error& e) {
        std::fprintf(stderr, "mivoplayer: %s\n", e.what());
        return 1;
    }
    InstanceLock lock(found.data_dir);
    if (!lock.Held()) {
        std::fprintf(stderr, "mivoplayer: another player is running on %s\n", found.data_dir.c_str());
        return 1;
    }

    StderrDialogs dialogs;
    script::TParamCollection vars;
    script::TSysFuncMan funcs(vars);
    std::unique_ptr<TProject> project;
    std::function<void(const std::string&)> trace;
    if (options.trace) trace = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    ProjectContext ctx{files, vars, funcs, dialogs, state, !options.data.empty(), cwd, trace, nullptr, nullptr};
    try {
        project = std::make_unique<TProject>(ctx);
    } catch (const std::exception& e) {
        dialogs.Show(e.what(), "警告", MsgButtons::Ok, MsgIcon::Warning, MsgResult::Ok);
        return 1;
    }

    // Frames at a fixed 16 ms.
    long long frame = 0;
    while (!state.terminate) {
        if (options.frames >= 0 && frame >= options.frames) break;
        if (options.frames < 0 && RanOut(*project)) break;
        ++frame;
        files.DeleteQueuedFiles();
        state.clock.Step(GameClock::kFramePeriod);
        ++project->update_count;
        project->Step();
        project->ServiceRequests();
    }
    project->Shutdown();
    if (options.print_vars)
        for (const std::string& line : script::GameVariableLines(vars)) std::printf("%s\n", SjisToUtf8(line).c_str());
    std::fflush(stdout);
    return 0;
}

}  // namespace mivo
