// The Chamber drawn by CEGUI's OpenGL3 renderer alone, into an offscreen context: pictures without
// any X server.
#pragma once

#include <memory>
#include <string>

#include "GuiRenderer.h"
#include "OffscreenContext.h"
#include "Screen.h"

namespace sim {

class GlOffscreen : public Screen {
public:
    // Creates the context and starts the GUI on it; Ok() tells whether that worked.
    GlOffscreen(int width, int height);

    bool Ok() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }

    void DrawFrame() override { m_renderer->Draw(); }
    Picture Capture() override { return CaptureFramebuffer(m_width, m_height); }

private:
    int m_width;
    int m_height;
    OffscreenContext m_context;
    std::unique_ptr<GuiRenderer> m_renderer;
    std::string m_error;
};

}  // namespace sim
