// The Chamber's screens as placed images and sample texts, to compose preview pictures of its art
// and to check that every image has the size of the widget that shows it.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace atlas {

// A rectangle in screen pixels of the 800 x 600 screen.
struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where a widget lands: x and y are fractions of the parent's size, width and height are pixels.
Box PlaceChild(const Box& parent, double fx, double fy, int width, int height);

struct PlacedImage {
    std::string image;  // name in the Chamber's image set
    Box box;
};

struct TextLine {
    std::string utf8;
    std::uint32_t rgb = 0x5A5A5A;
};

struct PlacedText {
    std::vector<TextLine> lines;
    Box box;
    bool centredH = false;
    bool centredV = false;
    bool shadow = true;  // a white copy one pixel down and right, under the text
    bool wrap = true;    // break lines at the box's width; otherwise they are cut off there
};

struct Scene {
    std::string name;
    std::vector<std::variant<PlacedImage, PlacedText>> items;  // drawn in order, later ones on top
};

// The hall alone, each detail panel and dialog over it, and the help page.
std::vector<Scene> ChamberScenes();

}  // namespace atlas
