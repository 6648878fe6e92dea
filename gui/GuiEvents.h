// Delivery of CEGUI's input events to the GUI::Window of the tree that created a widget: clicks,
// message-box answers, keys and the mouse over listened widgets. Every delivery copies what it
// needs before it calls out, so a callback may show, hide or destroy anything, its own tree too.
#pragma once

#include <CEGUI/Event.h>

#include <vector>

#include "gui/GuiRegistry.h"
#include "text/CString.h"

namespace CEGUI {
class Window;
}  // namespace CEGUI

namespace GUI::detail {

// Subscribes the global key and mouse handlers; the connections end them.
std::vector<CEGUI::Event::Connection> InstallGlobalHandlers();
// Makes clicks on the window reach its widget's click groups.
void SubscribeClicks(CEGUI::Window& window);
// Makes the message box's two buttons answer "1" and "0".
void SubscribeAnswers(CEGUI::Window& messageBox);
// Hides the box's question and reports `answer` to its creator, as its buttons do.
void DeliverAnswer(const WidgetEntry& box, const CString& answer);

}  // namespace GUI::detail
