#include "scenario/flow_commands.hpp"

#include "core/error.hpp"
#include "data/streams.hpp"
#include "scenario/call_man.hpp"
#include "scenario/page.hpp"
#include "script/param_collection.hpp"

namespace mivo {

namespace {

using script::TCustomParam;

bool InPage(const TPage* p, int32_t pc) { return p && pc >= 0 && pc < p->CommandCount(); }

// If, and the start of every Elseif/Else chain it heads.
class TComIf : public TCommand {
public:
    using TCommand::TCommand;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override {
        ++pc;
        if (man.Condition(ExprAt(0))) return;
        // Skip to the next branch of the same indent whose condition holds.
        while (pc < page->CommandCount()) {
            TCommand& c = page->At(pc);
            if (c.Indent > Indent) {
                ++pc;
            } else if (c.Indent < Indent) {
                return;
            } else if (c.Code() == cmElseif) {
                ++pc;
                if (man.Condition(c.ExprAt(0))) return;
            } else if (c.Code() == cmElse) {
                ++pc;
                return;
            } else {
                return;
            }
        }
    }
};

// Reached by running off the end of the branch above: the rest of the chain
// is skipped.
void SkipDeeper(const TCommand& self, TPage* page, int32_t& pc) {
    ++pc;
    while (pc < page->CommandCount() && page->At(pc).Indent > self.Indent) ++pc;
}

class TComElseif : public TComIf {
public:
    using TComIf::TComIf;
    void Execute(TCallMan&, TPage*& page, int32_t& pc) override { SkipDeeper(*this, page, pc); }
};

class TComElse : public TCommand {
public:
    using TCommand::TCommand;
    bool GetRunOn() const override { return true; }
    void Execute(TCallMan&, TPage*& page, int32_t& pc) override { SkipDeeper(*this, page, pc); }
};

class TComLabel : public TCommand {
public:
    using TCommand::TCommand;
    bool MatchLabel(std::string_view name) const override { return StrAt(0) == name; }
};

// Never runs. Its text is not a label: a comment that happens to read like a
// label's name must not become a jump target.
class TComComment : public TComLabel {
public:
    using TComLabel::TComLabel;
    bool GetDisabled() const override { return true; }
    bool GetRunOn() const override { return false; }
    bool MatchLabel(std::string_view) const override { return false; }
};

class TComJump : public TCommand {
public:
    using TCommand::TCommand;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override {
        ++pc;
        if (man.Condition(ExprAt(2)) && man.Host().PageExists(StrAt(0))) {
            page = man.GetPage(StrAt(0));
            pc = IntAt(1);
        }
    }
};

class TComCall : public TCommand {
public:
    using TCommand::TCommand;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override {
        // 1. Condition and target.
        ++pc;
        if (!man.Condition(ExprAt(3)) || !man.Host().PageExists(StrAt(0))) return;
        // 2. Arguments that yield a value, as strings.
        std::vector<std::string> call_args;
        for (const auto& e : fields[4].list)
            if (TCustomParam* v = man.Eval(e.get())) call_args.push_back(v->AsStr());
        // 3. The return point.
        TStack& f = man.stack.Push();
        f.page_name = page->name;
        f.pc = pc;
        f.result_var = StrAt(2);
        f.run_on = man.run_on;
        f.sender = man.sender;
        f.args = man.args;
        man.args = std::move(call_args);
        // 4. The called page, and a result of its type for it to fill.
        page = man.GetPage(StrAt(0));
        pc = IntAt(1);
        f.result = script::MakeParam(page->result_type);
    }
};

class TComExit : public TCommand {
public:
    using TCommand::TCommand;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override {
        if (man.Condition(ExprAt(0)))
            page = nullptr;
        else
            ++pc;
    }
};

class TComBreak : public TComExit {
public:
    using TComExit::TComExit;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override {
        if (!man.Condition(ExprAt(0))) {
            ++pc;
        } else if (IntAt(1) < 0) {
            page = nullptr;
        } else {
            pc = IntAt(1);
        }
    }
};

class TComContinue : public TComExit {
public:
    using TComExit::TComExit;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override {
        ++pc;
        if (!man.Condition(ExprAt(0))) return;
        if (IntAt(1) < 0)
            page = nullptr;
        else
            pc = IntAt(1);
    }
};

class TComWhile : public TCommand {
public:
    using TCommand::TCommand;
    void Execute(TCallMan& man, TPage*&, int32_t& pc) override {
        ++pc;
        if (!man.Condition(ExprAt(0))) pc = IntAt(1);
    }
};

class TComWhileInit : public TCommand {
public:
    using TCommand::TCommand;
    bool GetRunOn() const override { return true; }
    void Execute(TCallMan& man, TPage*&, int32_t& pc) override {
        ++pc;
        man.Eval(ExprAt(0));
    }
};

class TComWhileLoop : public TComWhileInit {
public:
    using TComWhileInit::TComWhileInit;
    void Execute(TCallMan& man, TPage*&, int32_t& pc) override {
        pc = IntAt(1);
        man.Eval(ExprAt(0));
    }
};

// Calc, and the records whose only work is evaluating one expression.
class TComCalc : public TCommand {
public:
    using TCommand::TCommand;
    void Execute(TCallMan& man, TPage*&, int32_t& pc) override {
        ++pc;
        man.Eval(ExprAt(0));
    }
};

class TComWait : public TCommand {
public:
    using TCommand::TCommand;
    bool WantsYield() const override { return true; }
    bool BlocksEvents() const override { return block_events_; }
    void Start(TCallMan& man) override {
        TCustomParam* t = man.Eval(ExprAt(1));
        remaining_ = t ? t->AsInt() : 0;
        first_frame_ = 1;
        TCustomParam* b = fields[2].present ? man.Eval(ExprAt(2)) : nullptr;
        block_events_ = b && b->AsBool();
    }
    void Execute(TCallMan& man, TPage*&, int32_t& pc) override {
        TCustomParam* c = man.Eval(ExprAt(0));
        if (c && !c->AsBool()) {
            ++pc;
            return;
        }
        if (remaining_ != 0) {
            // The step in which the wait starts never counts.
            if (first_frame_ <= 0) {
                remaining_ -= man.Host().LastFrame();
                if (remaining_ <= 0) {
                    ++pc;
                    return;
                }
            } else {
                --first_frame_;
            }
        }
        man.run_on = 0;
    }
    void SaveState(TStream& s) const override {
        TCommand::SaveState(s);
        WriteInt32(s, remaining_);
        WriteInt32(s, first_frame_);
        WriteBool(s, block_events_);
    }
    void LoadState(TStream& s) override {
        int v = ReadStateTag(s);
        remaining_ = ReadInt32(s);
        first_frame_ = ReadInt32(s);
        if (v >= 100) block_events_ = ReadBool(s);
    }

private:
    int32_t remaining_ = 0;
    int32_t first_frame_ = 1;
    bool block_events_ = false;
};

class TComDoEvent : public TCommand {
public:
    using TCommand::TCommand;
    bool GetRunOn() const override { return false; }
    bool WantsYield() const override { return true; }
};

class TComPCReset : public TCommand {
public:
    using TCommand::TCommand;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override {
        auto& vars = man.Vars();
        const std::string& target_page = StrAt(0);
        int32_t target = IntAt(1);
        if (IntAt(2) != 0) {
            // Every frame goes: their variables, and their half-done commands.
            for (int d = man.stack.Count(); d >= 0; --d) vars.DeleteFrame(d);
            for (int i = man.stack.Count() - 1; i >= 0; --i) {
                TStack& f = man.stack.At(i);
                if (!f.sender.empty() || !f.started) continue;
                TPage* fp = man.GetPage(f.page_name);
                if (InPage(fp, f.pc)) fp->At(f.pc).Abort(man);
            }
            man.Start(target_page);
            page = man.page;
            pc = target;
            man.Events().Clear();
            return;
        }
        vars.DeleteFrame(man.stack.Count());
        // The main flow below the running handlers resumes at the target once
        // they have ended.
        int pos = -1;
        for (int i = 0; i < man.stack.Count(); ++i)
            if (!man.stack.At(i).sender.empty()) {
                pos = i;
                break;
            }
        if (pos < 0 && man.mode != 0 && man.Host().ComponentExists(man.sender)) pos = man.stack.Count();
        int frame = -1;
        for (int j = pos - 1; j >= 0; --j)
            if (man.stack.At(j).sender.empty()) {
                frame = j;
                break;
            }
        if (frame >= 0) {
            vars.DeleteFrame(frame);
            TStack& f = man.stack.At(frame);
            f.page_name = target_page;
            f.pc = target;
            f.started = 0;
            f.result_var.clear();
            f.args.clear();
            f.state.reset();
            ++pc;
        } else {
            page = man.GetPage(target_page);
            pc = target;
        }
        man.Events().RemoveStarted();
    }
};

class TComReset : public TComPCReset {
public:
    using TComPCReset::TComPCReset;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override {
        man.Host().ResetWorld();
        man.Vars().ResetVars();
        man.Start(StrAt(0));
        page = man.page;
        pc = IntAt(1);
    }
};

class TComTerminate : public TCommand {
public:
    using TCommand::TCommand;
    void Execute(TCallMan& man, TPage*&, int32_t& pc) override {
        man.Host().Terminate();
        ++pc;
    }
};

class TComVarNew : public TCommand {
public:
    using TCommand::TCommand;
    void Execute(TCallMan& man, TPage*&, int32_t& pc) override {
        ++pc;
        const std::string& name = StrAt(0);
        if (name.empty()) throw Error("変数名がありません");
        auto scope = static_cast<script::VarScope>(IntAt(3) & 3);
        auto& vars = man.Vars();
        // An existing status variable keeps its value; its initial value is
        // not even evaluated.
        if (auto* item = vars.FindScoped(name, scope == script::VarScope::Local); item && item->Status) return;
        TCustomParam* initial = man.Eval(ExprAt(2));
        vars.VarNew(name, static_cast<uint8_t>(IntAt(1)), scope, initial);
    }
};

class TComVarDel : public TCommand {
public:
    using TCommand::TCommand;
    void Execute(TCallMan& man, TPage*&, int32_t& pc) override {
        ++pc;
        man.Vars().VarDelete(StrAt(0));
    }
};

template <class T>
std::unique_ptr<TCommand> Make(uint8_t raw) {
    return std::make_unique<T>(raw);
}

}  // namespace

std::unique_ptr<TCommand> CreateFlowCommand(uint8_t raw) {
    switch (raw & 0x7F) {
        case cmIf: return Make<TComIf>(raw);
        case cmElseif: return Make<TComElseif>(raw);
        case cmElse: return Make<TComElse>(raw);
        case cmLabel: return Make<TComLabel>(raw);
        case cmJump: return Make<TComJump>(raw);
        case cmCall: return Make<TComCall>(raw);
        case cmExit: return Make<TComExit>(raw);
        case cmWait: return Make<TComWait>(raw);
        case cmCalc: return Make<TComCalc>(raw);
        case cmVarNew: return Make<TComVarNew>(raw);
        case cmVarDel: return Make<TComVarDel>(raw);
        case cmComment: return Make<TComComment>(raw);
        case cmWhile: return Make<TComWhile>(raw);
        case cmWhileInit: return Make<TComWhileInit>(raw);
        case cmWhileLoop: return Make<TComWhileLoop>(raw);
        case cmBreak: return Make<TComBreak>(raw);
        case cmContinue: return Make<TComContinue>(raw);
        case cmPCReset: return Make<TComPCReset>(raw);
        case cmReset: return Make<TComReset>(raw);
        case cmTerminate: return Make<TComTerminate>(raw);
        case cmDoEvent: return Make<TComDoEvent>(raw);
        default: return nullptr;
    }
}

}  // namespace mivo
