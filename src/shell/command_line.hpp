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
    std::string screenshot;          // the screen at exit, as PNG
    long long screenshot_every = 0;  // every K frames ...
    std::string screenshot_dir;      // ... into this folder
    std::string input;               // scripted input events
    int scale = 1;                   // window size as a multiple of the game screen
    bool integer_scale = false;      // full screen: whole multiples only
    bool full_screen = false;
    std::string renderer = "auto";   // auto, software, accelerated
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
// Where the screenshot key puts its pictures: $XDG_PICTURES_DIR, else ~/Pictures.
std::string PicturesFolder();

}  // namespace mivo
