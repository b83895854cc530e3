#pragma once

#include <QRect>

namespace kelvar {

// Form1's layout is drawn up in twips. At 96 dots per inch 15 twips make one pixel; Qt scales these
// device-independent pixels on screens of other densities.
inline constexpr int kTwipsPerPixel = 15;

[[nodiscard]] constexpr int twipsToPixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

// A control's place in its window's client area, in twips.
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

[[nodiscard]] constexpr QRect toPixels(TwipsRect twips) {
    return {twipsToPixels(twips.left), twipsToPixels(twips.top), twipsToPixels(twips.width),
            twipsToPixels(twips.height)};
}

}  // namespace kelvar
