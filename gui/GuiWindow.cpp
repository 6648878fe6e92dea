#include "gui/GuiWindow.h"

// Every event of the interface does nothing unless a derived window overrides it.
namespace GUI {

void Window::OnGuiListenMouse(int, float, float, int) {}
void Window::OnGuiMousePosition(float, float) {}
void Window::OnGuiMousePosition(float, float, float) {}
void Window::OnGuiListenKey(int, int) {}
void Window::OnWindowTimer(int) {}
void Window::OnSystemClickEvent(CString&, int, int, CString) {}
void Window::OnSystemDoubleClickEvent(CString&, int, int, CString) {}
void Window::OnSystemMouseDownEvent(CString&, int, int, CString) {}
void Window::OnSystemMouseUpEvent(CString&, int, int, CString) {}
void Window::OnSystemRightHandClickEvent(CString&, int, int, CString) {}
void Window::OnSystemActiveEvent(CString&, int, int, CString) {}
void Window::OnSystemMouseEnterEvent(CString&, int, int, CString) {}
void Window::OnSystemMouseLeaveEvent(CString&, int, int, CString) {}
void Window::OnSystemMouseMoveEvent(CString&, int, int, CString) {}
void Window::OnSystemMouseRightDownEvent(CString&, int, int, CString) {}
void Window::OnSystemMouseRightUpEvent(CString&, int, int, CString) {}
void Window::OnSystemMouseWheelEvent(CString&, int, int, CString) {}
void Window::OnSystemEffectEnd(CString, int) {}
void Window::OnSystemEffectSigle(CString, int, CString, CString) {}
void Window::OnWindowEffectEnd(CString&, CString&, int, int, int, int, int, int) {}
void Window::OnWindowEffectEvent(CString&, int, int, int, CString&, int, int, int, int, int) {}
void Window::OnWriteNetLog(int, CString&) {}
void Window::OnOrnGuiExtendCreate(void*) {}
void Window::OnOrnGuiExtendRelease() {}
void Window::OnOrnGuiExtendSystemClickEvent(CString&, int, int, CString) {}
void Window::OnOrnGuiExtendGuiListenMouse(int, float, float, int) {}
void Window::OnOrnGuiExtendGuiMousePosition(float, float) {}
void Window::OnOrnGuiExtendGuiMousePosition(float, float, float) {}
void Window::OnOrnGuiExtendGuiListenKey(int, int) {}
void Window::OnSystemAmimEvent(CString&, int) {}
void Window::OnSystemAmimEnd(CString&, int) {}

}  // namespace GUI
