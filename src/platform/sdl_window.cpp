#include "platform/sdl_window.hpp"

#include <SDL2/SDL.h>
#include <imgui.h>
#include <imgui_freetype.h>
#include <backends/imgui_impl_sdl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "core/error.hpp"
#include "graphics/screen_layout.hpp"
#include "platform/imgui_sdl_renderer.hpp"
#include "platform/sdl_keymap.hpp"

namespace mivo {

namespace {

constexpr int kToolbarHeight = 22;  // buttons of 18 pixels and the dock's margin

const char* const kJapaneseFaces[] = {
    "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf",
    "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
    "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
};

bool FileExists(const char* p) {
    struct stat st{};
    return ::stat(p, &st) == 0;
}

}  // namespace

struct SdlWindow::Impl {
    WindowOptions opt;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    ImGuiContext* gui = nullptr;
    std::unique_ptr<ImGuiSdlRenderer> gui_renderer;
    ScreenLayout layout;
    bool full_screen = false;
    bool pointer_on_top = false;
    bool needs_render = true;
    bool has_frame = false;
    // The toolbar's clicks, delivered as events on the next poll.
    std::vector<WindowEvent> queued;
    // A message box being shown.
    struct Box {
        std::string text, caption;
        MsgButtons buttons;
        MsgResult answer;
        bool answered = false;
    };
    Box* box = nullptr;

    ~Impl() {
        gui_renderer.reset();
        if (gui) {
            ImGui::SetCurrentContext(gui);
            ImGui_ImplSDL2_Shutdown();
            ImGui::DestroyContext(gui);
        }
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    }

    bool ToolbarShown() const { return opt.toolbar && (!full_screen || pointer_on_top); }
    int ReservedTop() const { return opt.toolbar && !full_screen ? kToolbarHeight : 0; }

    void Relayout() {
        int w = 0, h = 0;
        SDL_GetRendererOutputSize(renderer, &w, &h);
        layout = FitScreen(w, h, ReservedTop(), opt.game_width, opt.game_height, opt.integer_scale);
        needs_render = true;
    }

    void DrawGui() {
        ImGui::SetCurrentContext(gui);
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        if (ToolbarShown()) {
            int w = 0, h = 0;
            SDL_GetRendererOutputSize(renderer, &w, &h);
            ImGui::SetNextWindowPos(ImVec2(0, 0));
            ImGui::SetNextWindowSize(ImVec2(static_cast<float>(w), kToolbarHeight));
            ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(2, 2));
            ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(4, 1));
            ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 0);
            ImGui::Begin("toolbar", nullptr,
                         ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                             ImGuiWindowFlags_NoBringToFrontOnFocus);
            if (ImGui::Button("終了", ImVec2(67, 18))) queued.push_back({WindowEvent::ExitRequest});
            ImGui::SameLine(0, 2);
            if (ImGui::Button("画面切替", ImVec2(67, 18))) queued.push_back({WindowEvent::ToggleFullScreen});
            ImGui::End();
            ImGui::PopStyleVar(3);
        }
        if (box) {
            ImGui::OpenPopup("##message");
            ImGui::SetNextWindowPos(ImGui::GetMainViewport()->GetCenter(), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
            if (ImGui::BeginPopupModal("##message", nullptr,
                                       ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoTitleBar)) {
                ImGui::TextUnformatted(box->caption.c_str());
                ImGui::Separator();
                ImGui::TextUnformatted(box->text.c_str());
                ImGui::Spacing();
                auto button = [&](const char* label, MsgResult r) {
                    if (ImGui::Button(label, ImVec2(96, 0))) {
                        box->answer = r;
                        box->answered = true;
                    }
                    ImGui::SameLine();
                };
                switch (box->buttons) {
                    case MsgButtons::Ok: button("OK", MsgResult::Ok); break;
                    case MsgButtons::OkCancel:
                        button("OK", MsgResult::Ok);
                        button("キャンセル", MsgResult::Cancel);
                        break;
                    case MsgButtons::YesNo:
                        button("はい", MsgResult::Yes);
                        button("いいえ", MsgResult::No);
                        break;
                }
                ImGui::EndPopup();
            }
        }
        ImGui::Render();
    }

    // Draws the picture (and, unless picture_only, the toolbar and boxes).
    void Render(bool present, bool picture_only = false) {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        if (has_frame) {
            SDL_Rect dst{layout.x, layout.y, layout.width, layout.height};
            SDL_RenderCopy(renderer, texture, nullptr, &dst);
        }
        if (!picture_only) {
            DrawGui();
            gui_renderer->Draw(ImGui::GetDrawData());
        }
        if (present) SDL_RenderPresent(renderer);
        needs_render = false;
    }
};

SdlWindow::SdlWindow(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SdlWindow::~SdlWindow() = default;

std::unique_ptr<SdlWindow> SdlWindow::Create(const WindowOptions& opt) {
    auto impl = std::make_unique<Impl>();
    impl->opt = opt;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        throw Error(std::string("cannot open a window: ") + SDL_GetError());
    SDL_DisableScreenSaver();
    bool software = opt.renderer == "software";
    if (opt.renderer == "auto") {
        // Without a GPU the accelerated renderer is OpenGL drawn by the CPU,
        // far slower than SDL's own software renderer.
        software = !FileExists("/dev/dri/renderD128") && !FileExists("/dev/dri/card0");
    }
    if (software) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, opt.integer_scale ? "nearest" : "linear");
    int scale = std::max(1, opt.scale);
    int top = opt.toolbar ? kToolbarHeight : 0;
    impl->window = SDL_CreateWindow(opt.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                    opt.game_width * scale, opt.game_height * scale + top,
                                    SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!impl->window) throw Error(std::string("cannot open a window: ") + SDL_GetError());
    impl->renderer = SDL_CreateRenderer(impl->window, -1, software ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED);
    if (!impl->renderer) impl->renderer = SDL_CreateRenderer(impl->window, -1, SDL_RENDERER_SOFTWARE);
    if (!impl->renderer) throw Error(std::string("cannot draw in the window: ") + SDL_GetError());
    impl->texture = SDL_CreateTexture(impl->renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                      opt.game_width, opt.game_height);
    if (!impl->texture) throw Error(std::string("cannot make the screen texture: ") + SDL_GetError());

    IMGUI_CHECKVERSION();
    impl->gui = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.Fonts->FontBuilderIO = ImGuiFreeType::GetBuilderForFreeType();
    for (const char* face : kJapaneseFaces) {
        if (!FileExists(face)) continue;
        io.Fonts->AddFontFromFileTTF(face, 15.0f, nullptr, io.Fonts->GetGlyphRangesJapanese());
        break;
    }
    if (io.Fonts->Fonts.empty()) io.Fonts->AddFontDefault();
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForSDLRenderer(impl->window);
    impl->gui_renderer = std::make_unique<ImGuiSdlRenderer>(impl->renderer);

    auto w = std::unique_ptr<SdlWindow>(new SdlWindow(std::move(impl)));
    w->impl_->Relayout();
    if (opt.full_screen) w->SetFullScreen(true);
    return w;
}

bool SdlWindow::Poll(WindowEvent& out) {
    Impl& m = *impl_;
    if (!m.queued.empty()) {
        out = m.queued.front();
        m.queued.erase(m.queued.begin());
        return true;
    }
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) {
        ImGui::SetCurrentContext(m.gui);
        ImGui_ImplSDL2_ProcessEvent(&ev);
        ImGuiIO& io = ImGui::GetIO();
        out = WindowEvent{};
        auto map_point = [&](int32_t x, int32_t y) {
            bool inside = false;
            WindowToGame(m.layout, x, y, out.x, out.y, inside);
            out.on_screen = inside;
        };
        switch (ev.type) {
            case SDL_QUIT: out.kind = WindowEvent::Close; return true;
            case SDL_WINDOWEVENT:
                switch (ev.window.event) {
                    case SDL_WINDOWEVENT_FOCUS_GAINED: out.kind = WindowEvent::Activated; return true;
                    case SDL_WINDOWEVENT_FOCUS_LOST: out.kind = WindowEvent::Deactivated; return true;
                    case SDL_WINDOWEVENT_SIZE_CHANGED: m.Relayout(); break;
                    case SDL_WINDOWEVENT_EXPOSED: m.needs_render = true; break;
                    default: break;
                }
                break;
            case SDL_MOUSEMOTION: {
                bool top = m.full_screen && ev.motion.y == 0;
                if (top != m.pointer_on_top) m.pointer_on_top = top, m.needs_render = true;
                if (m.ToolbarShown() && ev.motion.y < kToolbarHeight) m.needs_render = true;
                out.kind = WindowEvent::MouseMove;
                map_point(ev.motion.x, ev.motion.y);
                return true;
            }
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                m.needs_render = true;
                if (io.WantCaptureMouse && ev.type == SDL_MOUSEBUTTONDOWN) break;  // the toolbar's
                out.kind = ev.type == SDL_MOUSEBUTTONDOWN ? WindowEvent::MouseDown : WindowEvent::MouseUp;
                out.button = ev.button.button == SDL_BUTTON_LEFT ? 1 : ev.button.button == SDL_BUTTON_RIGHT ? 2 : 3;
                map_point(ev.button.x, ev.button.y);
                if (!out.on_screen && out.kind == WindowEvent::MouseDown) break;
                return true;
            case SDL_MOUSEWHEEL:
                if (ev.wheel.y == 0) break;
                out.kind = WindowEvent::Wheel;
                out.wheel = ev.wheel.y;
                return true;
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                bool down = ev.type == SDL_KEYDOWN;
                SDL_Keycode k = ev.key.keysym.sym;
                bool alt = (ev.key.keysym.mod & KMOD_ALT) != 0;
                if (down && !ev.key.repeat && ((k == SDLK_RETURN && alt) || k == SDLK_F11)) {
                    out.kind = WindowEvent::ToggleFullScreen;
                    return true;
                }
                if (down && !ev.key.repeat && k == SDLK_F12) {
                    out.kind = WindowEvent::Screenshot;
                    return true;
                }
                out.kind = down ? WindowEvent::KeyDown : WindowEvent::KeyUp;
                out.key = ScancodeToVirtualKey(ev.key.keysym.scancode);
                out.repeat = ev.key.repeat != 0;
                if (out.key == 0) break;
                return true;
            }
            default: break;
        }
    }
    return false;
}

void SdlWindow::Wait(int ms) {
    if (impl_->needs_render) impl_->Render(true);
    if (ms > 0) SDL_WaitEventTimeout(nullptr, ms);
}

uint64_t SdlWindow::Ticks() const { return SDL_GetTicks64(); }

void SdlWindow::Present(const uint8_t* pixels, int pitch, int width, int height, const std::vector<WindowRect>& dirty) {
    Impl& m = *impl_;
    if (width != m.opt.game_width || height != m.opt.game_height) return;
    for (const WindowRect& r : dirty) {
        SDL_Rect rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
        if (rect.w <= 0 || rect.h <= 0) continue;
        SDL_UpdateTexture(m.texture, &rect, pixels + static_cast<size_t>(r.top) * pitch + static_cast<size_t>(r.left) * 4,
                          pitch);
    }
    m.has_frame = true;
    m.Render(true);
}

void SdlWindow::SetFullScreen(bool on) {
    Impl& m = *impl_;
    if (on == m.full_screen) return;
    if (SDL_SetWindowFullscreen(m.window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return;
    m.full_screen = on;
    m.pointer_on_top = false;
    SDL_ShowCursor(SDL_ENABLE);
    m.Relayout();
}

bool SdlWindow::IsFullScreen() const { return impl_->full_screen; }

std::vector<DisplayMode> SdlWindow::DisplayModes() const {
    std::vector<DisplayMode> modes;
    int display = SDL_GetWindowDisplayIndex(impl_->window);
    int n = SDL_GetNumDisplayModes(std::max(display, 0));
    for (int i = 0; i < n; ++i) {
        SDL_DisplayMode dm;
        if (SDL_GetDisplayMode(std::max(display, 0), i, &dm) != 0) continue;
        int bits = static_cast<int>(SDL_BITSPERPIXEL(dm.format));
        modes.push_back({dm.w, dm.h, bits == 24 ? 32 : bits, dm.refresh_rate});
    }
    return modes;
}

void SdlWindow::SetTitle(const std::string& utf8) { SDL_SetWindowTitle(impl_->window, utf8.c_str()); }

bool SdlWindow::ReadBack(std::vector<uint32_t>& pixels, int& width, int& height) {
    Impl& m = *impl_;
    m.Render(false, true);
    width = m.layout.width;
    height = m.layout.height;
    pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    SDL_Rect r{m.layout.x, m.layout.y, width, height};
    bool ok = SDL_RenderReadPixels(m.renderer, &r, SDL_PIXELFORMAT_RGB888, pixels.data(), width * 4) == 0;
    m.Render(true);
    return ok;
}

MsgResult SdlWindow::Show(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon,
                          MsgResult headless_answer) {
    Impl& m = *impl_;
    Impl::Box box{text, caption, buttons, headless_answer};
    m.box = &box;
    while (!box.answered) {
        SDL_Event ev;
        while (SDL_PollEvent(&ev)) {
            ImGui::SetCurrentContext(m.gui);
            ImGui_ImplSDL2_ProcessEvent(&ev);
            if (ev.type == SDL_QUIT) {
                box.answered = true;  // closing the window takes the default answer
            } else if (ev.type == SDL_KEYDOWN && (ev.key.keysym.sym == SDLK_RETURN || ev.key.keysym.sym == SDLK_KP_ENTER)) {
                box.answer = buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
                box.answered = true;
            } else if (ev.type == SDL_KEYDOWN && ev.key.keysym.sym == SDLK_ESCAPE && buttons != MsgButtons::Ok) {
                box.answer = buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
                box.answered = true;
            } else if (ev.type == SDL_WINDOWEVENT && ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                m.Relayout();
            }
        }
        m.Render(true);
        SDL_WaitEventTimeout(nullptr, 30);
    }
    m.box = nullptr;
    m.needs_render = true;
    m.queued.clear();
    return box.answer;
}

void SdlWindow::MoveCursor(int32_t x, int32_t y) {
    const ScreenLayout& l = impl_->layout;
    if (l.game_width <= 0 || l.game_height <= 0) return;
    // Output pixels to window points (they differ on high-density displays).
    int ow = 0, oh = 0, ww = 0, wh = 0;
    SDL_GetRendererOutputSize(impl_->renderer, &ow, &oh);
    SDL_GetWindowSize(impl_->window, &ww, &wh);
    int64_t px = l.x + (int64_t(x) * l.width + l.width / 2) / l.game_width;
    int64_t py = l.y + (int64_t(y) * l.height + l.height / 2) / l.game_height;
    if (ow > 0 && oh > 0) {
        px = px * ww / ow;
        py = py * wh / oh;
    }
    SDL_WarpMouseInWindow(impl_->window, static_cast<int>(px), static_cast<int>(py));
}

std::string SdlWindow::RendererName() const {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(impl_->renderer, &info) != 0) return "unknown";
    return info.name;
}

}  // namespace mivo
