#include "tool.hpp"

namespace mivotool {

const std::vector<Command>& ArchiveCommands() {
    static const std::vector<Command> commands;
    return commands;
}

}  // namespace mivotool
