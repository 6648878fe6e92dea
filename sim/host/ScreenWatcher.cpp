#include "ScreenWatcher.h"

#include "OrnDanceChamberTesting.h"
#include "PacketText.h"

namespace sim {

namespace {

constexpr std::string_view kPrefix = "Chamber/";
constexpr std::string_view kMessageBox = "Chamber/m_GuiCommon.m_pMsgbox";

std::string Short(std::string_view name) {
    return std::string(name.starts_with(kPrefix) ? name.substr(kPrefix.size()) : name);
}

// Panels and dialogs: their showing and hiding is written, their images are not.
bool IsContainer(std::string_view name) {
    return name.ends_with(".SIContain") || name.ends_with(".SIHelpMain") || name.ends_with(".SIBackground");
}

bool ShowsImages(const GUI::Testing::WidgetInfo& widget, std::string_view name) {
    return widget.kind == GUI::WidgetKind::ImageButton || widget.kind == GUI::WidgetKind::Button ||
           name.find("ArryIBNationsInco") != std::string_view::npos;
}

std::vector<std::string> Utf8(const std::vector<CString>& texts) {
    std::vector<std::string> out;
    out.reserve(texts.size());
    for (const CString& text : texts) {
        out.push_back(text.ToUtf8());
    }
    return out;
}

std::string Joined(const std::vector<std::string>& images) {
    std::string text;
    for (const std::string& image : images) {
        text += (text.empty() ? "" : ", ") + image;
    }
    return "[" + text + "]";
}

}  // namespace

std::string ScreenWatcher::TextOf(const std::string& name) const {
    const auto it = m_seen.find(name);
    return it != m_seen.end() && it->second.visible ? it->second.text : std::string();
}

void ScreenWatcher::Look(bool boxAgain) {
    for (const GUI::Testing::WidgetInfo& widget : GUI::Testing::Widgets()) {
        const std::string name = widget.name.ToUtf8();
        const bool visible = widget.visibleOnScreen;
        Seen now{visible, visible ? widget.text.ToUtf8() : std::string(),
                 visible && ShowsImages(widget, name) ? Utf8(widget.images) : std::vector<std::string>()};
        Seen& before = m_seen[name];
        if (name == kMessageBox) {
            const std::string box =
                visible && widget.boxId ? std::to_string(*widget.boxId) + ": " + now.text : std::string();
            if (!box.empty() && (box != m_box || boxAgain)) {
                m_transcript.Line(1, "message box " + box);
            }
            m_box = box;
        } else if (IsContainer(name)) {
            if (visible != before.visible) {
                m_transcript.Line(1, (visible ? "shown " : "hidden ") + Short(name));
            }
        } else if (visible) {
            if (now.text != before.text && !now.text.empty()) {
                m_transcript.Line(1, Short(name) + " " + Quoted(now.text));
            }
            if (now.images != before.images) {
                m_transcript.Line(1, Short(name) + " " + Joined(now.images));
            }
        }
        before = std::move(now);
    }
}

}  // namespace sim
