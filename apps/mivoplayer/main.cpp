// mivoplayer: plays a game.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "shell/command_line.hpp"
#include "shell/player.hpp"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    mivo::PlayerOptions options;
    try {
        options = mivo::ParsePlayerOptions(args);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "mivoplayer: %s\n\n%s", e.what(), mivo::PlayerUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(mivo::PlayerUsage(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("mivoplayer %s\n", MIVO_VERSION);
        return 0;
    }
    if (options.config) {
        std::fprintf(stderr, "mivoplayer: the settings dialog is not available yet\n");
        return 1;
    }
    return options.headless ? mivo::RunHeadless(options) : mivo::RunWindowed(options);
}
