// mivotool ls / cat / unpack / pack: looking into game archives and making them.
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/error.hpp"
#include "data/loosefiles.hpp"
#include "data/vrfiles.hpp"
#include "platform/text_encoding.hpp"
#include "tool.hpp"

namespace mivotool {

namespace {

using mivo::TVrFileCollection;

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char b[8];
                    std::snprintf(b, sizeof b, "\\u%04x", c);
                    out += b;
                } else {
                    out.push_back(static_cast<char>(c));
                }
        }
    }
    return out + "\"";
}

// Opens an archive for reading; a path that is not a file is a file problem.
void OpenArchive(TVrFileCollection& a, const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) throw mivo::Error(path + ": no such archive file");
    a.Open(path);
}

std::vector<std::string> Positional(const Args& args, std::vector<std::string> flags, std::vector<std::string>& seen) {
    std::vector<std::string> pos;
    for (const auto& a : args) {
        if (a.size() > 1 && a[0] == '-') {
            if (std::find(flags.begin(), flags.end(), a) == flags.end()) throw UsageError("unknown option " + a);
            seen.push_back(a);
        } else {
            pos.push_back(a);
        }
    }
    return pos;
}

int RunLs(const Args& args) {
    std::vector<std::string> seen;
    auto pos = Positional(args, {"--json"}, seen);
    if (pos.size() != 1) throw UsageError("expected one ARCHIVE");
    bool json = !seen.empty();
    TVrFileCollection a;
    OpenArchive(a, pos[0]);
    if (json) std::printf("[");
    for (int i = 0; i < a.Count(); ++i) {
        const mivo::TVrFile& e = a[i];
        std::string name = mivo::SjisToUtf8(e.Name());
        if (json) {
            std::printf("%s\n  {\"name\": %s, \"size\": %lld, \"stored\": %d, \"timestamp\": %u, \"crc32\": \"%08x\", "
                        "\"raw_crc\": %d}",
                        i ? "," : "", JsonString(name).c_str(), static_cast<long long>(e.size), e.stored,
                        static_cast<uint32_t>(e.timestamp), e.checksum, e.raw_checksum);
        } else {
            std::printf("%lld\t%d\t%08x\t%s\n", static_cast<long long>(e.size), e.stored, e.checksum, name.c_str());
        }
    }
    if (json) std::printf("%s]\n", a.Count() ? "\n" : "");
    return kOk;
}

int RunCat(const Args& args) {
    std::vector<std::string> seen;
    auto pos = Positional(args, {}, seen);
    if (pos.size() != 2) throw UsageError("expected ARCHIVE NAME");
    TVrFileCollection a;
    OpenArchive(a, pos[0]);
    std::string name = mivo::Utf8ToSjis(pos[1]);
    mivo::TVrFile* e = a.Find(name);
    if (!e) throw mivo::Error(mivo::NoFileMessage(name));
    std::string bytes = a.ReadEntry(*e);
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) throw mivo::Error("stdout: write error");
    return kOk;
}

int RunUnpack(const Args& args) {
    std::vector<std::string> seen;
    auto pos = Positional(args, {}, seen);
    if (pos.size() != 2) throw UsageError("expected ARCHIVE DIR");
    TVrFileCollection a;
    OpenArchive(a, pos[0]);
    std::filesystem::path root(pos[1]);
    std::filesystem::create_directories(root);
    int status = kOk;
    for (int i = 0; i < a.Count(); ++i) {
        const mivo::TVrFile& e = a[i];
        auto parts = mivo::SplitGameName(e.Name());
        if (!parts) {
            // Absolute names and ".." would land outside DIR.
            std::fprintf(stderr, "mivotool unpack: %s: skipped unsafe name %s\n", pos[0].c_str(),
                         mivo::SjisToUtf8(e.Name()).c_str());
            status = kFileProblem;
            continue;
        }
        std::filesystem::path out = root;
        for (const auto& p : *parts) out /= mivo::SjisToUtf8(p);
        std::filesystem::create_directories(out.parent_path());
        mivo::TMemoryStream m(a.ReadEntry(e));
        m.SaveToFile(out.string());
        if (e.timestamp != 0) {
            struct utimbuf t{};
            t.actime = t.modtime = static_cast<time_t>(mivo::UnixTimeOfDos(e.timestamp));
            ::utime(out.c_str(), &t);
        }
    }
    return status;
}

int RunPack(const Args& args) {
    std::vector<std::string> seen;
    auto pos = Positional(args, {}, seen);
    if (pos.size() != 2) throw UsageError("expected DIR ARCHIVE");
    const std::string& dir = pos[0];
    const std::string& out = pos[1];
    if (!std::filesystem::is_directory(dir)) throw mivo::Error(dir + ": not a folder");
    TVrFileCollection a;
    a.Open(dir);  // not a file: the name is the folder the entries come from
    std::error_code ec;
    auto out_abs = std::filesystem::weakly_canonical(out, ec);
    for (const std::string& name : mivo::ListFilesUnder(dir, "")) {
        auto path = mivo::FindFileUnder(dir, name);
        if (path && std::filesystem::weakly_canonical(*path, ec) == out_abs) continue;  // not itself
        a.AddEntry(name);
    }
    // Written beside the target and renamed over it, so a failure leaves no
    // half-written archive.
    std::string tmp = out + ".tmp" + std::to_string(::getpid());
    try {
        mivo::TTpBigFileStream f(tmp, mivo::fmCreate);
        a.SaveTo(f);
    } catch (...) {
        ::unlink(tmp.c_str());
        throw;
    }
    if (std::rename(tmp.c_str(), out.c_str()) != 0) {
        ::unlink(tmp.c_str());
        throw mivo::Error(out + ": cannot write the archive");
    }
    return kOk;
}

}  // namespace

const std::vector<Command>& ArchiveCommands() {
    static const std::vector<Command> commands = {
        {"ls", "list the entries of an archive",
         "usage: mivotool ls [--json] ARCHIVE\n\n"
         "One line per entry in directory order: stored size, stored flag (1 = as is,\n"
         "0 = deflated), CRC-32 (8 hex digits) and name (UTF-8), separated by tabs.\n"
         "--json prints an array of objects with name, size, stored, timestamp (DOS\n"
         "date-time), crc32 and raw_crc (1 when the CRC covers the unpacked bytes).\n",
         RunLs},
        {"cat", "write one entry's bytes to standard output",
         "usage: mivotool cat ARCHIVE NAME\n\n"
         "Writes the entry's contents (inflated) to standard output. NAME is UTF-8,\n"
         "with '\\' between folders, matched without regard to letter case.\n",
         RunCat},
        {"unpack", "extract every entry into a folder",
         "usage: mivotool unpack ARCHIVE DIR\n\n"
         "Extracts every entry below DIR; names become UTF-8 paths with '/'.\n"
         "Names that would reach outside DIR are skipped (exit status 1).\n",
         RunUnpack},
        {"pack", "make an archive of a folder",
         "usage: mivotool pack DIR ARCHIVE\n\n"
         "Writes every file below DIR into a new archive (version 102). Files are\n"
         "deflated unless they are media or large, or deflating saves under a tenth.\n",
         RunPack},
    };
    return commands;
}

}  // namespace mivotool
