#include "scenario/page.hpp"

#include <cstdio>

#include "data/streams.hpp"
#include "scenario/command.hpp"
#include "script/mivo_parser.hpp"

namespace mivo {

namespace {

// Counts in a page are checked against what is left before anything is made.
int32_t ReadCount(TStream& s, int64_t min_record, const char* what) {
    int32_t n = ReadInt32(s);
    int64_t left = s.Size() - s.Position();
    if (n < 0 || (min_record > 0 && n > left / min_record)) throw FormatError(std::string("bad ") + what);
    return n;
}

std::unique_ptr<script::TMivoParser> ReadExpr(TStream& s) {
    auto p = std::make_unique<script::TMivoParser>();
    p->LoadFromStream(s);
    return p;
}

void ReadField(TStream& s, const FieldSpec& spec, CommandField& f, const TPage& page, int code) {
    f.present = true;
    switch (spec.kind) {
        case FieldKind::Str: f.str = ReadStr(s); break;
        case FieldKind::I32: f.num = ReadInt32(s); break;
        case FieldKind::U8: f.num = ReadByte(s); break;
        case FieldKind::Expr: f.expr = ReadExpr(s); break;
        case FieldKind::ExprList: {
            int32_t n = ReadCount(s, 4, "expression count");
            for (int32_t i = 0; i < n; ++i) f.list.push_back(ReadExpr(s));
            break;
        }
        case FieldKind::Bytes: {
            int32_t n = ReadCount(s, 1, "text block size");
            f.str.assign(static_cast<size_t>(n), '\0');
            s.ReadBuffer(f.str.data(), n);
            break;
        }
        case FieldKind::Props:
            for (int b = 0; b < kPropertyCount; ++b)
                if (page.HasProperty(code, b)) f.props.emplace_back(b, ReadExpr(s));
            break;
    }
}

void WriteField(TStream& s, const FieldSpec& spec, const CommandField& f) {
    switch (spec.kind) {
        case FieldKind::Str: WriteStr(s, f.str); break;
        case FieldKind::I32: WriteInt32(s, f.num); break;
        case FieldKind::U8: WriteByte(s, static_cast<uint8_t>(f.num)); break;
        case FieldKind::Expr: f.expr->SaveToStream(s); break;
        case FieldKind::ExprList:
            WriteInt32(s, static_cast<int32_t>(f.list.size()));
            for (const auto& e : f.list) e->SaveToStream(s);
            break;
        case FieldKind::Bytes:
            WriteInt32(s, static_cast<int32_t>(f.str.size()));
            s.WriteBuffer(f.str.data(), static_cast<int64_t>(f.str.size()));
            break;
        case FieldKind::Props:
            for (const auto& [b, e] : f.props) e->SaveToStream(s);
            break;
    }
}

}  // namespace

TPage::TPage() = default;
TPage::~TPage() = default;

int TPage::FindLabel(std::string_view label) const {
    for (size_t i = 0; i < commands.size(); ++i)
        if (commands[i]->MatchLabel(label)) return static_cast<int>(i);
    return -1;
}

void TPage::StoreMasks() {
    stored_mask_count = kCommandCodes;
    stored_mask_size = kMaskBytes;
    stored_masks.clear();
    for (const auto& m : masks) stored_masks.append(reinterpret_cast<const char*>(m.data()), m.size());
}

void TPage::Load(std::string_view bytes, const std::string& page_name) {
    commands.clear();
    masks = {};
    name = page_name;
    TMemoryStream s{std::string(bytes)};
    try {
        // 1. Version: too new loads empty; too old cannot be run.
        version = ReadInt32(s);
        if (version > kMaxVersion) return;
        if (version < kMinVersion) throw PageTooOldError(name + "\r\nリビルドしてください");
        // 2. Result type, masks, command count.
        result_type = ReadByte(s);
        stored_mask_count = ReadCount(s, 0, "mask count");
        stored_mask_size = ReadInt32(s);
        if (stored_mask_size < 0 ||
            static_cast<int64_t>(stored_mask_count) * stored_mask_size > s.Size() - s.Position())
            throw FormatError("masks larger than the page");
        stored_masks.assign(static_cast<size_t>(stored_mask_count) * static_cast<size_t>(stored_mask_size), '\0');
        s.ReadBuffer(stored_masks.data(), static_cast<int64_t>(stored_masks.size()));
        for (int32_t i = 0; i < stored_mask_count && i < kCommandCodes; ++i)
            for (int32_t k = 0; k < stored_mask_size && k < kMaskBytes; ++k)
                masks[static_cast<size_t>(i)][static_cast<size_t>(k)] =
                    static_cast<uint8_t>(stored_masks[static_cast<size_t>(i) * static_cast<size_t>(stored_mask_size) +
                                                      static_cast<size_t>(k)]);
        // A command is at least its code and its 10-byte header.
        int32_t count = ReadCount(s, 11, "command count");
        commands.reserve(static_cast<size_t>(count));
        // 3. The commands.
        for (int32_t i = 0; i < count; ++i) {
            uint8_t raw = ReadByte(s);
            int code = raw & 0x7F;
            if (code >= kCommandCodes) throw FormatError("不正なコマンド");
            auto cmd = CreateCommand(raw);
            cmd->Indent = ReadInt32(s);
            cmd->Disabled = ReadByte(s);
            cmd->RunOn = ReadByte(s);
            cmd->LineNo = ReadInt32(s);
            const CommandSpec& spec = CommandSpecOf(code);
            cmd->fields.resize(spec.fields.size());
            for (size_t f = 0; f < spec.fields.size(); ++f)
                if (version >= spec.fields[f].since) ReadField(s, spec.fields[f], cmd->fields[f], *this, code);
            commands.push_back(std::move(cmd));
        }
    } catch (const PageTooOldError&) {
        commands.clear();
        throw;
    } catch (const Error& e) {
        commands.clear();
        char where[40];
        std::snprintf(where, sizeof where, " at offset 0x%llx", static_cast<unsigned long long>(s.Position()));
        throw FormatError(name + ": " + e.what() + where);
    }
}

std::string TPage::Serialize() const {
    TMemoryStream s;
    WriteInt32(s, version);
    if (version > kMaxVersion) return s.Bytes();
    WriteByte(s, result_type);
    WriteInt32(s, stored_mask_count);
    WriteInt32(s, stored_mask_size);
    s.WriteBuffer(stored_masks.data(), static_cast<int64_t>(stored_masks.size()));
    WriteInt32(s, CommandCount());
    for (const auto& cmd : commands) {
        WriteByte(s, cmd->RawCode());
        WriteInt32(s, cmd->Indent);
        WriteByte(s, cmd->Disabled);
        WriteByte(s, cmd->RunOn);
        WriteInt32(s, cmd->LineNo);
        const CommandSpec& spec = cmd->Spec();
        for (size_t f = 0; f < spec.fields.size(); ++f)
            if (cmd->fields[f].present) WriteField(s, spec.fields[f], cmd->fields[f]);
    }
    return s.Bytes();
}

}  // namespace mivo
