#include "gui/GuiSkin.h"

#include <CEGUI/BasicImage.h>
#include <CEGUI/ImageManager.h>
#include <CEGUI/Renderer.h>
#include <CEGUI/SchemeManager.h>
#include <CEGUI/Texture.h>
#include <CEGUI/falagard/WidgetLookManager.h>

#include <array>
#include <cstdint>

namespace GUI::detail {

namespace {

constexpr int kTextureSize = 32;
constexpr const char* kTextureName = "ODC/SkinTexture";
constexpr const char* kFlatImage = "ODC/Flat";

// String macros for the pieces of Falagard XML that repeat; they are undefined after use.
#define ODC_FULL_AREA                                              \
    "<Area><Dim type='LeftEdge'><AbsoluteDim value='0'/></Dim>"    \
    "<Dim type='TopEdge'><AbsoluteDim value='0'/></Dim>"           \
    "<Dim type='Width'><UnifiedDim scale='1' type='Width'/></Dim>" \
    "<Dim type='Height'><UnifiedDim scale='1' type='Height'/></Dim></Area>"
#define ODC_INSET_AREA(left, top, right, bottom)                   \
    "<Area><Dim type='LeftEdge'><AbsoluteDim value='" #left        \
    "'/></Dim>"                                                    \
    "<Dim type='TopEdge'><AbsoluteDim value='" #top                \
    "'/></Dim>"                                                    \
    "<Dim type='RightEdge'><UnifiedDim scale='1' offset='-" #right \
    "' type='RightEdge'/></Dim>"                                   \
    "<Dim type='BottomEdge'><UnifiedDim scale='1' offset='-" #bottom "' type='BottomEdge'/></Dim></Area>"
// The whole window shifted by one pixel right and down (a text shadow).
#define ODC_SHADOW_AREA                                            \
    "<Area><Dim type='LeftEdge'><AbsoluteDim value='1'/></Dim>"    \
    "<Dim type='TopEdge'><AbsoluteDim value='1'/></Dim>"           \
    "<Dim type='Width'><UnifiedDim scale='1' type='Width'/></Dim>" \
    "<Dim type='Height'><UnifiedDim scale='1' type='Height'/></Dim></Area>"
// An area of a fixed size whose top-left corner is offset from the centre of the window.
#define ODC_CENTRED_AREA(dx, dy, width, height)                       \
    "<Area><Dim type='LeftEdge'><UnifiedDim scale='0.5' offset='" #dx \
    "' type='LeftEdge'/></Dim>"                                       \
    "<Dim type='TopEdge'><UnifiedDim scale='0.5' offset='" #dy        \
    "' type='TopEdge'/></Dim>"                                        \
    "<Dim type='Width'><AbsoluteDim value='" #width                   \
    "'/></Dim>"                                                       \
    "<Dim type='Height'><AbsoluteDim value='" #height "'/></Dim></Area>"
#define ODC_FLAT(area, colour)                                                                          \
    "<ImageryComponent>" area "<Image name='ODC/Flat'/><Colours topLeft='" colour "' topRight='" colour \
    "' bottomLeft='" colour "' bottomRight='" colour                                                    \
    "'/>"                                                                                               \
    "<VertFormat type='Stretched'/><HorzFormat type='Stretched'/></ImageryComponent>"
#define ODC_TEXT_FORMATS \
    "<VertFormatProperty name='VertFormatting'/><HorzFormatProperty name='HorzFormatting'/>"
#define ODC_FORMAT_PROPERTIES(horz, vert)                                                           \
    "<PropertyDefinition name='HorzFormatting' type='HorizontalTextFormatting' initialValue='" horz \
    "' redrawOnWrite='true'/>"                                                                      \
    "<PropertyDefinition name='VertFormatting' type='VerticalTextFormatting' initialValue='" vert   \
    "' redrawOnWrite='true'/>"
#define ODC_IMAGE_SECTION(section, property)                                                               \
    "<ImagerySection name='" section "'><ImageryComponent>" ODC_FULL_AREA "<ImageProperty name='" property \
    "'/><VertFormat type='Stretched'/><HorzFormat type='Stretched'/></ImageryComponent></ImagerySection>"
#define ODC_BUTTON_STATE(state, image)                                                         \
    "<StateImagery name='" state "'><Layer><Section section='frame'/><Section section='" image \
    "'/><Section section='label'/></Layer></StateImagery>"

// Static image: an image stretched over the window, then the text over a one-pixel shadow.
constexpr const char* kLookStaticImage =
    "<WidgetLook name='ODC/StaticImage'>"
    "<PropertyDefinition name='Image' type='Image' initialValue='' redrawOnWrite='true'/>"
    "<PropertyDefinition name='ShadowText' type='String' initialValue='' redrawOnWrite='true'/>"
    "<PropertyDefinition name='ShadowColour' type='Colour' initialValue='00000000' redrawOnWrite='true'/>"
    ODC_FORMAT_PROPERTIES("LeftAligned", "TopAligned")
    ODC_IMAGE_SECTION("image", "Image")
    "<ImagerySection name='text'>"
    "<TextComponent>" ODC_SHADOW_AREA "<TextProperty name='ShadowText'/>"
    "<ColourProperty name='ShadowColour'/>" ODC_TEXT_FORMATS "</TextComponent>"
    "<TextComponent>" ODC_FULL_AREA ODC_TEXT_FORMATS "</TextComponent>"
    "</ImagerySection>"
    "<StateImagery name='Enabled'><Layer><Section section='image'/><Section section='text'/></Layer></StateImagery>"
    "<StateImagery name='Disabled'><Layer><Section section='image'/><Section section='text'/></Layer></StateImagery>"
    "</WidgetLook>";

// Button: an optional flat frame, the image of the state, and an optional centred label.
constexpr const char* kLookButton =
    "<WidgetLook name='ODC/Button'>"
    "<PropertyDefinition name='NormalImage' type='Image' initialValue='' redrawOnWrite='true'/>"
    "<PropertyDefinition name='HoverImage' type='Image' initialValue='' redrawOnWrite='true'/>"
    "<PropertyDefinition name='PushedImage' type='Image' initialValue='' redrawOnWrite='true'/>"
    "<PropertyDefinition name='DisabledImage' type='Image' initialValue='' redrawOnWrite='true'/>"
    "<PropertyDefinition name='FrameColour' type='Colour' initialValue='00000000' "
    "redrawOnWrite='true'/>" ODC_FORMAT_PROPERTIES(
        "CentreAligned",
        "CentreAligned") "<ImagerySection name='frame'><ImageryComponent>" ODC_FULL_AREA
                         "<Image name='ODC/Flat'/>"
                         "<ColourProperty name='FrameColour'/><VertFormat type='Stretched'/><HorzFormat "
                         "type='Stretched'/>"
                         "</ImageryComponent></ImagerySection>" ODC_IMAGE_SECTION(
                             "normal", "NormalImage") ODC_IMAGE_SECTION("hover", "HoverImage")
                             ODC_IMAGE_SECTION("pushed", "PushedImage") ODC_IMAGE_SECTION(
                                 "disabled",
                                 "DisabledImage") "<ImagerySection name='label'><TextComponent>" ODC_FULL_AREA
                                 ODC_TEXT_FORMATS "</TextComponent></ImagerySection>" ODC_BUTTON_STATE(
                                     "Normal", "normal") ODC_BUTTON_STATE("Hover", "hover")
                                     ODC_BUTTON_STATE("Pushed", "pushed")
                                         ODC_BUTTON_STATE("PushedOff", "hover")
                                             ODC_BUTTON_STATE("Disabled", "disabled") "</WidgetLook>";

// Edit box: a translucent dark field, so that light text reads over any art beneath it.
constexpr const char* kLookEditbox =
    "<WidgetLook name='ODC/Editbox'>"
    "<PropertyDefinition name='NormalTextColour' type='ColourRect' initialValue='FFFFFFFF' redrawOnWrite='true'/>"
    "<PropertyDefinition name='SelectedTextColour' type='ColourRect' initialValue='FFFFFFFF' redrawOnWrite='true'/>"
    "<PropertyDefinition name='ActiveSelectionColour' type='ColourRect' initialValue='FF3B6FB6' redrawOnWrite='true'/>"
    "<PropertyDefinition name='InactiveSelectionColour' type='ColourRect' initialValue='FF6E6E6E' redrawOnWrite='true'/>"
    "<NamedArea name='TextArea'>" ODC_INSET_AREA(3, 1, 3, 1) "</NamedArea>"
    "<ImagerySection name='field'>" ODC_FLAT(ODC_FULL_AREA, "60000000") "</ImagerySection>"
    "<ImagerySection name='selection'><ImageryComponent>" ODC_FULL_AREA "<Image name='ODC/Flat'/>"
    "<VertFormat type='Stretched'/><HorzFormat type='Stretched'/></ImageryComponent></ImagerySection>"
    "<ImagerySection name='Caret'><ImageryComponent><Area><Dim type='Width'><AbsoluteDim value='1'/></Dim>"
    "<Dim type='Height'><UnifiedDim scale='1' type='Height'/></Dim></Area><Image name='ODC/Flat'/>"
    "<VertFormat type='Stretched'/><HorzFormat type='Stretched'/></ImageryComponent></ImagerySection>"
    "<StateImagery name='Enabled'><Layer><Section section='field'/></Layer></StateImagery>"
    "<StateImagery name='ReadOnly'><Layer><Section section='field'/></Layer></StateImagery>"
    "<StateImagery name='Disabled'><Layer><Section section='field'/></Layer></StateImagery>"
    "<StateImagery name='ActiveSelection'><Layer><Section section='selection'>"
    "<ColourRectProperty name='ActiveSelectionColour'/></Section></Layer></StateImagery>"
    "<StateImagery name='InactiveSelection'><Layer><Section section='selection'>"
    "<ColourRectProperty name='InactiveSelectionColour'/></Section></Layer></StateImagery>"
    "</WidgetLook>";

// Message dialog: dims the whole box, draws a framed panel in its centre with the question and
// the two answer buttons.
constexpr const char* kLookMessageDialog =
    "<WidgetLook name='ODC/MessageDialog'>"
    ODC_FORMAT_PROPERTIES("WordWrapCentreAligned", "CentreAligned")
    "<ImagerySection name='panel'>"
    ODC_FLAT(ODC_FULL_AREA, "80000000")
    ODC_FLAT(ODC_CENTRED_AREA(-182, -92, 364, 184), "FFC9A45C")
    ODC_FLAT(ODC_CENTRED_AREA(-180, -90, 360, 180), "FF2A1E3A")
    "<TextComponent>" ODC_CENTRED_AREA(-164, -78, 328, 106) ODC_TEXT_FORMATS "</TextComponent>"
    "</ImagerySection>"
    "<StateImagery name='Enabled'><Layer><Section section='panel'/></Layer></StateImagery>"
    "<StateImagery name='Disabled'><Layer><Section section='panel'/></Layer></StateImagery>"
    "<Child type='ODC/Button' nameSuffix='__auto_yes__'>" ODC_CENTRED_AREA(-130, 40, 100, 32)
    "<Property name='FrameColour' value='FF7A5A2E'/></Child>"
    "<Child type='ODC/Button' nameSuffix='__auto_no__'>" ODC_CENTRED_AREA(30, 40, 100, 32)
    "<Property name='FrameColour' value='FF4A4A5A'/></Child>"
    "</WidgetLook>";

// Message box: a container that draws nothing and lets clicks through until its dialog shows.
constexpr const char* kLookMessageBox =
    "<WidgetLook name='ODC/MessageBox'>"
    "<Property name='MousePassThroughEnabled' value='true'/>"
    "<Child type='ODC/MessageDialog' nameSuffix='__auto_dialog__'>" ODC_FULL_AREA
    "<Property name='Visible' value='false'/></Child>"
    "<StateImagery name='Enabled'/><StateImagery name='Disabled'/>"
    "</WidgetLook>";

constexpr const char* kScheme =
    "<?xml version='1.0' ?><GUIScheme version='5' name='ODC'>"
    "<WindowRendererSet filename='CEGUICoreWindowRendererSet'/>"
    "<FalagardMapping windowType='ODC/StaticImage' targetType='DefaultWindow' renderer='Core/Default' "
    "lookNFeel='ODC/StaticImage'/>"
    "<FalagardMapping windowType='ODC/Button' targetType='CEGUI/PushButton' renderer='Core/Button' "
    "lookNFeel='ODC/Button'/>"
    "<FalagardMapping windowType='ODC/Editbox' targetType='CEGUI/Editbox' renderer='Core/Editbox' "
    "lookNFeel='ODC/Editbox'/>"
    "<FalagardMapping windowType='ODC/MessageDialog' targetType='DefaultWindow' renderer='Core/Default' "
    "lookNFeel='ODC/MessageDialog'/>"
    "<FalagardMapping windowType='ODC/MessageBox' targetType='DefaultWindow' renderer='Core/Default' "
    "lookNFeel='ODC/MessageBox'/>"
    "</GUIScheme>";

#undef ODC_FULL_AREA
#undef ODC_INSET_AREA
#undef ODC_SHADOW_AREA
#undef ODC_CENTRED_AREA
#undef ODC_FLAT
#undef ODC_TEXT_FORMATS
#undef ODC_FORMAT_PROPERTIES
#undef ODC_IMAGE_SECTION
#undef ODC_BUTTON_STATE

// The skin texture: a white 4 x 4 cell at the origin and a 12 x 19 arrow cursor beside it.
constexpr int kCursorX = 8;
constexpr int kCursorWidth = 12;
constexpr int kCursorHeight = 19;

std::array<std::uint32_t, kTextureSize * kTextureSize> SkinPixels() {
    constexpr std::uint32_t kWhite = 0xFFFFFFFF;
    constexpr std::uint32_t kBlack = 0xFF000000;
    std::array<std::uint32_t, kTextureSize * kTextureSize> pixels{};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            pixels[y * kTextureSize + x] = kWhite;
        }
    }
    // The arrow: a triangle whose row y spans y * 2/3 pixels, outlined in black.
    for (int y = 0; y < kCursorHeight - 3; ++y) {
        const int span = y * 2 / 3;
        for (int x = 0; x <= span; ++x) {
            const bool edge = x == 0 || x == span || y == kCursorHeight - 4;
            pixels[y * kTextureSize + kCursorX + x] = edge ? kBlack : kWhite;
        }
    }
    return pixels;
}

void AddImage(CEGUI::Texture& texture, const char* name, const CEGUI::Rectf& area) {
    auto& image =
        static_cast<CEGUI::BasicImage&>(CEGUI::ImageManager::getSingleton().create("BasicImage", name));
    image.setTexture(&texture);
    image.setArea(area);
    image.setAutoScaled(CEGUI::ASM_Disabled);
}

}  // namespace

void LoadSkin(CEGUI::Renderer& renderer) {
    const auto pixels = SkinPixels();
    CEGUI::Texture& texture = renderer.createTexture(kTextureName, CEGUI::Sizef(kTextureSize, kTextureSize));
    texture.loadFromMemory(pixels.data(), CEGUI::Sizef(kTextureSize, kTextureSize), CEGUI::Texture::PF_RGBA);
    // Sampling the centre of the white cell keeps filtered edges white.
    AddImage(texture, kFlatImage, CEGUI::Rectf(1, 1, 3, 3));
    AddImage(texture, kCursorImage, CEGUI::Rectf(kCursorX, 0, kCursorX + kCursorWidth, kCursorHeight));

    CEGUI::String looks = "<?xml version='1.0' ?><Falagard version='7'>";
    for (const char* look :
         {kLookStaticImage, kLookButton, kLookEditbox, kLookMessageDialog, kLookMessageBox}) {
        looks += look;
    }
    looks += "</Falagard>";
    CEGUI::WidgetLookManager::getSingleton().parseLookNFeelSpecificationFromString(looks);
    CEGUI::SchemeManager::getSingleton().createFromString(kScheme);
}

}  // namespace GUI::detail
