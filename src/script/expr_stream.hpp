#pragma once
// The stored form of a compiled expression, written the same way by the
// compiler (operands as source text) and the interpreter (operands as
// parameters): opCount, then per operation code, dest, operandCount, the
// function byte for ocFunc, and the operand records.
#include "data/streams.hpp"
#include "script/opcodes.hpp"

namespace mivo::script {

template <class Ops, class WriteOperand>
void WriteOperations(TStream& s, const Ops& ops, WriteOperand&& write_operand) {
    WriteInt32(s, static_cast<int32_t>(ops.size()));
    for (const auto& op : ops) {
        WriteByte(s, op.Code);
        WriteStr(s, op.Dest);
        WriteInt32(s, static_cast<int32_t>(op.Operands.size()));
        if (op.Code == ocFunc) WriteByte(s, op.Function);
        for (const auto& operand : op.Operands) write_operand(s, operand);
    }
}

}  // namespace mivo::script
