#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "gui/GuiRuntime.h"

namespace GUI::TestSupport {

namespace {

// One CEGUI system serves the whole test program, over the fixtures' folder.
class RuntimeEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        Runtime::Options options;
        options.assetDir = ODC_GUI_FIXTURES;
        ASSERT_TRUE(Runtime::StartHeadless(options));
    }
    void TearDown() override { Runtime::Shutdown(); }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment);

}  // namespace

void PrintTo(const Event& event, std::ostream* out) {
    *out << event.what << "(" << event.name.ToUtf8() << ", " << event.group << ", " << event.kind << ", "
         << event.text.ToUtf8() << ")";
}

void RecordingScreen::Record(Event event) {
    events.push_back(std::move(event));
    if (onEvent) {
        onEvent(*this);
    }
}

void RecordingScreen::OnSystemClickEvent(CString& name, int group, int kind, CString text) {
    Record({"click", name, group, kind, text});
}

void RecordingScreen::OnSystemRightHandClickEvent(CString& name, int group, int kind, CString text) {
    Record({"right", name, group, kind, text});
}

void RecordingScreen::OnGuiListenKey(int state, int code) {
    Record({"key", {}, state, code, {}});
}

void RecordingScreen::OnWindowTimer(int id) {
    Record({"timer", {}, id, 0, {}});
}

void RecordingScreen::OnGuiListenMouse(int button, float x, float y, int state) {
    Record(
        {"mouse",
         CString::FromUtf8(std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y))),
         button,
         state,
         {}});
}

void RecordingScreen::OnGuiMousePosition(float x, float y) {
    Record(
        {"position",
         CString::FromUtf8(std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y))),
         0,
         0,
         {}});
}

void BuildSample(RecordingScreen& screen) {
    screen.SetRootPointer(nullptr);
    GUI::StaticImage* contain = screen.AddStaticImageGui(kContain, 0, 0, 800, 600);
    const auto attach = [contain](GUI::WindowCommon* child) { contain->AddChildWindow(child->IsChild()); };

    GUI::ButtonBase* button = screen.AddImageButtonGui(kButton, 0.1f, 0.1f, 100, 40);
    attach(button);
    button->SetEventClick(4);
    button->SetEvenRightHandClick(3);
    GUI::ButtonBase* plain = screen.AddButtonGui(kPlain, 0.3f, 0.1f, 100, 40);
    attach(plain);
    plain->SetEventClick(5);
    attach(screen.AddImageButtonGui(kSilent, 0.5f, 0.1f, 100, 40));
    attach(screen.AddStaticImageGui(kImage, 0.7f, 0.1f, 100, 40));
    attach(screen.AddEditboxGui(kEdit, 0.1f, 0.5f, 120, 24));
    attach(screen.AddChineseEditboxGui(kChinese, u"Common", u"ChangeNameCurName", kIni, 1, 5, false, 0.4f,
                                       0.5f));

    GUI::StaticImage* cover = screen.AddStaticImageGui(kCover, 0.05f, 0.05f, 400, 100);
    attach(cover);
    cover->SetAlwaysOnTop(true);
    cover->Hide();
    attach(screen.AddMsgBoxGui(kBox, 0, 0, 800, 600));
}

}  // namespace GUI::TestSupport
