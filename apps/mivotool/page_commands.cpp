// mivotool page dump / build: scenario pages as readable source and back.
#include <cstdio>
#include <filesystem>

#include "core/error.hpp"
#include "data/atomic_file.hpp"
#include "data/streams.hpp"
#include "platform/text_encoding.hpp"
#include "scenario/game_builder.hpp"
#include "scenario/page.hpp"
#include "scenario/page_source.hpp"
#include "tool.hpp"

namespace mivotool {

namespace {

// The page's own name, as a game would ask for it.
std::string PageName(const std::string& path) {
    return mivo::Utf8ToSjis(std::filesystem::path(path).filename().string());
}

int RunPage(const Args& args) {
    if (args.size() == 2 && args[0] == "dump") {
        mivo::TPage page;
        page.Load(ReadFileBytes(args[1]), PageName(args[1]));
        std::fputs(mivo::DumpPageSource(page).c_str(), stdout);
        return kOk;
    }
    if (args.size() == 3 && args[0] == "build") {
        mivo::TPage page;
        mivo::BuildPageFromSource(ReadFileBytes(args[1]), args[1], PageName(args[2]), page);
        mivo::WriteFileAtomically(args[2], page.Serialize());
        return kOk;
    }
    throw UsageError("expected 'dump FILE.zsb' or 'build SRC OUT.zsb'");
}

int RunGame(const Args& args) {
    if (args.size() != 3 || args[0] != "build") throw UsageError("expected 'build SRCDIR OUTDIR'");
    mivo::GameBuildReport r = mivo::BuildGame(args[1], args[2]);
    std::printf("%s/game.dat: %d pages, %d resources\n", args[2].c_str(), r.pages, r.resources);
    return kOk;
}

}  // namespace

const std::vector<Command>& PageCommands() {
    static const std::vector<Command> commands = {
        {"page", "dump a scenario page as source, or build one from source",
         "usage: mivotool page dump FILE.zsb\n"
         "       mivotool page build SRC OUT.zsb\n\n"
         "dump prints the page as scenario source (docs/scenario-source.md): one\n"
         "command per line, indented two spaces per level, fields as name=value,\n"
         "expressions as source text. build assembles that source; dump then build\n"
         "gives the same bytes. Jumps within the page may name a label; loop and\n"
         "break targets follow from the layout.\n",
         RunPage},
        {"game", "build a playable game folder from sources",
         "usage: mivotool game build SRCDIR OUTDIR\n\n"
         "SRCDIR holds project.txt (see 'mivotool project --help'), scenario sources\n"
         "(*.src, in SRCDIR/scenario/ or SRCDIR itself; each becomes the page of its\n"
         "path with .zsb) and resources/ (files packed as they are). OUTDIR receives\n"
         "game.dat holding mivo.zpb, the pages and the resources. Jumps and calls may\n"
         "name a label of any page of the game.\n",
         RunGame},
    };
    return commands;
}

}  // namespace mivotool
