#include "gui/GuiValueTypes.h"

#include <OgreVector.h>

#include <cmath>
#include <cstdint>
#include <type_traits>

static_assert(std::is_same_v<Ogre::Vector2, Ogre::Vector<2, Ogre::Real>>,
              "the forward declaration of Ogre::Vector2 must match OGRE's own");

namespace GUI {

namespace {

using Extended = long double;

float Store(Extended value) {
    return static_cast<float>(value);
}

// Truncation toward zero to 32 bits; out-of-range values and NaN give INT32_MIN.
std::int32_t TruncateToInt32(Extended value) {
    if (!(value > static_cast<Extended>(INT32_MIN) - 1 && value < static_cast<Extended>(INT32_MAX) + 1)) {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

float UDim::asAbsolute(float base) const {
    const Extended t = static_cast<Extended>(d_scale) * base + 0.5L;
    return Store(static_cast<Extended>(TruncateToInt32(t)) + d_offset);
}

float UDim::asRelative(float base) const {
    if (base == 0.0f) return 0.0f;
    return Store(static_cast<Extended>(d_offset) / base + d_scale);
}

UDim UDim::operator+(const UDim& o) const {
    return {Store(Extended{d_scale} + o.d_scale), Store(Extended{d_offset} + o.d_offset)};
}
UDim UDim::operator-(const UDim& o) const {
    return {Store(Extended{d_scale} - o.d_scale), Store(Extended{d_offset} - o.d_offset)};
}
UDim UDim::operator*(const UDim& o) const {
    return {Store(Extended{d_scale} * o.d_scale), Store(Extended{d_offset} * o.d_offset)};
}
UDim UDim::operator/(const UDim& o) const {
    return {Store(Extended{d_scale} / o.d_scale), Store(Extended{d_offset} / o.d_offset)};
}
UDim& UDim::operator+=(const UDim& o) {
    return *this = *this + o;
}
UDim& UDim::operator-=(const UDim& o) {
    return *this = *this - o;
}
UDim& UDim::operator*=(const UDim& o) {
    return *this = *this * o;
}
UDim& UDim::operator/=(const UDim& o) {
    return *this = *this / o;
}

bool UDim::operator==(const UDim& o) const {
    return d_scale == o.d_scale && d_offset == o.d_offset;
}
bool UDim::operator!=(const UDim& o) const {
    return !(*this == o);
}

Ogre::Vector2 UVector2::asAbsolute(const Size& base) const {
    return {d_x.asAbsolute(base.d_width), d_y.asAbsolute(base.d_height)};
}
Ogre::Vector2 UVector2::asRelative(const Size& base) const {
    return {d_x.asRelative(base.d_width), d_y.asRelative(base.d_height)};
}

UVector2 UVector2::operator+(const UVector2& o) const {
    return {d_x + o.d_x, d_y + o.d_y};
}
UVector2 UVector2::operator-(const UVector2& o) const {
    return {d_x - o.d_x, d_y - o.d_y};
}
UVector2 UVector2::operator*(const UVector2& o) const {
    return {d_x * o.d_x, d_y * o.d_y};
}
UVector2 UVector2::operator/(const UVector2& o) const {
    return {d_x / o.d_x, d_y / o.d_y};
}
UVector2& UVector2::operator+=(const UVector2& o) {
    return *this = *this + o;
}
UVector2& UVector2::operator-=(const UVector2& o) {
    return *this = *this - o;
}
UVector2& UVector2::operator*=(const UVector2& o) {
    return *this = *this * o;
}
UVector2& UVector2::operator/=(const UVector2& o) {
    return *this = *this / o;
}

bool UVector2::operator==(const UVector2& o) const {
    return d_x.d_scale == o.d_x.d_scale && d_x.d_offset == o.d_x.d_offset && d_y.d_scale == o.d_y.d_scale &&
           d_y.d_offset == o.d_y.d_offset;
}
bool UVector2::operator!=(const UVector2& o) const {
    return !(*this == o);
}

}  // namespace GUI
