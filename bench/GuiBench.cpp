// Costs of the toolkit on the headless runtime: building and unloading a screen-sized tree,
// text updates, and a click from injection to the creator's callback.
#include <benchmark/benchmark.h>

#include <string>

#include "OrnDanceChamberTesting.h"
#include "gui/GuiCreate.h"
#include "gui/GuiRuntime.h"

namespace {

class CountingScreen : public GUICreateEx {
public:
    int clicks = 0;
    void OnSystemClickEvent(CString&, int, int, CString) override { ++clicks; }
};

CString Name(const char* prefix, int index) {
    return CString::FromUtf8(prefix + std::to_string(index));
}

// 250 widgets in the proportions of the Chamber, side by side: one container, buttons with three
// images and a click group, captions with a font and a two-colour text, and icons on the buttons.
void BuildTree(CountingScreen& screen) {
    screen.SetRootPointer(nullptr);
    GUI::StaticImage* contain = screen.AddStaticImageGui(u"Bench/m_Common.SIContain", 0, 0, 800, 600);
    for (int i = 0; i < 83; ++i) {
        const int column = i % 12;
        const int row = i / 12;
        const float x = 0.08f * static_cast<float>(column);
        const float y = 0.14f * static_cast<float>(row);
        GUI::ButtonBase* button = screen.AddImageButtonGui(Name("Bench/m_Common.IBButton", i), x, y, 60, 78);
        contain->AddChildWindow(button->IsChild());
        button->SetImageFromImageSet(u"ChamberBackground", u"JobUser", u"JobUser", u"JobUser");
        button->SetEventClick(3);

        GUI::StaticImage* caption =
            screen.AddStaticImageGui(Name("Bench/m_Common.SICaption", i), x, y + 0.1f, 60, 44);
        contain->AddChildWindow(caption->IsChild());
        caption->FontCreate(15, 0x5A5A5A, 0xFFFFFF, u"NewType:2", -1, -1);
        caption->FontSetText(u"【YEL】王国\n【WHI】玩家", 6);

        GUI::StaticImage* icon =
            screen.AddStaticImageGui(Name("Bench/m_Common.SIIcon", i), 0.7166f, 0.782f, 17, 17);
        button->AddChildWindow(icon->IsChild());
        icon->SetImageFromImageSet(u"ChamberBackground", u"JobIncoNULL");
    }
}

void EnsureRuntime() {
    if (!GUI::Runtime::IsStarted()) {
        GUI::Runtime::StartHeadless();
    }
}

void BM_BuildAndUnloadTree(benchmark::State& state) {
    EnsureRuntime();
    CountingScreen screen;
    for (auto _ : state) {
        BuildTree(screen);
        screen.UnloadGui();
        GUI::Runtime::Advance(0);  // CEGUI frees destroyed windows on the next pulse
    }
    state.counters["widgets"] = 250;
}
BENCHMARK(BM_BuildAndUnloadTree)->Unit(benchmark::kMillisecond);

void BM_ThousandTextUpdates(benchmark::State& state) {
    EnsureRuntime();
    CountingScreen screen;
    screen.SetRootPointer(nullptr);
    GUI::StaticImage* text = screen.AddStaticImageGui(u"Bench.SIText", 0.1f, 0.1f, 280, 44);
    text->FontCreate(15, 0x5A5A5A, 0xFFFFFF, u"NewType:2", -1, -1);
    const CString texts[] = {u"负责王国的外交事务", u"【YEL】共有 3 人参选。", u"2009-03-05 12:00:00"};
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            text->FontSetText(texts[i % 3], 1026);
        }
    }
}
BENCHMARK(BM_ThousandTextUpdates)->Unit(benchmark::kMillisecond);

void BM_RenderTreeAfterTextChange(benchmark::State& state) {
    EnsureRuntime();
    CountingScreen screen;
    BuildTree(screen);
    GUI::WindowCommon* caption = screen.FindWidget(u"Bench/m_Common.SICaption0");
    GUI::Runtime::Render();  // the first frame rasterises the glyphs
    int frame = 0;
    for (auto _ : state) {
        caption->FontSetText(frame++ % 2 ? u"【YEL】王国\n【WHI】玩家" : u"【YEL】王国\n【WHI】空缺", 6);
        GUI::Runtime::Render();
    }
}
BENCHMARK(BM_RenderTreeAfterTextChange)->Unit(benchmark::kMillisecond);

void BM_ClickToCallback(benchmark::State& state) {
    EnsureRuntime();
    CountingScreen screen;
    BuildTree(screen);
    for (auto _ : state) {
        benchmark::DoNotOptimize(GUI::Testing::Click(u"Bench/m_Common.IBButton40"));
    }
    if (screen.clicks != static_cast<int>(state.iterations())) {
        state.SkipWithError("a click did not reach its callback");
    }
}
BENCHMARK(BM_ClickToCallback)->Unit(benchmark::kMicrosecond);

}  // namespace
