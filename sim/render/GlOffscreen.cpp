#include "GlOffscreen.h"

#include <stdexcept>

namespace sim {

GlOffscreen::GlOffscreen(int width, int height) : m_width(width), m_height(height), m_context(width, height) {
    if (!m_context.Ok()) {
        throw std::runtime_error(m_context.Error());
    }
    m_renderer = std::make_unique<GuiRenderer>(width, height);
}

}  // namespace sim
