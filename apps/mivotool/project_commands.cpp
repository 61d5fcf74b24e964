// mivotool project dump / build: the project file as readable text and back.
#include <cstdio>

#include "core/error.hpp"
#include "data/atomic_file.hpp"
#include "data/streams.hpp"
#include "scenario/project_source.hpp"
#include "tool.hpp"

namespace mivotool {

namespace {

int RunProject(const Args& args) {
    if (args.size() == 2 && args[0] == "dump") {
        auto p = mivo::TProjectSetting::Parse(ReadFileBytes(args[1]), args[1]);
        std::fputs(mivo::DumpProjectSource(p).c_str(), stdout);
        return kOk;
    }
    if (args.size() == 3 && args[0] == "build") {
        auto p = mivo::ParseProjectSource(ReadFileBytes(args[1]), args[1]);
        mivo::WriteFileAtomically(args[2], p.Serialize());
        return kOk;
    }
    throw UsageError("expected 'dump FILE.zpb' or 'build SRC OUT.zpb'");
}

}  // namespace

const std::vector<Command>& ProjectCommands() {
    static const std::vector<Command> commands = {
        {"project", "dump a project file as text, or build one from text",
         "usage: mivotool project dump FILE.zpb\n"
         "       mivotool project build SRC.txt OUT.zpb\n\n"
         "dump prints the project file (mivo.zpb) as readable text: one field per line,\n"
         "'var KIND NAME VALUE' for each initial variable, 'disk FOLDER N' for each\n"
         "entry of the folder-disk table. build writes that text back as a project\n"
         "file; dump then build gives the same bytes. Strings are UTF-8 in double\n"
         "quotes with \\\\ \\\" \\n \\r \\t and \\xHH escapes.\n",
         RunProject},
    };
    return commands;
}

}  // namespace mivotool
