#pragma once

#include <cstdint>

namespace app::logic {

struct Size
{
    int width = 0;
    int height = 0;

    friend bool operator==(const Size&, const Size&) = default;
};

struct Position
{
    int left = 0;
    int top = 0;

    friend bool operator==(const Position&, const Position&) = default;
};

struct Rect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

// value * numerator / denominator rounded to the nearest integer, halves away from zero.
// denominator must be positive.
constexpr std::int64_t mulDivRounded(std::int64_t value, std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t product = value * numerator;
    const std::int64_t magnitude = (2 * (product < 0 ? -product : product) + denominator) / (2 * denominator);
    return product < 0 ? -magnitude : magnitude;
}

} // namespace app::logic
