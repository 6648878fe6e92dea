// A desktop window (GLFW over GLX) with an OpenGL 3.2 core context and CEGUI's OpenGL3 renderer,
// whose mouse, keys and typed characters go into the toolkit's CEGUI context as a player's input
// would.
#pragma once

#include <memory>
#include <string>

#include "Screen.h"

struct GLFWwindow;

namespace sim {

class GuiRenderer;

class InteractiveWindow : public WindowScreen {
public:
    // Opens the window and starts the GUI on it; throws std::runtime_error when it cannot.
    InteractiveWindow(int width, int height, const std::string& title);
    ~InteractiveWindow() override;
    InteractiveWindow(const InteractiveWindow&) = delete;
    InteractiveWindow& operator=(const InteractiveWindow&) = delete;

    bool ShouldClose() const override;
    void Close() override;
    void PollEvents() override;
    double Seconds() const override;
    void DrawFrame() override;
    Picture Capture() override;
    void Present() override;

private:
    static void OnCursor(GLFWwindow* window, double x, double y);
    static void OnButton(GLFWwindow* window, int button, int action, int mods);
    static void OnKey(GLFWwindow* window, int key, int scancode, int action, int mods);
    static void OnChar(GLFWwindow* window, unsigned int codePoint);

    int m_width;
    int m_height;
    GLFWwindow* m_window = nullptr;
    std::unique_ptr<GuiRenderer> m_renderer;
};

}  // namespace sim
