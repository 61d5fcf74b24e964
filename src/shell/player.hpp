#pragma once
// The player without a window: everything from the command line to the last
// frame, for tests, tools and scripted runs.
#include <string>
#include <vector>

#include "shell/command_line.hpp"

namespace mivo {

// Runs a game headless as the options say; returns the exit status (0 a
// normal end, 1 a game that could not be started). Messages go to stderr,
// variables (--print-vars) to stdout.
int RunHeadless(const PlayerOptions& options);

}  // namespace mivo
