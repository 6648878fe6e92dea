#include "GuiRenderer.h"

#include <CEGUI/RendererModules/OpenGL/GL3Renderer.h>

#include "gui/GuiRuntime.h"

namespace sim {

GuiRenderer::GuiRenderer(int width, int height)
    : m_renderer(CEGUI::OpenGL3Renderer::create(
          CEGUI::Sizef(static_cast<float>(width), static_cast<float>(height)))),
      m_width(width),
      m_height(height) {
    GUI::Runtime::Start(m_renderer);
}

GuiRenderer::~GuiRenderer() {
    GUI::Runtime::Shutdown();
    CEGUI::OpenGL3Renderer::destroy(m_renderer);
}

void GuiRenderer::Draw() {
    glViewport(0, 0, m_width, m_height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    GUI::Runtime::Render();
    glFinish();
}

}  // namespace sim
