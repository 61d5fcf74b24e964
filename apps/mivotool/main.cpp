// mivotool: looks inside game data and builds it.
#include <cstdio>
#include <exception>
#include <string>

#include "core/error.hpp"
#include "data/streams.hpp"
#include "tool.hpp"

namespace mivotool {

std::string ReadFileBytes(const std::string& path) {
    mivo::TMemoryStream m;
    m.LoadFromFile(path);
    return std::move(m.Bytes());
}

bool WantsHelp(const Args& args) {
    for (const std::string& a : args)
        if (a == "-h" || a == "--help") return true;
    return false;
}

namespace {

std::vector<Command> AllCommands() {
    std::vector<Command> all;
    for (const auto* group : {&ArchiveCommands(), &ProjectCommands(), &PageCommands(), &ScriptCommands(),
                              &ImageCommands()})
        all.insert(all.end(), group->begin(), group->end());
    return all;
}

void PrintOverview(FILE* out) {
    std::fprintf(out, "usage: mivotool COMMAND [ARGS...]\n\nCommands:\n");
    for (const Command& c : AllCommands()) std::fprintf(out, "  %-14s %s\n", c.name, c.summary);
    std::fprintf(out, "\n'mivotool COMMAND --help' describes one command.\n");
}

}  // namespace
}  // namespace mivotool

int main(int argc, char** argv) {
    using namespace mivotool;
    if (argc < 2) {
        PrintOverview(stderr);
        return kUsage;
    }
    std::string name = argv[1];
    if (name == "-h" || name == "--help" || name == "help") {
        PrintOverview(stdout);
        return kOk;
    }
    Args args(argv + 2, argv + argc);
    for (const Command& c : AllCommands()) {
        if (name != c.name) continue;
        if (WantsHelp(args)) {
            std::fputs(c.help, stdout);
            return kOk;
        }
        try {
            return c.run(args);
        } catch (const UsageError& e) {
            std::fprintf(stderr, "mivotool %s: %s\n\n%s", c.name, e.what(), c.help);
            return kUsage;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "mivotool %s: %s\n", c.name, e.what());
            return kFileProblem;
        }
    }
    std::fprintf(stderr, "mivotool: unknown command '%s'\n\n", name.c_str());
    PrintOverview(stderr);
    return kUsage;
}
