#pragma once
// Commands that steer the interpreter: conditions, labels, jumps, calls,
// loops, waits, resets, and the variable commands that need no component.
#include <memory>

#include "scenario/command.hpp"

namespace mivo {

// The class for a flow command code; null for codes of other subsystems.
std::unique_ptr<TCommand> CreateFlowCommand(uint8_t raw_code);

}  // namespace mivo
