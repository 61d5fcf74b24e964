#pragma once
// Where a game's data is found at start: the folders and files named on the
// command line (a folder's game.dat, a file carrying its archive at the end,
// a Windows program holding it as a resource), or the current folder.
#include <string>
#include <vector>

#include "data/vrfiles.hpp"

namespace mivo {

struct DiscoveryResult {
    std::string data_dir;               // loose files, save.dat, the instance key
    std::vector<std::string> archives;  // added, in order
};

// Adds the archives to the manager and sets its loose-file directory. A bad
// archive raises a FormatError naming it.
DiscoveryResult DiscoverArchives(TVrFileManager& files, const std::vector<std::string>& args,
                                 const std::string& default_dir);

// True when the file's last two bytes are the trailer marker "zv".
bool HasArchiveTrailer(const std::string& path);

}  // namespace mivo
