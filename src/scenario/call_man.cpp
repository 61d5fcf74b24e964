#include "scenario/call_man.hpp"

#include <cstdio>

#include "core/error.hpp"
#include "core/sjis.hpp"
#include "platform/text_encoding.hpp"
#include "scenario/command.hpp"
#include "script/mivo_parser.hpp"
#include "script/param_collection.hpp"
#include "script/sysfuncs.hpp"

namespace mivo {

using script::TCustomParam;

namespace {

// A script that loops forever with every command running on would never
// give the frame back; past this many commands the step ends and the loop
// goes on in the next frame.
constexpr long kMaxPassesPerStep = 1000000;

bool InPage(const TPage* p, int32_t pc) { return p && pc >= 0 && pc < p->CommandCount(); }

void WriteArgs(TStream& s, const std::vector<std::string>& args) {
    WriteInt32(s, static_cast<int32_t>(args.size()));
    for (const auto& a : args) WriteStr(s, a);
}

std::vector<std::string> ReadArgs(TStream& s) {
    int32_t n = ReadInt32(s);
    if (n < 0 || n > (s.Size() - s.Position()) / 4) throw FormatError("bad argument count in saved interpreter state");
    std::vector<std::string> out;
    out.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) out.push_back(ReadStr(s));
    return out;
}

}  // namespace

// --- frames -------------------------------------------------------------------------------

void TStack::CopyFrom(const TStack& f) {
    page_name = f.page_name;
    pc = f.pc;
    started = f.started;
    result_var = f.result_var;
    args = f.args;
    sender = f.sender;
    run_on = f.run_on;
    state = f.state ? std::make_unique<TMemoryStream>(f.state->Bytes()) : nullptr;
    result = f.result ? script::CloneValue(*f.result) : nullptr;
}

void TStackList::Sync() { vars_.CurrentFrame = Count(); }

TStack& TStackList::Push() {
    frames_.push_back(std::make_unique<TStack>());
    Sync();
    return *frames_.back();
}

TStack& TStackList::Pop() {
    if (frames_.empty()) throw Error("スタックエラー");
    spare_.CopyFrom(*frames_.back());
    frames_.pop_back();
    Sync();
    return spare_;
}

void TStackList::Clear() {
    frames_.clear();
    Sync();
}

// --- the interpreter ----------------------------------------------------------------------

TCallMan::TCallMan(TEngineHost& host, script::TSysFuncMan& env, TEventQueue& events)
    : stack(env.Vars()), host_(host), env_(env), events_(events) {}

TCallMan::~TCallMan() = default;

script::TParamCollection& TCallMan::Vars() { return env_.Vars(); }

TPage* TCallMan::GetPage(std::string_view name) {
    pc = 0;
    for (auto it = pages_.begin(); it != pages_.end(); ++it) {
        if ((*it)->name == name) {
            pages_.splice(pages_.begin(), pages_, it);
            return pages_.front().get();
        }
    }
    auto p = std::make_unique<TPage>();
    try {
        p->Load(host_.ReadPage(name), std::string(name));
    } catch (const PageTooOldError& e) {
        host_.Warn(e.what());
        host_.Terminate();
        throw;
    }
    pages_.push_front(std::move(p));
    // Keep the most recently used pages, never the one running.
    for (auto it = std::prev(pages_.end()); pages_.size() > kPageCache && it != pages_.begin();) {
        auto here = it--;
        if (here->get() != page) pages_.erase(here);
    }
    return pages_.front().get();
}

void TCallMan::Start(std::string_view page_name) {
    TPage* p = GetPage(page_name);
    page = p;
    pc = 0;
    started = 0;
    args.clear();
    mode = 0;
    stack.Clear();
    sender.clear();
    events_.RemoveLevels(1, level);
    level = 2;
}

std::string TCallMan::Argument(int i) const {
    return i >= 0 && i < ArgumentCount() ? args[static_cast<size_t>(i)] : std::string();
}

std::string TCallMan::SenderName() const {
    return mode != 0 && !sender.empty() && host_.ComponentExists(sender) ? sender : std::string();
}

TCustomParam* TCallMan::TopResult() { return stack.Empty() ? nullptr : stack.Top().result.get(); }

TCustomParam* TCallMan::Eval(script::TMivoParser* e) {
    if (!e) return nullptr;
    e->Execute(env_);
    return e->Result();
}

bool TCallMan::Condition(script::TMivoParser* e) {
    TCustomParam* r = Eval(e);
    return r && r->AsBool();
}

void TCallMan::TraceCommand(const TPage& p, int index, const char* prefix) {
    char clock[16];
    std::snprintf(clock, sizeof clock, "%.8x", static_cast<uint32_t>(host_.GameClock()));
    std::string line = std::string(clock) + " : " + prefix + SjisToUtf8(p.name);
    if (index >= 0 && index < p.CommandCount()) line += "(" + std::to_string(p.At(index).LineNo) + ")";
    host_.Trace(line);
}

// Runs the command at pc once.
void TCallMan::ExecuteOne(bool& yield) {
    yield = false;
    if (!InPage(page, pc)) {
        page = nullptr;
        return;
    }
    TCommand& cmd = page->At(pc);
    if (host_.Tracing() && &cmd != last_traced_) {
        last_traced_ = &cmd;
        TraceCommand(*page, pc, "");
    }
    try {
        if (!started) {
            if (cmd.GetDisabled()) {
                ++pc;
                return;
            }
            cmd.Start(*this);
            started = 1;
        }
        run_on = cmd.GetRunOn();
        yield = cmd.WantsYield();
        TPage* p = page;
        int32_t before = pc;
        cmd.Execute(*this, p, pc);
        if (p != page || pc != before) started = 0;
        page = p;
    } catch (const std::exception&) {
        // An error ends the page quietly; the caller's frame resumes.
        page = nullptr;
        started = 0;
    }
}

int TCallMan::RunOne() {
    if (!page || host_.Terminated()) return 0;
    bool yield = false;
    ExecuteOne(yield);
    if (host_.Terminated()) return 0;
    int a = yield ? 2 : 0;
    if (page) return a;
    // The page ended: back to the caller.
    if (stack.Empty()) {
        run_on = 0;
        return a;
    }
    Vars().DeleteFrame(stack.Count());
    TStack& f = stack.Pop();
    if (!f.result_var.empty() && f.result) {
        if (auto* item = Vars().Find(f.result_var))
            Vars().AssignConverted(*item, *f.result);
        else
            script::AssignToTarget(f.result_var, *f.result, env_);
    }
    try {
        page = GetPage(f.page_name);
    } catch (const std::exception&) {
        page = nullptr;
        return a;
    }
    pc = f.pc;
    started = f.started;
    run_on = f.run_on;
    args = f.args;
    sender = f.sender;
    if (f.state && InPage(page, pc)) {
        f.state->SetPosition(0);
        try {
            page->At(pc).LoadState(*f.state);
        } catch (const std::exception&) {
        }
    }
    if (sender.empty()) return 1;
    return a == 0 ? -1 : a;
}

bool TCallMan::StartEvent(int32_t at_level) {
    // 1. The current command may keep events out while it works.
    if (started && InPage(page, pc) && page->At(pc).BlocksEvents()) return false;
    // 2. The first waiting entry.
    TTimerData* e = events_.FirstWaiting();
    if (!e) return false;
    // 3. "page:label"; a '.' or '\' after the last ':' means there is no label.
    const std::string& ref = e->page_ref;
    std::vector<size_t> starts;
    for (size_t i = 0; i < ref.size(); i += sjis::CharLen(ref, i)) starts.push_back(i);
    std::string handler = ref, label;
    for (size_t k = starts.size(); k-- > 1;) {
        char c = ref[starts[k]];
        bool single = sjis::CharLen(ref, starts[k]) == 1;
        if (!single) continue;
        if (c == '.' || c == '\\') break;
        if (c == ':') {
            handler = ref.substr(0, starts[k]);
            label = ref.substr(starts[k] + 1);
            break;
        }
    }
    handler = handler.substr(0, handler.size() >= 3 ? handler.size() - 3 : 0) + "zsb";
    if (!host_.PageExists(handler)) return false;
    // 4. Where the interrupted flow resumes.
    TStack& f = stack.Push();
    f.page_name = page ? page->name : std::string();
    f.pc = pc;
    f.started = started;
    f.args = args;
    f.sender = sender;
    f.run_on = run_on;
    if (started && InPage(page, pc)) {
        f.state = std::make_unique<TMemoryStream>();
        page->At(pc).SaveState(*f.state);
    }
    // 5. The handler page, at its label when it has it.
    TPage* hp = nullptr;
    try {
        hp = GetPage(handler);
    } catch (const std::exception&) {
        TStack& back = stack.Pop();
        pc = back.pc;
        return false;
    }
    page = hp;
    int at = label.empty() ? -1 : hp->FindLabel(label);
    pc = at < 0 ? 0 : at;
    // 6. Trace.
    if (host_.Tracing()) TraceCommand(*hp, pc, "<Event>");
    // 7. The handler runs.
    started = 0;
    e->run_level = at_level;
    args = e->params;
    sender = e->sender;
    mode = 1;
    return true;
}

bool TCallMan::Step() {
    long passes = 0;
    do {
        if (++passes > kMaxPassesPerStep) break;
        switch (mode) {
            case 0:
                if (StartEvent(1)) break;
                {
                    TPage* before = page;
                    int32_t before_pc = pc;
                    if (RunOne() == 2 && page == before && pc == before_pc) return true;
                }
                break;
            case 1: {
                int r = RunOne();
                if (r == 1) {
                    events_.RemoveLevel(1);
                    mode = 0;
                    run_on = 1;
                } else if (r == 2) {
                    level = 2;
                    mode = 2;
                    return true;
                } else if (mode != 1) {
                    run_on = 1;
                }
                break;
            }
            case 2:
                if (StartEvent(level)) {
                    ++level;
                    mode = 3;
                } else {
                    mode = level > 2 ? 3 : 1;
                }
                break;
            case 3: {
                int r = RunOne();
                if (r == 1 || r == -1) {
                    --level;
                    events_.RemoveLevel(level);
                    if (level <= 2) mode = 2;
                } else if (r == 2) {
                    mode = 2;
                    return true;
                }
                break;
            }
            default:
                mode = 0;
                break;
        }
        // A handler state with nothing left to run would spin: the handlers
        // are over and the main flow has run out.
        if (mode != 0 && !page && stack.Empty()) {
            mode = 0;
            level = 2;
            run_on = 0;
            events_.RemoveStarted();
        }
    } while ((run_on || mode != 0) && !host_.Terminated());
    return true;
}

// --- persistent form -------------------------------------------------------------------

void TCallMan::SaveToStream(TStream& s) {
    auto live_sender = [&](const std::string& n) { return host_.ComponentExists(n) ? n : std::string(); };
    auto write_frame = [&](const TStack& f) {
        WriteStr(s, f.page_name);
        WriteInt32(s, f.pc);
        WriteByte(s, f.started);
        WriteByte(s, f.run_on);
        // The result variable is found again from the Call before the return point.
        WriteInt32(s, f.result_var.empty() ? 0 : 1);
        WriteArgs(s, f.args);
        WriteStr(s, live_sender(f.sender));
        if (f.state) {
            WriteInt32(s, static_cast<int32_t>(f.state->Size()));
            s.WriteBuffer(f.state->Memory(), f.state->Size());
        } else {
            WriteInt32(s, 0);
        }
        uint8_t kind = f.result ? f.result->ClassKind() : 0;
        WriteByte(s, kind);
        if (kind) f.result->SaveToStream(s);
    };
    WriteStr(s, page ? page->name : std::string());
    WriteInt32(s, pc);
    WriteByte(s, run_on);
    WriteByte(s, started);
    WriteInt32(s, mode);
    WriteStr(s, live_sender(sender));
    WriteArgs(s, args);
    write_frame(stack.Spare());
    WriteInt32(s, stack.Count());
    for (int i = 0; i < stack.Count(); ++i) write_frame(stack.At(i));
    WriteInt32(s, level);
    if (started && InPage(page, pc)) page->At(pc).SaveState(s);
}

void TCallMan::LoadFromStream(TStream& s, int32_t save_version) {
    auto live_sender = [&](std::string n) { return host_.ComponentExists(n) ? n : std::string(); };
    auto read_frame = [&](TStack& f) {
        f.page_name = ReadStr(s);
        f.pc = ReadInt32(s);
        f.started = ReadByte(s);
        f.run_on = ReadByte(s);
        int32_t has_result_var = ReadInt32(s);
        f.args = ReadArgs(s);
        f.sender = live_sender(ReadStr(s));
        int32_t n = ReadInt32(s);
        if (n < 0 || n > s.Size() - s.Position()) throw FormatError("bad command state in saved interpreter state");
        f.state.reset();
        if (n > 0) {
            std::string bytes(static_cast<size_t>(n), '\0');
            s.ReadBuffer(bytes.data(), n);
            f.state = std::make_unique<TMemoryStream>(std::move(bytes));
        }
        uint8_t kind = ReadByte(s);
        f.result = kind ? script::MakeParam(kind) : nullptr;
        if (kind && !f.result) throw FormatError("bad result kind in saved interpreter state");
        if (f.result) f.result->LoadFromStream(s, &Vars());
        f.result_var.clear();
        if (has_result_var && !f.page_name.empty()) {
            TPage* fp = GetPage(f.page_name);
            if (InPage(fp, f.pc - 1) && fp->At(f.pc - 1).Code() == cmCall) f.result_var = fp->At(f.pc - 1).StrAt(2);
        }
    };
    std::string page_name = ReadStr(s);
    int32_t saved_pc = ReadInt32(s);
    run_on = ReadByte(s);
    started = ReadByte(s);
    mode = ReadInt32(s);
    sender = live_sender(ReadStr(s));
    args = ReadArgs(s);
    read_frame(stack.Spare());
    int32_t count = ReadInt32(s);
    if (count < 0 || count > (s.Size() - s.Position()) / 16) throw FormatError("bad frame count in saved interpreter state");
    stack.Clear();
    for (int32_t i = 0; i < count; ++i) read_frame(stack.Push());
    level = save_version >= 116 ? ReadInt32(s) : 2;
    page = page_name.empty() ? nullptr : GetPage(page_name);
    pc = saved_pc;
    if (started && InPage(page, pc)) page->At(pc).LoadState(s);
}

}  // namespace mivo
