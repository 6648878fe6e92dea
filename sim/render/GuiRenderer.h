// CEGUI's OpenGL3 renderer on the current OpenGL context, with the toolkit's runtime started on it
// (before any widget tree exists), and the frames it draws.
#pragma once

namespace CEGUI {
class OpenGL3Renderer;
}

namespace sim {

class GuiRenderer {
public:
    // Needs a current OpenGL 3.2 core context of the given size; throws CEGUI's exception when the
    // renderer cannot be created.
    GuiRenderer(int width, int height);
    // Stops the toolkit's runtime: every widget tree must be gone by then.
    ~GuiRenderer();
    GuiRenderer(const GuiRenderer&) = delete;
    GuiRenderer& operator=(const GuiRenderer&) = delete;

    // Clears the framebuffer and draws the GUI into it.
    void Draw();

private:
    CEGUI::OpenGL3Renderer& m_renderer;
    int m_width;
    int m_height;
};

}  // namespace sim
