// Image sets read from ini files, and images set on widgets.
#include <CEGUI/Image.h>
#include <CEGUI/ImageManager.h>
#include <CEGUI/Window.h>

#include <gtest/gtest.h>

#include <string>

#include "GuiTestSupport.h"
#include "OrnDanceChamberTesting.h"
#include "gui/IniFile.h"

namespace GUI {
namespace {

class ImagesetTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::BuildSample(screen);
        ASSERT_EQ(screen.CreateImagesetGui(u"TestSet", u"TestAtlas", TestSupport::kIni, 1), 0);
    }
    CEGUI::String Property(const CString& widget, const char* property) {
        return screen.FindWidget(widget)->GetWindow()->getProperty(property);
    }

    TestSupport::RecordingScreen screen;
};

TEST_F(ImagesetTest, EveryImageOfTheSectionIsRegisteredOverTheAtlas) {
    const CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
    ASSERT_TRUE(images.isDefined("TestSet/Red"));
    const CEGUI::Image& blue = images.get("TestSet/Blue");
    EXPECT_EQ(blue.getRenderedOffset(), CEGUI::Vector2f(0, 0));
    EXPECT_EQ(blue.getRenderedSize(), CEGUI::Sizef(8, 8));
    EXPECT_TRUE(images.isDefined("TestSet/Green"));
    EXPECT_FALSE(images.isDefined("TestSet/Broken"));  // three numbers: skipped
    EXPECT_FALSE(images.isDefined("TestSet/File"));
}

TEST_F(ImagesetTest, MissingFilesAndSectionsAreRefused) {
    EXPECT_EQ(screen.CreateImagesetGui(u"TestSet", u"TestAtlas", TestSupport::kIni, 1), 0);  // known set
    EXPECT_EQ(screen.CreateImagesetGui(u"Other", u"TestAtlas", u".\\Missing.ini", 1), -1);
    EXPECT_EQ(screen.CreateImagesetGui(u"Other", u"Nothing", TestSupport::kIni, 1), -1);
    EXPECT_EQ(screen.CreateImagesetGui(u"Other", u"NoAtlas", TestSupport::kIni, 1), -1);
    EXPECT_FALSE(CEGUI::ImageManager::getSingleton().isDefined("Other/Red"));
}

TEST_F(ImagesetTest, StaticImagesShowOneImageAndButtonsThreeAndUnknownOnesNone) {
    screen.FindWidget(TestSupport::kImage)->SetImageFromImageSet(u"TestSet", u"Red");
    EXPECT_EQ(Property(TestSupport::kImage, "Image"), "TestSet/Red");
    EXPECT_EQ(Testing::Inspect(TestSupport::kImage)->images, std::vector<CString>{u"Red"});
    screen.FindWidget(TestSupport::kImage)->SetImageFromImageSet(u"TestSet", u"Purple");
    EXPECT_EQ(Property(TestSupport::kImage, "Image"), "");  // unknown: drawn as nothing, but recorded
    EXPECT_EQ(Testing::Inspect(TestSupport::kImage)->images, std::vector<CString>{u"Purple"});

    screen.FindWidget(TestSupport::kButton)->SetImageFromImageSet(u"TestSet", u"Green");
    EXPECT_EQ(Property(TestSupport::kButton, "PushedImage"), "TestSet/Green");
    EXPECT_EQ(Testing::Inspect(TestSupport::kButton)->images,
              (std::vector<CString>{u"Green", u"Green", u"Green"}));

    screen.FindWidget(TestSupport::kButton)->SetImageFromImageSet(u"TestSet", u"Red", u"Green", u"Blue");
    EXPECT_EQ(Property(TestSupport::kButton, "NormalImage"), "TestSet/Red");
    EXPECT_EQ(Property(TestSupport::kButton, "HoverImage"), "TestSet/Green");
    EXPECT_EQ(Property(TestSupport::kButton, "PushedImage"), "TestSet/Blue");
    EXPECT_EQ(Property(TestSupport::kButton, "DisabledImage"), "TestSet/Red");

    screen.FindWidget(TestSupport::kButton)->SetImageHide();
    EXPECT_EQ(Property(TestSupport::kButton, "NormalImage"), "");
    EXPECT_TRUE(Testing::Inspect(TestSupport::kButton)->images.empty());
}

// A widget does not write again what its window shows already; every change must still reach it.
TEST_F(ImagesetTest, AnImageSetAgainAfterHidingIsShownAgain) {
    WindowCommon* button = screen.FindWidget(TestSupport::kButton);
    button->SetImageFromImageSet(u"TestSet", u"Red");
    button->SetImageHide();
    button->SetImageFromImageSet(u"TestSet", u"Red");
    EXPECT_EQ(Property(TestSupport::kButton, "NormalImage"), "TestSet/Red");
    EXPECT_EQ(Property(TestSupport::kButton, "DisabledImage"), "TestSet/Red");
    button->SetImageFromImageSet(u"TestSet", u"Red", u"Red", u"Blue");
    EXPECT_EQ(Property(TestSupport::kButton, "HoverImage"), "TestSet/Red");
    EXPECT_EQ(Property(TestSupport::kButton, "PushedImage"), "TestSet/Blue");
}

TEST_F(ImagesetTest, AnImageOfASetRegisteredSinceIsFoundWhenSetAgain) {
    // A name of its own in every run, as sets stay registered for the process.
    static int runs = 0;
    const CString set = CString::FromUtf8("LateSet" + std::to_string(++runs));
    WindowCommon* image = screen.FindWidget(TestSupport::kImage);
    image->SetImageFromImageSet(set, u"Green");
    EXPECT_EQ(Property(TestSupport::kImage, "Image"), "");
    ASSERT_EQ(screen.CreateImagesetGui(set, u"TestAtlas", TestSupport::kIni, 1), 0);
    image->SetImageFromImageSet(set, u"Green");
    EXPECT_EQ(Property(TestSupport::kImage, "Image"), CEGUI::String(set.ToUtf8() + "/Green"));
}

TEST_F(ImagesetTest, HidingTheImageClearsTheTextAndATextSetAgainOrInAnotherColourIsShown) {
    WindowCommon* image = screen.FindWidget(TestSupport::kImage);
    const auto shown = [image] { return GetStringtoMFCCString(image->GetWindow()->getText()).Units(); };
    image->SetImageFromImageSet(u"TestSet", u"Red");
    image->FontCreate(15, 0x112233, 0xFFFFFF, u"NewType:2", -1, -1);
    image->FontSetText(u"42", 1026);
    image->SetImageHide();
    EXPECT_EQ(Property(TestSupport::kImage, "Image"), "");
    EXPECT_EQ(Testing::Inspect(TestSupport::kImage)->text, CString());
    EXPECT_EQ(Testing::Inspect(TestSupport::kImage)->textMode, 1026);
    EXPECT_EQ(shown().find(u"42"), std::u16string::npos);
    image->FontSetText(u"42", 1026);
    EXPECT_NE(shown().find(u"42"), std::u16string::npos);
    image->FontCreate(15, 0x445566, 0xFFFFFF, u"NewType:2", -1, -1);
    EXPECT_NE(shown().find(u"FF445566"), std::u16string::npos);
    EXPECT_NE(shown().find(u"42"), std::u16string::npos);
}

TEST_F(ImagesetTest, EditBoxSizesComeFromTheIniFile) {
    const auto box = [this](const char16_t* name, const char16_t* key) {
        return screen.AddChineseEditboxGui(name, u"Common", key, TestSupport::kIni, 1, 10, true, 0, 0);
    };
    GuiEditBox* listed = box(u"Sized", u"ChangeNameCurName");
    GuiEditBox* malformed = box(u"Malformed", u"Malformed");
    EXPECT_EQ(Testing::Inspect(u"Sized")->width, 180);
    EXPECT_EQ(Testing::Inspect(u"Malformed")->width, 150);  // the default size
    EXPECT_EQ(Testing::Inspect(u"Malformed")->height, 24);
    EXPECT_EQ(listed->GetWindow()->getProperty("MaskText"), "true");
    EXPECT_NE(malformed, nullptr);
}

TEST(IniFileTest, SectionsKeysAndComments) {
    const auto ini = detail::IniFile::Parse(
        "\xEF\xBB\xBF; comment\r\n[A]\r\n key = value with spaces \r\n#x=1\nkey=second\n[ B ]\nlist=1, "
        "2,3\n");
    EXPECT_EQ(ini.Value("A", "key"), "value with spaces");
    EXPECT_EQ(ini.Value("A", "#x"), std::nullopt);
    EXPECT_EQ(ini.Value("B", "list"), "1, 2,3");
    EXPECT_EQ(ini.Section("C"), nullptr);
    EXPECT_EQ(detail::ParseIntList("1, 2,3", 3), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(detail::ParseIntList("1,2", 3), std::nullopt);
    EXPECT_EQ(detail::ParseIntList("1,2,3,4", 3), std::nullopt);
    EXPECT_EQ(detail::ParseIntList("1,x,3", 3), std::nullopt);
}

}  // namespace
}  // namespace GUI
