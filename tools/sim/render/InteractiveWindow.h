// A desktop window (GLFW over GLX) with an OpenGL 3.2 core context, whose mouse, keys and typed
// characters go into the toolkit's CEGUI context as a player's input would.
#pragma once

#include <functional>
#include <string>

struct GLFWwindow;

namespace sim {

class InteractiveWindow {
public:
    // Opens the window and makes its context current; Ok() tells whether that worked.
    InteractiveWindow(int width, int height, const std::string& title);
    ~InteractiveWindow();
    InteractiveWindow(const InteractiveWindow&) = delete;
    InteractiveWindow& operator=(const InteractiveWindow&) = delete;

    bool Ok() const { return m_window != nullptr; }
    const std::string& Error() const { return m_error; }
    bool ShouldClose() const;
    void Close();
    // Delivers the window's pending events: input to CEGUI, the host's own keys to onHostKey.
    void PollEvents();
    // Seconds since the window opened (the window's clock, used only to let time run).
    double Seconds() const;
    void SwapBuffers();

    // Keys that the host keeps for itself (GLFW key codes); they do not reach CEGUI.
    std::function<bool(int key)> isHostKey;
    std::function<void(int key)> onHostKey;

private:
    static void OnCursor(GLFWwindow* window, double x, double y);
    static void OnButton(GLFWwindow* window, int button, int action, int mods);
    static void OnKey(GLFWwindow* window, int key, int scancode, int action, int mods);
    static void OnChar(GLFWwindow* window, unsigned int codePoint);

    GLFWwindow* m_window = nullptr;
    std::string m_error;
};

}  // namespace sim
