// An OpenGL 3.2 core context without any window or X server: EGL on Mesa's surfaceless platform
// with an 800 x 600 pbuffer, for drawing the Chamber into pictures.
#pragma once

#include <string>

namespace sim {

class OffscreenContext {
public:
    // Creates the context and makes it current; Ok() tells whether that worked, Error() why not.
    OffscreenContext(int width, int height);
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    bool Ok() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }

private:
    void* m_display = nullptr;
    void* m_surface = nullptr;
    void* m_context = nullptr;
    std::string m_error;
};

}  // namespace sim
