#include "GlOffscreen.h"

#include <CEGUI/Exceptions.h>

namespace sim {

GlOffscreen::GlOffscreen(int width, int height) : m_width(width), m_height(height), m_context(width, height) {
    if (!m_context.Ok()) {
        m_error = m_context.Error();
        return;
    }
    try {
        m_renderer = std::make_unique<GuiRenderer>(width, height);
    } catch (const CEGUI::Exception& error) {
        m_error = error.getMessage().c_str();
    }
}

}  // namespace sim
