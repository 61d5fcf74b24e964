#include "shell/archive_discovery.hpp"

#include <filesystem>

#include "data/bigstreams.hpp"
#include "data/loosefiles.hpp"
#include "data/peresource.hpp"

namespace mivo {

namespace {


std::string LastTwo(TTpBigStream& s) {
    int64_t n = s.GetSize();
    if (n < 2) return {};
    char b[2];
    s.SetPosition(n - 2);
    return s.Read(b, 2) == 2 ? std::string(b, 2) : std::string();
}

// A Windows program may hold the game as the resource DUMMY of type BINTYPE
// (recognised by its last two bytes "vf").
bool HasResourceArchive(const std::string& path) {
    auto w = FindPeResource(path, "DUMMY", "BINTYPE");
    if (!w || w->size < 2) return false;
    TTpBigResourceStream s(path, "DUMMY", "BINTYPE");
    return LastTwo(s) == "vf";
}

void AddFileArchives(TVrFileManager& files, const std::string& file, DiscoveryResult& out) {
    if (HasResourceArchive(file)) {
        files.AddResourceArchive(file, "DUMMY", "BINTYPE");
        out.archives.push_back(file);
    }
    if (HasArchiveTrailer(file) && files.AddArchive(file) >= 0) out.archives.push_back(file);
}

}  // namespace

bool HasArchiveTrailer(const std::string& path) {
    if (!IsRegularFile(path)) return false;
    TTpBigFileStream s(path, fmOpenRead | fmShareDenyWrite);
    return LastTwo(s) == "zv";
}

DiscoveryResult DiscoverArchives(TVrFileManager& files, const std::vector<std::string>& args,
                                 const std::string& default_dir) {
    DiscoveryResult out;
    if (args.empty()) {
        out.data_dir = default_dir;
        files.SetLooseDirectory(default_dir);
        std::string dat = (std::filesystem::path(default_dir) / "game.dat").string();
        if (IsRegularFile(dat) && files.AddArchive(dat) >= 0) out.archives.push_back(dat);
        return out;
    }
    // The first argument is the data folder; a file stands for its folder.
    const std::string& first = args[0];
    std::string dir = IsDirectory(first) ? first : std::filesystem::path(first).parent_path().string();
    if (dir.empty()) dir.assign(1, '.');
    out.data_dir = dir;
    files.SetLooseDirectory(dir);
    for (const std::string& arg : args) {
        if (IsDirectory(arg)) {
            std::string dat = (std::filesystem::path(arg) / "game.dat").string();
            if (IsRegularFile(dat) && files.AddArchive(dat) >= 0) out.archives.push_back(dat);
        } else if (IsRegularFile(arg)) {
            std::string name = std::filesystem::path(arg).filename().string();
            bool is_dat = name.size() == 8 && (name == "game.dat" || name == "GAME.DAT");
            if (is_dat && !HasArchiveTrailer(arg)) {
                if (files.AddArchive(arg) >= 0) out.archives.push_back(arg);
            } else {
                AddFileArchives(files, arg, out);
            }
        }
    }
    return out;
}

}  // namespace mivo
