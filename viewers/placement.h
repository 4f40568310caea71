#pragma once
// Where the full-screen views put the picture, and how the arrow keys move it. Pure functions
// of the picture and screen sizes; every length is in twips.
#include <cstdint>

namespace sorvenal {

// One scroll offset of the actual-size view (HScroll2 or VScroll2): never shown, only a value
// with its range. Offsets are 32-bit so that every part of a very large picture can be reached;
// for overhangs up to 32767 twips they stay within 16 bits, one twip per value.
struct ScrollRange {
    std::int32_t max = 32767;
    std::int32_t large = 1;
    std::int32_t small = 1;
};

struct ActualPlacement {
    std::int32_t lngLeft = 0;
    std::int32_t lngTop = 0;
    std::int32_t lngWidth = 0;
    std::int32_t lngHeight = 0;
    bool wider = false;   // PicW > ScrW: Image5 (left arrow) blinks, Left pushes
    bool taller = false;  // PicH > ScrH: Image4 (up arrow) blinks, Up pushes
    ScrollRange h;
    ScrollRange v;
};

// The opening placement of the actual-size view (the offsets start at 0). A picture exactly as
// wide as the screen sits at left 0 and does not scroll.
ActualPlacement PlaceActualSize(std::int32_t scrW, std::int32_t scrH, std::int32_t picW,
                                std::int32_t picH);

struct FitPlacement {
    std::int32_t lngLeft = 0;
    std::int32_t lngTop = 0;
    std::int32_t lngWidth = 0;
    std::int32_t lngHeight = 0;
};

// The fit view's rectangle: a picture larger than the screen in either direction is shrunk
// with its aspect ratio kept and centred on the other axis; a smaller one keeps its size.
FitPlacement PlaceFit(std::int32_t scrW, std::int32_t scrH, std::int32_t picW, std::int32_t picH);

inline constexpr std::int32_t kViewerKeyStep = 150;  // twips, 10 pixels

enum class ViewerKey { Up, Down, Left, Right };

struct ViewerOffsets {
    std::int32_t H = 0;
    std::int32_t V = 0;
};

// The offsets after one arrow key. Up and Left push only in an overhanging direction and stop
// exactly at the maximum; Down and Right come back to 0.
ViewerOffsets StepOffsets(const ActualPlacement& placement, ViewerOffsets offsets, ViewerKey key);

}  // namespace sorvenal
