// Texts: fonts shared per size, the text modes as CEGUI formatting, colour tags as markup and
// everything else shown as typed.
#include <CEGUI/BasicRenderedStringParser.h>
#include <CEGUI/Font.h>
#include <CEGUI/FontGlyph.h>
#include <CEGUI/Image.h>
#include <CEGUI/RenderedString.h>
#include <CEGUI/Window.h>

#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "OrnDanceChamberTesting.h"
#include "gui/GuiStrings.h"

namespace GUI {
namespace {

struct TextRun {
    CString text;
    CEGUI::argb_t colour;
    bool operator==(const TextRun&) const = default;
    friend void PrintTo(const TextRun& run, std::ostream* out) {
        *out << run.text.ToUtf8() << " in " << std::hex << run.colour;
    }
};

// CEGUI's own markup parser, noting each run of text it lays out with the colour it uses.
class RecordingParser : public CEGUI::BasicRenderedStringParser {
public:
    mutable std::vector<TextRun> runs;

protected:
    void appendRenderedText(CEGUI::RenderedString& rendered, const CEGUI::String& text) const override {
        if (!text.empty()) {
            runs.push_back({GetStringtoMFCCString(text), d_colours.d_top_left.getARGB()});
        }
        BasicRenderedStringParser::appendRenderedText(rendered, text);
    }
};

std::vector<TextRun> Rendered(const CEGUI::String& markup) {
    RecordingParser parser;
    parser.parse(markup, nullptr, nullptr);
    return parser.runs;
}

class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::BuildSample(screen);
        image = screen.FindWidget(TestSupport::kImage);
    }
    CEGUI::String Property(const char* name) { return image->GetWindow()->getProperty(name); }

    TestSupport::RecordingScreen screen;
    WindowCommon* image = nullptr;
};

TEST_F(TextTest, ColourTagsColourTheTextAfterThem) {
    image->FontCreate(15, 0x5A5A5A, 0xFFFFFF, u"NewType:2", -1, -1);
    image->FontSetText(u"plain【YEL】王国\n【WHI】[x] a\\b【XYZ】", 6);
    EXPECT_EQ(Rendered(image->GetWindow()->getText()),
              (std::vector<TextRun>{
                  {u"plain", 0xFF5A5A5A}, {u"王国\n", 0xFFFFFF00}, {u"[x] a\\b【XYZ】", 0xFFFFFFFF}}));
    EXPECT_EQ(Rendered(Property("ShadowText")),
              (std::vector<TextRun>{{u"plain王国\n[x] a\\b【XYZ】", 0xFFFFFFFF}}));
    EXPECT_EQ(Property("ShadowColour"), "FFFFFFFF");
}

TEST_F(TextTest, ModesBecomeCeguiFormatting) {
    const struct {
        int mode;
        const char* horizontal;
        const char* vertical;
    } cases[] = {{0, "LeftAligned", "TopAligned"},          {1, "RightAligned", "TopAligned"},
                 {2, "WordWrapLeftAligned", "TopAligned"},  {6, "WordWrapCentreAligned", "TopAligned"},
                 {3, "WordWrapRightAligned", "TopAligned"}, {1026, "WordWrapLeftAligned", "CentreAligned"},
                 {0x404, "CentreAligned", "CentreAligned"}};
    for (const auto& c : cases) {
        image->FontSetText(u"t", c.mode);
        EXPECT_EQ(Property("HorzFormatting"), c.horizontal) << c.mode;
        EXPECT_EQ(Property("VertFormatting"), c.vertical) << c.mode;
        EXPECT_EQ(Testing::Inspect(TestSupport::kImage)->textMode, c.mode);
    }
    image->FontSetNormalText(u"12:00");
    EXPECT_EQ(Property("HorzFormatting"), "LeftAligned");
    EXPECT_EQ(Property("VertFormatting"), "CentreAligned");
    EXPECT_EQ(Testing::Inspect(TestSupport::kImage)->textMode, kTextModeNormal);
    EXPECT_EQ(Testing::Inspect(TestSupport::kImage)->text, CString(u"12:00"));
}

TEST_F(TextTest, OneFontPerSizeForEveryFace) {
    WindowCommon* other = screen.FindWidget(TestSupport::kCover);
    image->FontCreate(15, 0x5A5A5A, 0xFFFFFF, u"NewType:2", -1, -1);
    other->FontCreate(15, 0xFF0000, 0, u"Other", -1, -1);
    EXPECT_EQ(image->GetWindow()->getFont(), other->GetWindow()->getFont());
    EXPECT_EQ(image->GetWindow()->getFont()->getName(), "ODC/WQY-15px");
    // A size is the em height in pixels: CJK glyphs of a 15-pixel font fit a 22-pixel field.
    const CEGUI::Image* glyph = image->GetWindow()->getFont()->getGlyphData(U'职')->getImage();
    EXPECT_LE(glyph->getRenderedSize().d_height, 16.0f);
    EXPECT_GE(glyph->getRenderedSize().d_height, 12.0f);
    EXPECT_TRUE(image->GetWindow()->getFont()->isCodepointAvailable(U'职'));
    screen.FindWidget(TestSupport::kPlain)->FontCreate(20, 0, 0, u"NewType:2", -1, -1);
    EXPECT_EQ(screen.FindWidget(TestSupport::kPlain)->GetWindow()->getFont()->getName(), "ODC/WQY-20px");
    EXPECT_TRUE(Testing::Inspect(TestSupport::kImage)->fontCreated);
}

}  // namespace
}  // namespace GUI
