#include "scenario/project.hpp"

#include <cstdio>
#include <filesystem>

#include "core/error.hpp"
#include "core/sjis.hpp"
#include "data/loosefiles.hpp"
#include "platform/text_encoding.hpp"
#include "scenario/command.hpp"
#include "script/param_collection.hpp"
#include "script/sysfuncs.hpp"
#include "script/system_vars.hpp"

namespace mivo {

namespace {

const char* const kDefaultDiskPrompt = "ディスク%dを入れてから[OK]をクリックしてください";
const char* const kDefaultExitNotice = "終了します";

// "%d" of the disk prompt, without handing game text to printf.
std::string FormatDiskPrompt(const std::string& prompt, int32_t disk) {
    std::string out;
    for (size_t i = 0; i < prompt.size(); i += sjis::CharLen(prompt, i)) {
        if (prompt[i] == '%' && i + 1 < prompt.size() && prompt[i + 1] == 'd') {
            out += std::to_string(disk);
            ++i;
        } else {
            out.append(prompt, i, sjis::CharLen(prompt, i));
        }
    }
    return out;
}

}  // namespace

TProject::TProject(ProjectContext ctx) : ctx_(std::move(ctx)) {
    // 1. Defaults, and the terminate flag until the project has loaded.
    setting_.name = Utf8ToSjis("情報");
    setting_.disk_prompt = Utf8ToSjis(kDefaultDiskPrompt);
    setting_.exit_notice = Utf8ToSjis(kDefaultExitNotice);
    setting_.media_extensions = "wav.wma.ogg";
    setting_.frame_pacing = 1;
    setting_.save_status = 1;
    setting_.toolbar = 1;
    ctx_.state.terminate = true;

    // 2. Without data folders, the installation tells where the game is.
    if (!ctx_.has_args && !LocateData()) throw Error("インストールし直してください");

    // 3. The project file. A missing or unreadable one is reported (the
    // player would otherwise close without a word).
    std::string bytes;
    try {
        bytes = ctx_.files.ReadAll("mivo.zpb");
    } catch (const Error& e) {
        throw Error(std::string(e.what()));
    }
    if (bytes.empty()) throw Error("プロジェクトがありません");

    // 4. Its settings.
    setting_ = TProjectSetting::Parse(bytes, "mivo.zpb");

    // 5. Persistent data from save.dat comes with saving and loading.

    // 6. Initial variables, kept as status variables.
    for (const TParamData& d : setting_.variables) {
        if (ctx_.vars.Find(d.name)) continue;
        auto p = script::MakeParam(d.kind);
        if (!p) continue;
        switch (d.kind) {
            case 1: p->SetInt(d.int_value); break;
            case 2: p->SetFloat(d.float_value); break;
            case 3: p->SetBool(d.bool_value); break;
            case 4: p->SetStr(d.str_value); break;
            default: break;
        }
        auto& item = ctx_.vars.VarNew(d.name, d.kind, script::VarScope::Status, p.get());
        item.Status = 1;
    }

    // 7. Loaded.
    ctx_.state.terminate = false;

    // 8. An installed copy keeps the original folder-disk table.
    if (ctx_.files.FindEntry("/original_mivo.zpb")) {
        try {
            TProjectSetting original = TProjectSetting::Parse(ctx_.files.ReadAll("/original_mivo.zpb"), "/original_mivo.zpb");
            setting_.folder_disks = original.folder_disks;
        } catch (const Error&) {
        }
    }

    // 9. The interpreter and the start page.
    callman_ = std::make_unique<TCallMan>(*this, ctx_.funcs, events_);
    ctx_.vars.SetHost(this);
    if (!ctx_.files.Exists(setting_.start_page)) {
        ctx_.state.terminate = true;
        throw Error("スタートページがありません");
    }
    callman_->Start(setting_.start_page);
}

TProject::~TProject() {
    try {
        Shutdown();
    } catch (...) {
    }
    if (ctx_.vars.Host() == this) ctx_.vars.SetHost(nullptr);
}

void TProject::Shutdown() {
    if (shut_down_ || !callman_) return;
    shut_down_ = true;
    // The exit page gets one step.
    if (!setting_.exit_page.empty()) {
        try {
            callman_->Start(setting_.exit_page);
            ctx_.state.terminate = false;
            callman_->Step();
        } catch (const std::exception&) {
        }
        ctx_.state.terminate = true;
    }
    // The status data is written with saving and loading.
}

bool TProject::Step() { return callman_ ? callman_->Step() : true; }

bool TProject::LocateData() {
    // 1. install.dat beside the program makes its folder the loose-file folder.
    std::string install = (std::filesystem::path(ctx_.program_dir) / "install.dat").string();
    if (IsRegularFile(install) && ctx_.files.LooseDirectory().empty()) ctx_.files.SetLooseDirectory(ctx_.program_dir);
    // 2. Without an installation record the game cannot be found.
    if (!ctx_.files.Exists("install.dat")) {
        Ask(Utf8ToSjis("インストールし直してください"), Utf8ToSjis("情報"), MsgButtons::Ok, MsgIcon::Information, MsgResult::Ok);
        return false;
    }
    // 3. What it says.
    TMivoInstallSet rec = TMivoInstallSet::Parse(ctx_.files.ReadAll("install.dat"), "install.dat");
    install_project_ = rec.project_name;
    // 4. game.dat beside the program.
    std::string dat = (std::filesystem::path(ctx_.program_dir) / "game.dat").string();
    if (IsRegularFile(dat)) {
        ctx_.files.AddArchive(dat);
        if (rec.installed_whole) return true;
    } else if (ctx_.files.ArchiveCount() > 0 && rec.installed_whole) {
        return true;
    }
    // 5./6. A disc holding the game, asked for until found or given up.
    while (true) {
        if (AddDiscArchives([&](const TMivoInstallSet& r) { return r.project_name == install_project_; }, true))
            return true;
        if (Ask(Utf8ToSjis("ディスクを入れてください"), Utf8ToSjis("情報"), MsgButtons::OkCancel, MsgIcon::Information,
                MsgResult::Cancel) == MsgResult::Ok)
            continue;
        if (Ask(setting_.exit_notice, setting_.name, MsgButtons::OkCancel, MsgIcon::Question, MsgResult::Ok) == MsgResult::Ok)
            return false;
    }
}

bool TProject::AddDiscArchives(const std::function<bool(const TMivoInstallSet&)>& wanted, bool first_only) {
    bool found = false;
    for (const std::string& root : ctx_.files.CdRoots()) {
        auto gd = FindFileUnder(root, "game.dat");
        auto id = FindFileUnder(root, "install.dat");
        if (!gd || !id) continue;
        try {
            TMemoryStream m;
            m.LoadFromFile(*id);
            if (!wanted(TMivoInstallSet::Parse(m.Bytes(), *id))) continue;
            ctx_.files.AddArchive(*gd);
            found = true;
            if (first_only) break;
        } catch (const Error&) {
            // A disc with an unreadable record is not this game's.
        }
    }
    return found;
}

bool TProject::PageExists(std::string_view name) {
    if (name.empty()) return false;
    if (ctx_.files.Exists(name)) return true;
    int32_t d = setting_.folder_disks.DiskOf(name);
    if (d <= 0) return false;
    // Media of another disc are not worth a disc change.
    std::string ext = sjis::LowerCase(GameExtensionOf(name));
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    if (!ext.empty() && (sjis::LowerCase(setting_.media_extensions) + ".").find(ext + ".") != std::string::npos)
        return false;
    return DiskChange(d);
}

bool TProject::DiskChange(int32_t disk) {
    // 1. Archives of the disc in the drive go.
    auto roots = ctx_.files.CdRoots();
    for (int i = ctx_.files.ArchiveCount() - 1; i >= 0; --i) {
        const std::string& file = ctx_.files.Archive(i).FileName();
        for (const std::string& root : roots)
            if (!file.empty() && file.rfind(root, 0) == 0) {
                ctx_.files.RemoveArchive(i);
                break;
            }
    }
    while (true) {
        // 2. Ask for the disc.
        if (Ask(FormatDiskPrompt(setting_.disk_prompt, disk), setting_.name, MsgButtons::OkCancel,
                MsgIcon::Information, MsgResult::Cancel) == MsgResult::Ok) {
            // 3. Every disc of this game with that number.
            if (AddDiscArchives(
                    [&](const TMivoInstallSet& r) { return r.project_name == setting_.name && r.disk == disk - 1; },
                    false))
                return true;
            continue;
        }
        // 4. Giving up ends the game.
        if (Ask(setting_.exit_notice, setting_.name, MsgButtons::OkCancel, MsgIcon::Question, MsgResult::Ok) ==
            MsgResult::Ok) {
            Terminate();
            return false;
        }
    }
}

MsgResult TProject::Ask(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon,
                        MsgResult headless) {
    return ctx_.dialogs.Show(SjisToUtf8(text), SjisToUtf8(caption), buttons, icon, headless);
}

std::string TProject::ReadPage(std::string_view name) { return ctx_.files.ReadAll(name); }

void TProject::Terminate() {
    ctx_.state.terminate = true;
    if (ctx_.post_close) ctx_.post_close();
}

void TProject::Trace(const std::string& line) {
    if (ctx_.trace) ctx_.trace(line);
}

void TProject::Warn(const std::string& text) {
    ctx_.dialogs.Show(SjisToUtf8(text), "警告", MsgButtons::Ok, MsgIcon::Warning, MsgResult::Ok);
}

void TProject::Unsupported(const TCommand& cmd) {
    if (ctx_.trace) ctx_.trace(std::string("  (") + cmd.Spec().name + " is not supported yet; passed over)");
}

void TProject::ReadSystem(int index, int32_t element, script::TCustomParam& out) {
    using namespace script;
    const InputState& in = ctx_.state.input;
    // Key tables: 256 keys, then the wheel down and up of this frame.
    auto key_table = [&](const std::array<bool, 256>& keys) {
        if (element >= 0 && element < 256) return keys[static_cast<size_t>(element)];
        if (element == 256) return in.wheel_down;
        if (element == 257) return in.wheel_up;
        return false;
    };
    switch (index) {
        case SV_LCLICK: out.SetBool(in.left_click); break;
        case SV_RCLICK: out.SetBool(in.right_click); break;
        case SV_LPUSH: out.SetBool(in.left_held); break;
        case SV_RPUSH: out.SetBool(in.right_held); break;
        case SV_MOUSEX: out.SetInt(in.mouse_x); break;
        case SV_MOUSEY: out.SetInt(in.mouse_y); break;
        case SV_KEYPUSH: out.SetBool(key_table(in.key_held)); break;
        case SV_KEYCLICK: out.SetBool(key_table(in.key_typed)); break;
        case SV_WHEELDOWN: out.SetBool(in.wheel_down); break;
        case SV_WHEELUP: out.SetBool(in.wheel_up); break;
        case SV_FULLSCR: out.SetBool(ctx_.state.full_screen); break;
        case SV_PARAMCOUNT: out.SetInt(callman_ ? callman_->ArgumentCount() : 0); break;
        case SV_PARAMSTR: out.SetStr(callman_ ? callman_->Argument(element) : std::string()); break;
        case SV_SENDER: out.SetStr(callman_ ? callman_->SenderName() : std::string()); break;
        case SV_SCRWIDTH: out.SetInt(setting_.screen_width); break;
        case SV_SCRHEIGHT: out.SetInt(setting_.screen_height); break;
        case SV_TICKCOUNT: out.SetInt(ctx_.state.clock.Now()); break;
        case SV_UPDATECOUNT: out.SetInt(update_count); break;
        case SV_TITLE: out.SetStr(setting_.name); break;
        case SV_STACKCOUNT: out.SetInt(callman_ ? callman_->stack.Count() : 0); break;
        default: break;
    }
}

void TProject::WriteSystem(int index, const script::TCustomParam& value) {
    InputState& in = ctx_.state.input;
    switch (index) {
        case script::SV_LCLICK: in.left_click = value.AsBool(); break;  // FALSE consumes a click
        case script::SV_RCLICK: in.right_click = value.AsBool(); break;
        case script::SV_MOUSEX:
        case script::SV_MOUSEY: {
            // The pointer moves; the other coordinate stays.
            int32_t x = index == script::SV_MOUSEX ? value.AsInt() : in.mouse_x;
            int32_t y = index == script::SV_MOUSEY ? value.AsInt() : in.mouse_y;
            in.mouse_x = x;
            in.mouse_y = y;
            if (ctx_.move_cursor) ctx_.move_cursor(x, y);
            break;
        }
        default: break;
    }
}

int32_t TProject::SystemCount(int index) {
    switch (index) {
        case script::SV_PARAMSTR: return callman_ ? callman_->ArgumentCount() : 0;
        case script::SV_KEYPUSH:
        case script::SV_KEYCLICK:
        case script::SV_KEYREPEAT: return 258;
        default: return 0;
    }
}

}  // namespace mivo
