#pragma once
// Builds a playable game folder from readable sources: project.txt (the
// project description), scenario sources (*.src, one page each, named after
// their path with ".zsb") and a resources/ folder, all packed into game.dat.
#include <string>

namespace mivo {

struct GameBuildReport {
    int pages = 0;
    int resources = 0;
};

// Raises FormatError naming the source file and line on a bad source.
GameBuildReport BuildGame(const std::string& source_dir, const std::string& out_dir);

}  // namespace mivo
