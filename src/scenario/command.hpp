#pragma once
// The command base: the common header, the record's fields (laid out by the
// command schema) and the operations the interpreter calls.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scenario/command_schema.hpp"
#include "script/mivo_parser.hpp"

namespace mivo {

class TCallMan;
class TPage;
class TStream;

// One field of a record; which members are used follows its FieldKind.
struct CommandField {
    bool present = false;                                  // absent in older pages
    std::string str;                                       // Str, Bytes
    int32_t num = 0;                                       // I32, U8
    std::unique_ptr<script::TMivoParser> expr;             // Expr
    std::vector<std::unique_ptr<script::TMivoParser>> list;  // ExprList
    std::vector<std::pair<int, std::unique_ptr<script::TMivoParser>>> props;  // Props, ascending
};

class TCommand {
public:
    explicit TCommand(uint8_t raw_code) : raw_code_(raw_code) {}
    virtual ~TCommand() = default;

    uint8_t Code() const { return raw_code_ & 0x7F; }
    uint8_t RawCode() const { return raw_code_; }
    const CommandSpec& Spec() const { return CommandSpecOf(Code()); }

    // Header.
    int32_t Indent = 0;
    uint8_t Disabled = 0;
    uint8_t RunOn = 0;
    int32_t LineNo = 0;
    std::vector<CommandField> fields;

    virtual bool GetRunOn() const { return RunOn != 0; }
    virtual bool GetDisabled() const { return Disabled != 0; }
    virtual bool BlocksEvents() const { return false; }
    virtual bool MatchLabel(std::string_view) const { return false; }
    virtual void Start(TCallMan&) {}
    virtual void Execute(TCallMan&, TPage*&, int32_t& pc) { ++pc; }
    // Run-time state: "mivo100" and the command's own fields.
    virtual void SaveState(TStream& s) const;
    virtual void LoadState(TStream& s);
    virtual void Abort(TCallMan&) {}
    virtual bool WantsYield() const { return false; }

    // Field access by position in the schema.
    script::TMivoParser* ExprAt(size_t i) const { return fields[i].expr.get(); }
    const std::string& StrAt(size_t i) const { return fields[i].str; }
    int32_t IntAt(size_t i) const { return fields[i].num; }

protected:
    // Reads the state tag; returns the state version (0 without a tag).
    static int ReadStateTag(TStream& s);
    static void WriteStateTag(TStream& s);

private:
    uint8_t raw_code_;
};

// The class for a command code.
std::unique_ptr<TCommand> CreateCommand(uint8_t raw_code);

}  // namespace mivo
