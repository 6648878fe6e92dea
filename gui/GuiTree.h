// The definitions of the private state of GUICreate (its tree) and of each widget, for the
// toolkit's own sources.
#pragma once

#include "gui/GuiCreate.h"
#include "gui/GuiRegistry.h"

struct GUICreate::Tree : GUI::detail::TreeState {
    using TreeState::TreeState;
};

struct GUI::WindowCommon::State : GUI::detail::WidgetState {};
