// The toolkit's own skin: window types for each widget kind, defined by a look'n'feel and a
// scheme parsed from strings, over a tiny generated texture (a flat white cell for tinted
// frames and the default mouse cursor). The Chamber's art comes from its own atlas.
#pragma once

namespace CEGUI {
class Renderer;
}  // namespace CEGUI

namespace GUI::detail {

// CEGUI window types of the skin.
inline constexpr const char* kStaticImageType = "ODC/StaticImage";
inline constexpr const char* kButtonType = "ODC/Button";
inline constexpr const char* kEditboxType = "ODC/Editbox";
inline constexpr const char* kMessageBoxType = "ODC/MessageBox";

// Auto-created children of a message box: the dialog (shown while a question is asked) and its
// two answer buttons inside it.
inline constexpr const char* kDialogChild = "__auto_dialog__";
inline constexpr const char* kYesChild = "__auto_yes__";
inline constexpr const char* kNoChild = "__auto_no__";

inline constexpr const char* kCursorImage = "ODC/Cursor";

// Registers the skin's texture, images, looks and window types. Needs a running CEGUI system.
void LoadSkin(CEGUI::Renderer& renderer);

}  // namespace GUI::detail
