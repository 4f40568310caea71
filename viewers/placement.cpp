#include "viewers/placement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sorvenal {

namespace {

std::int32_t Saturate(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Centring: (screen - picture) \ 2, the division truncating toward zero.
std::int32_t Centre(std::int32_t screen, std::int32_t picture) {
    return Saturate((static_cast<std::int64_t>(screen) - picture) / 2);
}

ScrollRange Overhang(std::int32_t screen, std::int32_t picture) {
    ScrollRange range;
    range.max = Saturate(static_cast<std::int64_t>(picture) - screen);
    range.large = range.max;
    range.small = range.max / 25;
    return range;
}

std::int32_t Push(std::int32_t value, std::int32_t max) {
    const std::int64_t next = static_cast<std::int64_t>(value) + kViewerKeyStep;
    return next < max ? static_cast<std::int32_t>(next) : max;
}

std::int32_t Back(std::int32_t value) {
    return value > kViewerKeyStep - 1 ? value - kViewerKeyStep : 0;
}

}  // namespace

ActualPlacement PlaceActualSize(std::int32_t scrW, std::int32_t scrH, std::int32_t picW,
                                std::int32_t picH) {
    ActualPlacement p;
    p.lngWidth = picW;
    p.lngHeight = picH;
    p.wider = picW > scrW;
    p.taller = picH > scrH;
    if (p.wider) {
        p.lngLeft = 0;
        p.h = Overhang(scrW, picW);
    } else {
        p.lngLeft = Centre(scrW, picW);
    }
    if (p.taller) {
        p.lngTop = 0;
        p.v = Overhang(scrH, picH);
    } else {
        p.lngTop = Centre(scrH, picH);
    }
    return p;
}

FitPlacement PlaceFit(std::int32_t scrW, std::int32_t scrH, std::int32_t picW, std::int32_t picH) {
    FitPlacement p;
    // An empty picture (or an empty screen) has no ratio to keep; it is placed like one that fits.
    if ((picW <= scrW && picH <= scrH) || picW <= 0 || picH <= 0 || scrW <= 0 || scrH <= 0) {
        p.lngLeft = Centre(scrW, picW);
        p.lngWidth = picW;
        p.lngHeight = picH;
        p.lngTop = Centre(scrH, picH);
        return p;
    }
    // The ratios are compared in single precision; the sizes come from double products.
    const float a = static_cast<float>(static_cast<double>(picW) / picH);
    const float s = static_cast<float>(static_cast<double>(scrW) / scrH);
    if (s > a) {  // relatively taller than the screen: the height decides
        p.lngTop = 0;
        p.lngWidth = Saturate(
            static_cast<std::int64_t>(std::floor(static_cast<double>(scrH) * picW / picH)));
        p.lngHeight = scrH;
        p.lngLeft = Centre(scrW, p.lngWidth);
    } else {  // the width decides, equal ratios included
        p.lngLeft = 0;
        p.lngWidth = scrW;
        p.lngHeight = Saturate(
            static_cast<std::int64_t>(std::floor(static_cast<double>(scrW) * picH / picW)));
        p.lngTop = Centre(scrH, p.lngHeight);
    }
    return p;
}

ViewerOffsets StepOffsets(const ActualPlacement& placement, ViewerOffsets offsets, ViewerKey key) {
    switch (key) {
        case ViewerKey::Up:
            if (placement.taller) offsets.V = Push(offsets.V, placement.v.max);
            break;
        case ViewerKey::Down:
            offsets.V = Back(offsets.V);
            break;
        case ViewerKey::Left:
            if (placement.wider) offsets.H = Push(offsets.H, placement.h.max);
            break;
        case ViewerKey::Right:
            offsets.H = Back(offsets.H);
            break;
    }
    return offsets;
}

}  // namespace sorvenal
