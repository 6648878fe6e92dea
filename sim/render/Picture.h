// RGBA pictures: taken from the current OpenGL framebuffer, written to and read from PNG files,
// and compared pixel by pixel with a tolerance.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // rows top to bottom
};

// Reads the current framebuffer (read buffer as set) of the given size.
Picture CaptureFramebuffer(int width, int height);
bool WritePng(const Picture& picture, const std::string& path);
// Empty picture (0 x 0) when the file cannot be read.
Picture ReadPng(const std::string& path);

// The part of `picture` from (left, top), `width` x `height` pixels; empty when it does not fit.
Picture Crop(const Picture& picture, int left, int top, int width, int height);

struct PictureDifference {
    bool sameSize = false;
    int differingPixels = 0;  // pixels with a channel that differs by more than the tolerance
    int largestDelta = 0;     // over all channels of all pixels
};
PictureDifference Compare(const Picture& a, const Picture& b, int tolerance);

}  // namespace sim
