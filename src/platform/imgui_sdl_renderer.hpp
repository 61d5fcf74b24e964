#pragma once
// Draws Dear ImGui's frames with an SDL renderer (textured triangles).
#include <SDL2/SDL.h>
#include <imgui.h>

namespace mivo {

class ImGuiSdlRenderer {
public:
    explicit ImGuiSdlRenderer(SDL_Renderer* renderer);
    ~ImGuiSdlRenderer();
    ImGuiSdlRenderer(const ImGuiSdlRenderer&) = delete;
    ImGuiSdlRenderer& operator=(const ImGuiSdlRenderer&) = delete;
    void Draw(ImDrawData* data);

private:
    SDL_Renderer* renderer_;
    SDL_Texture* font_ = nullptr;
};

}  // namespace mivo
