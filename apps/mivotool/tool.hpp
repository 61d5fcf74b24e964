#pragma once
// Shared pieces of the mivotool commands: the argument list, usage errors and
// the exit codes (0 success, 1 a file problem, 2 bad usage).
#include <stdexcept>
#include <string>
#include <vector>

namespace mivotool {

using Args = std::vector<std::string>;

enum Exit { kOk = 0, kFileProblem = 1, kUsage = 2 };

// Thrown for bad usage; main prints the message and the command's help.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Command {
    const char* name;     // e.g. "ls", or a group word such as "image"
    const char* summary;  // one line for the command list
    const char* help;     // full usage text for --help
    int (*run)(const Args& args);
};

// A whole input file; raises an Error naming it.
std::string ReadFileBytes(const std::string& path);

// True when args ask for help (-h or --help anywhere).
bool WantsHelp(const Args& args);

// Every command group registers its commands here (one file per group).
const std::vector<Command>& ArchiveCommands();
const std::vector<Command>& ProjectCommands();
const std::vector<Command>& ScriptCommands();
const std::vector<Command>& PageCommands();
const std::vector<Command>& ImageCommands();

}  // namespace mivotool
