#include "platform/imgui_sdl_renderer.hpp"

namespace mivo {

ImGuiSdlRenderer::ImGuiSdlRenderer(SDL_Renderer* renderer) : renderer_(renderer) {
    ImGuiIO& io = ImGui::GetIO();
    unsigned char* pixels = nullptr;
    int w = 0, h = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
    font_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, w, h);
    if (font_) {
        SDL_UpdateTexture(font_, nullptr, pixels, 4 * w);
        SDL_SetTextureBlendMode(font_, SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(font_, SDL_ScaleModeLinear);
    }
    io.Fonts->SetTexID(font_);
}

ImGuiSdlRenderer::~ImGuiSdlRenderer() {
    ImGui::GetIO().Fonts->SetTexID(nullptr);
    if (font_) SDL_DestroyTexture(font_);
}

void ImGuiSdlRenderer::Draw(ImDrawData* data) {
    if (!data || data->CmdListsCount == 0) return;
    SDL_Rect old_clip;
    SDL_bool had_clip = SDL_RenderIsClipEnabled(renderer_);
    SDL_RenderGetClipRect(renderer_, &old_clip);
    ImVec2 off = data->DisplayPos;
    for (int n = 0; n < data->CmdListsCount; ++n) {
        const ImDrawList* list = data->CmdLists[n];
        const ImDrawVert* vtx = list->VtxBuffer.Data;
        const ImDrawIdx* idx = list->IdxBuffer.Data;
        for (const ImDrawCmd& cmd : list->CmdBuffer) {
            if (cmd.UserCallback) {
                cmd.UserCallback(list, &cmd);
                continue;
            }
            SDL_Rect clip{static_cast<int>(cmd.ClipRect.x - off.x), static_cast<int>(cmd.ClipRect.y - off.y),
                          static_cast<int>(cmd.ClipRect.z - cmd.ClipRect.x),
                          static_cast<int>(cmd.ClipRect.w - cmd.ClipRect.y)};
            if (clip.w <= 0 || clip.h <= 0) continue;
            SDL_RenderSetClipRect(renderer_, &clip);
            const ImDrawVert* v = vtx + cmd.VtxOffset;
            SDL_RenderGeometryRaw(renderer_, static_cast<SDL_Texture*>(cmd.GetTexID()), &v->pos.x,
                                  sizeof(ImDrawVert), reinterpret_cast<const SDL_Color*>(&v->col), sizeof(ImDrawVert),
                                  &v->uv.x, sizeof(ImDrawVert), list->VtxBuffer.Size - static_cast<int>(cmd.VtxOffset),
                                  idx + cmd.IdxOffset, static_cast<int>(cmd.ElemCount), sizeof(ImDrawIdx));
        }
    }
    SDL_RenderSetClipRect(renderer_, had_clip ? &old_clip : nullptr);
}

}  // namespace mivo
