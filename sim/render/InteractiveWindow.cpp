#include "InteractiveWindow.h"

#include <CEGUI/Exceptions.h>
#include <CEGUI/GUIContext.h>
#include <GLFW/glfw3.h>

#include <stdexcept>

#include "GuiRenderer.h"
#include "KeyMap.h"
#include "gui/GuiRuntime.h"

namespace sim {

namespace {

InteractiveWindow* Owner(GLFWwindow* window) {
    return static_cast<InteractiveWindow*>(glfwGetWindowUserPointer(window));
}

}  // namespace

InteractiveWindow::InteractiveWindow(int width, int height, const std::string& title)
    : m_width(width), m_height(height) {
    if (glfwInit() != GLFW_TRUE) {
        throw std::runtime_error("GLFW cannot start (is DISPLAY set to a running X server?)");
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 2);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    m_window = glfwCreateWindow(width, height, title.c_str(), nullptr, nullptr);
    if (m_window == nullptr) {
        glfwTerminate();
        throw std::runtime_error("GLFW cannot open an OpenGL 3.2 core window");
    }
    glfwMakeContextCurrent(m_window);
    glfwSwapInterval(1);
    glfwSetWindowUserPointer(m_window, this);
    glfwSetCursorPosCallback(m_window, OnCursor);
    glfwSetMouseButtonCallback(m_window, OnButton);
    glfwSetKeyCallback(m_window, OnKey);
    glfwSetCharCallback(m_window, OnChar);
    try {
        m_renderer = std::make_unique<GuiRenderer>(width, height);
    } catch (const CEGUI::Exception& error) {
        glfwDestroyWindow(m_window);
        glfwTerminate();
        throw std::runtime_error(error.getMessage().c_str());
    }
}

InteractiveWindow::~InteractiveWindow() {
    m_renderer.reset();
    glfwDestroyWindow(m_window);
    glfwTerminate();
}

bool InteractiveWindow::ShouldClose() const {
    return glfwWindowShouldClose(m_window) == GLFW_TRUE;
}

void InteractiveWindow::Close() {
    glfwSetWindowShouldClose(m_window, GLFW_TRUE);
}

void InteractiveWindow::PollEvents() {
    glfwPollEvents();
}

double InteractiveWindow::Seconds() const {
    return glfwGetTime();
}

void InteractiveWindow::DrawFrame() {
    m_renderer->Draw();
}

Picture InteractiveWindow::Capture() {
    return CaptureFramebuffer(m_width, m_height);
}

void InteractiveWindow::Present() {
    glfwSwapBuffers(m_window);
}

void InteractiveWindow::OnCursor(GLFWwindow*, double x, double y) {
    GUI::Runtime::Context().injectMousePosition(static_cast<float>(x), static_cast<float>(y));
}

void InteractiveWindow::OnButton(GLFWwindow*, int button, int action, int) {
    const CEGUI::MouseButton which = button == GLFW_MOUSE_BUTTON_RIGHT    ? CEGUI::RightButton
                                     : button == GLFW_MOUSE_BUTTON_MIDDLE ? CEGUI::MiddleButton
                                                                          : CEGUI::LeftButton;
    CEGUI::GUIContext& context = GUI::Runtime::Context();
    if (action == GLFW_PRESS) {
        context.injectMouseButtonDown(which);
    } else if (action == GLFW_RELEASE) {
        context.injectMouseButtonUp(which);
    }
}

void InteractiveWindow::OnKey(GLFWwindow* window, int key, int, int action, int) {
    InteractiveWindow& self = *Owner(window);
    if (key == GLFW_KEY_F5 || key == GLFW_KEY_F9) {
        if (action == GLFW_PRESS && self.onHostKey) {
            self.onHostKey(key == GLFW_KEY_F5 ? HostKey::JumpTime : HostKey::SavePicture);
        }
        return;
    }
    const int scan = CeguiScanCode(key);
    if (scan == 0) {
        return;
    }
    CEGUI::GUIContext& context = GUI::Runtime::Context();
    if (action == GLFW_PRESS || action == GLFW_REPEAT) {
        context.injectKeyDown(static_cast<CEGUI::Key::Scan>(scan));
    } else if (action == GLFW_RELEASE) {
        context.injectKeyUp(static_cast<CEGUI::Key::Scan>(scan));
    }
}

void InteractiveWindow::OnChar(GLFWwindow*, unsigned int codePoint) {
    GUI::Runtime::Context().injectChar(static_cast<CEGUI::utf32>(codePoint));
}

}  // namespace sim
