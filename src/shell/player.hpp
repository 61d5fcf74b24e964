#pragma once
// Running a game as the command line asks: in a window, or headless.
#include "shell/command_line.hpp"

namespace mivo {

// Exit status: 0 a normal end, 1 a game that could not be started.
int RunHeadless(const PlayerOptions& options);
int RunWindowed(const PlayerOptions& options);

}  // namespace mivo
