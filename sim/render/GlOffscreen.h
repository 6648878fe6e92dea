// The Chamber drawn by CEGUI's OpenGL3 renderer alone, into an offscreen context: pictures without
// any X server.
#pragma once

#include <memory>

#include "GuiRenderer.h"
#include "OffscreenContext.h"
#include "Screen.h"

namespace sim {

class GlOffscreen : public Screen {
public:
    // Creates the context and starts the GUI on it; throws std::runtime_error (no context) or
    // CEGUI's exception (no renderer) when it cannot.
    GlOffscreen(int width, int height);

    void DrawFrame() override { m_renderer->Draw(); }
    Picture Capture() override { return CaptureFramebuffer(m_width, m_height); }

private:
    int m_width;
    int m_height;
    OffscreenContext m_context;
    std::unique_ptr<GuiRenderer> m_renderer;
};

}  // namespace sim
