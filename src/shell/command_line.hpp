#pragma once
// The player's command line: options, then the data folders or files.
#include <optional>
#include <string>
#include <vector>

namespace mivo {

struct PlayerOptions {
    bool config = false;      // "/config" first: the settings dialog instead of a game
    bool headless = false;    // no window, no sound device, fixed 16 ms frames
    long long frames = -1;    // stop after this many frame steps (-1: run to the end)
    bool trace = false;       // interpreter trace lines on stderr
    bool print_vars = false;  // the variables at exit on stdout
    std::string savedir;      // where save.dat lives (default: the user's data folder)
    bool help = false;
    bool version = false;
    std::vector<std::string> data;  // data folders or files, in order
};

// Raises std::invalid_argument with a message for bad usage.
PlayerOptions ParsePlayerOptions(const std::vector<std::string>& args);
const char* PlayerUsage();

// $XDG_DATA_HOME/mivoplayer/<project> (or ~/.local/share/...), the folder of
// a project's save.dat; the project name is given in UTF-8.
std::string DefaultSaveFolder(const std::string& project_utf8);

}  // namespace mivo
