#include "ScreenWatcher.h"

#include <nlohmann/json.hpp>

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

bool ShowsImages(const nlohmann::json& widget) {
    const std::string kind = widget.at("kind");
    return kind == "image button" || kind == "button" ||
           widget.at("name").get<std::string>().find("ArryIBNationsInco") != std::string::npos;
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
    const nlohmann::json tree = nlohmann::json::parse(GUI::Testing::DumpTree());
    for (const nlohmann::json& widget : tree) {
        const std::string name = widget.at("name");
        const bool visible = widget.at("visibleOnScreen");
        Seen now{visible, visible ? widget.at("text").get<std::string>() : std::string(),
                 visible && ShowsImages(widget) ? widget.at("images").get<std::vector<std::string>>()
                                                : std::vector<std::string>()};
        Seen& before = m_seen[name];
        if (name == kMessageBox) {
            const std::string box = visible && !widget.at("boxId").is_null()
                                        ? std::to_string(widget.at("boxId").get<int>()) + ": " + now.text
                                        : std::string();
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
