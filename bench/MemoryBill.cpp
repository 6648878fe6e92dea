// What one Chamber costs a host in memory: the heap it holds (every operator new of the process:
// the module's, the toolkit's and CEGUI's) and the textures a renderer would hold for it (RGBA, 4
// bytes a pixel), after each step of its life. The renderer is CEGUI's NullRenderer, which keeps
// no pixels; it is watched here for the textures created and destroyed. Prints a Markdown table.
#include <CEGUI/RendererModules/Null/Renderer.h>
#include <CEGUI/Texture.h>

#include <cstdio>
#include <map>
#include <string>

#include "HeapAccounting.h"
#include "OrnDanceChamberTesting.h"
#include "PacketSamples.h"
#include "chamber/CGuiDanceChamber.h"
#include "chamber/ChamberClock.h"
#include "gui/GuiRuntime.h"
#include "param/ChamberMessages.h"

namespace {

// The NullRenderer, counting the textures it holds.
class TextureCountingRenderer : public CEGUI::NullRenderer {
public:
    TextureCountingRenderer() = default;

    CEGUI::Texture& createTexture(const CEGUI::String& name) override {
        return Hold(NullRenderer::createTexture(name));
    }
    CEGUI::Texture& createTexture(const CEGUI::String& name, const CEGUI::String& file,
                                  const CEGUI::String& group) override {
        return Hold(NullRenderer::createTexture(name, file, group));
    }
    CEGUI::Texture& createTexture(const CEGUI::String& name, const CEGUI::Sizef& size) override {
        return Hold(NullRenderer::createTexture(name, size));
    }
    void destroyTexture(CEGUI::Texture& texture) override {
        m_textures.erase(&texture);
        NullRenderer::destroyTexture(texture);
    }
    void destroyTexture(const CEGUI::String& name) override {
        if (isTextureDefined(name)) {
            m_textures.erase(&getTexture(name));
        }
        NullRenderer::destroyTexture(name);
    }

    std::size_t Count() const { return m_textures.size(); }
    std::int64_t Bytes() const {
        std::int64_t bytes = 0;
        for (const auto& [texture, unused] : m_textures) {
            const CEGUI::Sizef size = texture->getSize();
            bytes += static_cast<std::int64_t>(size.d_width) * static_cast<std::int64_t>(size.d_height) * 4;
        }
        return bytes;
    }

private:
    CEGUI::Texture& Hold(CEGUI::Texture& texture) {
        m_textures[&texture] = true;
        return texture;
    }
    std::map<const CEGUI::Texture*, bool> m_textures;
};

struct Stage {
    std::int64_t heap;
    std::int64_t blocks;
};

class Bill {
public:
    explicit Bill(const TextureCountingRenderer& renderer) : m_renderer(renderer) {
        std::printf(
            "| After | Heap held | Since the step before | Blocks held | Textures | Texture bytes |\n");
        std::printf("|---|---:|---:|---:|---:|---:|\n");
        m_last = Now();
        m_first = m_last;
    }
    void Step(const char* what) {
        const Stage now = Now();
        std::printf("| %s | %s | %+lld B | %lld | %zu | %s |\n", what, Size(now.heap - m_first.heap).c_str(),
                    static_cast<long long>(now.heap - m_last.heap),
                    static_cast<long long>(now.blocks - m_first.blocks), m_renderer.Count(),
                    Size(m_renderer.Bytes()).c_str());
        m_last = now;
    }

private:
    static Stage Now() { return {odc::heap::BytesInUse(), odc::heap::BlocksInUse()}; }
    static std::string Size(std::int64_t bytes) {
        char text[32];
        if (bytes >= 1024 * 1024 || bytes <= -1024 * 1024) {
            std::snprintf(text, sizeof text, "%.2f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
        } else {
            std::snprintf(text, sizeof text, "%.1f KiB", static_cast<double>(bytes) / 1024.0);
        }
        return text;
    }

    const TextureCountingRenderer& m_renderer;
    Stage m_first{};
    Stage m_last{};
};

}  // namespace

int main() {
    using namespace odc::bench;
    SetLocalClockSource([] { return std::int64_t{kClock}; });
    TextureCountingRenderer renderer;  // outlives the toolkit, which is stopped below
    Bill bill(renderer);
    GUI::Runtime::Start(renderer);
    bill.Step("the toolkit starts (CEGUI, the skin, the fonts)");
    {
        CGuiDanceChamber chamber;
        chamber.SetRecParam(0, ChamberMsg::kJobTableWithClock, JobTablePacket(SampleJobs(), kClock));
        chamber.SetRecParam(0, ChamberMsg::kApplicationList,
                            ApplicationListPacket(SampleApplications(655, 15)));
        bill.Step("the 15-post table and 655 applications arrive (no tree yet)");
        chamber.Create(nullptr);
        bill.Step("Create");
        chamber.Show(true);
        GUI::Testing::Click(u"Chamber/m_GuiCommon.ArryIBNations[0]");
        GUI::Testing::Click(u"Chamber/m_GuiJobDetail.SIUserVotes");
        bill.Step("Show(true), a post's panel and its vote list");
        chamber.Release();
        bill.Step("Release");
        GUI::Testing::FinishDisposal();
        bill.Step("the time pulses that destroy the tree's windows");
        chamber.Create(nullptr);
        chamber.Show(true);
        chamber.Release();
        GUI::Testing::FinishDisposal();
        bill.Step("a second Create, Show and Release");
    }
    bill.Step("the facade is destroyed");
    GUI::Runtime::Shutdown();
    bill.Step("the toolkit stops");
    SetLocalClockSource({});
    return 0;
}
