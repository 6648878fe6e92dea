// The definitions of the private state of GUICreate (its tree) and of each widget, for the
// toolkit's own sources.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "gui/GuiCreate.h"
#include "gui/GuiRegistry.h"

struct GUICreate::Tree : GUI::detail::TreeState {
    using TreeState::TreeState;
};

struct GUI::WindowCommon::State : GUI::detail::WidgetState {
    // What the widget last wrote to its CEGUI window, by the inputs it was made from, so that
    // writing the same again is skipped: CEGUI parses every property value it is given and
    // redraws the window. Empty: nothing written yet.
    struct ImageSource {
        CString set;                // with WidgetState::images; empty with no images: hidden
        std::uint64_t definitions;  // GUI::detail::ImageDefinitions() when the names were resolved
        friend bool operator==(const ImageSource&, const ImageSource&) = default;
    };
    struct TextLook {
        CString text;
        unsigned colour;
        int mode;
        std::optional<unsigned> shadowColour;
    };
    std::optional<ImageSource> writtenImages;
    std::optional<TextLook> writtenText;
};
