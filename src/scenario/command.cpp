#include "scenario/command.hpp"

#include <cstring>

#include "data/streams.hpp"
#include "scenario/call_man.hpp"
#include "scenario/flow_commands.hpp"

namespace mivo {

namespace {

constexpr char kStateTag[] = "mivo100";

// A command whose subsystem (components, text, media, saves) the player does
// not have yet: reported to the host, then passed over.
class TComPending : public TCommand {
public:
    using TCommand::TCommand;
    void Execute(TCallMan& man, TPage*&, int32_t& pc) override {
        man.Host().Unsupported(*this);
        ++pc;
    }
};

}  // namespace

void TCommand::WriteStateTag(TStream& s) { s.WriteBuffer(kStateTag, 7); }

int TCommand::ReadStateTag(TStream& s) {
    char tag[7] = {};
    int64_t got = s.Read(tag, 7);
    if (got == 7 && std::memcmp(tag, "mivo", 4) == 0) {
        int v = 0;
        for (int i = 4; i < 7; ++i) {
            if (tag[i] < '0' || tag[i] > '9') return 0;
            v = v * 10 + (tag[i] - '0');
        }
        return v;
    }
    s.Seek(-got, SeekOrigin::Current);
    return 0;
}

void TCommand::SaveState(TStream& s) const { WriteStateTag(s); }
void TCommand::LoadState(TStream& s) { ReadStateTag(s); }

std::unique_ptr<TCommand> CreateCommand(uint8_t raw_code) {
    if (auto flow = CreateFlowCommand(raw_code)) return flow;
    return std::make_unique<TComPending>(raw_code);
}

}  // namespace mivo
