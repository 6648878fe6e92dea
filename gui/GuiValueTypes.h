// Geometry values of the toolkit: a coordinate as a fraction of a reference length plus pixels
// (UDim), a pair of them (UVector2) and a reference size in pixels (Size).
#pragma once

#include "OrnDanceChamberExport.h"

namespace Ogre {
// Forward declaration of OGRE's 2-D vector (single precision, as Debian builds OGRE); include
// <OgreVector.h> to use the results of UVector2::asAbsolute and asRelative.
template <int dims, typename T>
class Vector;
using Vector2 = Vector<2, float>;
}  // namespace Ogre

namespace GUI {

// A reference size in pixels.
struct ODC_API Size {
    Size() = default;  // leaves the fields uninitialised, like the other value types
    Size(float width, float height) : d_width(width), d_height(height) {}

    float d_width;
    float d_height;
};

// One coordinate: scale (a fraction of a reference length) plus offset (pixels).
// Every computation is done in extended precision (long double) and stored as float.
class ODC_API UDim {
public:
    UDim() = default;  // leaves the fields uninitialised
    UDim(float scale, float offset) : d_scale(scale), d_offset(offset) {}

    // trunc(scale * base + 0.5) + offset; the 0.5 is added whatever the sign. A product beyond the
    // 32-bit range (or NaN) truncates to INT32_MIN, as the x86 conversion instruction does.
    float asAbsolute(float base) const;
    // offset / base + scale, or 0 when base is exactly 0.
    float asRelative(float base) const;

    UDim operator+(const UDim& other) const;
    UDim operator-(const UDim& other) const;
    UDim operator*(const UDim& other) const;  // component by component
    UDim operator/(const UDim& other) const;  // component by component
    UDim& operator+=(const UDim& other);
    UDim& operator-=(const UDim& other);
    UDim& operator*=(const UDim& other);
    UDim& operator/=(const UDim& other);

    // Exact float comparison of both components; a NaN component makes == false and != true.
    bool operator==(const UDim& other) const;
    bool operator!=(const UDim& other) const;

    float d_scale;
    float d_offset;
};

// A position or size in two UDim coordinates.
class ODC_API UVector2 {
public:
    UVector2() = default;  // leaves the fields uninitialised
    UVector2(const UDim& x, const UDim& y) : d_x(x), d_y(y) {}

    Ogre::Vector2 asAbsolute(const Size& base) const;
    Ogre::Vector2 asRelative(const Size& base) const;

    UVector2 operator+(const UVector2& other) const;
    UVector2 operator-(const UVector2& other) const;
    UVector2 operator*(const UVector2& other) const;
    UVector2 operator/(const UVector2& other) const;
    UVector2& operator+=(const UVector2& other);
    UVector2& operator-=(const UVector2& other);
    UVector2& operator*=(const UVector2& other);
    UVector2& operator/=(const UVector2& other);

    // Compares x.scale, x.offset, y.scale, y.offset exactly, in that order.
    bool operator==(const UVector2& other) const;
    bool operator!=(const UVector2& other) const;

    UDim d_x;
    UDim d_y;
};

}  // namespace GUI
