#include "app/layout_rules.h"

#include <algorithm>
#include <cmath>

namespace sorvenal {

namespace {
constexpr int kHorizontalAllowance = 120;
constexpr int kVerticalFitAllowance = 990;
constexpr int kHeightBothFit = 690;
constexpr int kHeightWithHScroll = 940;
constexpr int kNarrowPicture = 1560;
constexpr int kNarrowWindow = 1680;
constexpr int kSmallChangeDivisor = 25;
}  // namespace

// Halves to even, as every conversion of a real to a whole number in the window rules.
Point2 CenteredPosition(int screenWidth, int screenHeight, int width, int height) {
    return {RoundHalfEven(screenWidth - width) / 2, RoundHalfEven(screenHeight - height) / 2};
}

PreviewRect PreviewFit(float width, float height) {
    PreviewRect r;
    if (width <= 0 || height <= 0) return {16, 10, 0, 0};
    if (width >= height) {
        r.left = 16;
        r.width = 160;
        r.height = static_cast<int>(std::floor(160.0 * height / width));
        r.top = 90 - r.height / 2;
    } else {
        r.top = 10;
        r.height = 160;
        r.width = static_cast<int>(std::floor(160.0 * width / height));
        r.left = 96 - r.width / 2;
    }
    return r;
}

ScrollRange ScrollRangeFor(int hiddenTwips) {
    ScrollRange range;
    range.visible = true;
    const int hidden = hiddenTwips < 0 ? 0 : hiddenTwips;
    range.unit = hidden > kMaxScrollValue ? (hidden + kMaxScrollValue - 1) / kMaxScrollValue : 1;
    range.max = (hidden + range.unit - 1) / range.unit;
    range.large = range.max;
    range.small = range.max / kSmallChangeDivisor;
    return range;
}

RetouchLayout RetouchSizing(int PW, int PH, int SW, int SH, int chromeWidth, int chromeHeight,
                            TwipsBox available) {
    RetouchLayout l;
    // The comparison rounds the differences to single precision first.
    l.fitsHorizontally = static_cast<float>(SW - kHorizontalAllowance) >= static_cast<float>(PW);
    l.fitsVertically = static_cast<float>(SH - kVerticalFitAllowance) >= static_cast<float>(PH);

    if (PW <= kNarrowPicture)
        l.width = kNarrowWindow;  // A
    else if (l.fitsHorizontally)
        l.width = PW + kHorizontalAllowance;  // B
    if (l.fitsVertically)                     // C
        l.height = PH + (l.fitsHorizontally ? kHeightBothFit : kHeightWithHScroll);
    int hiddenW = 0;
    int hiddenH = 0;
    if (!l.fitsHorizontally) {  // D
        l.width = SW - kHorizontalAllowance;
        hiddenW = PW - l.width + kHorizontalAllowance;
        l.hScroll = ScrollRangeFor(hiddenW);
    }
    if (!l.fitsVertically) {  // E
        l.height = SH - kScrollBarTwips;
        hiddenH = PH - l.height + kVerticalFitAllowance;
        l.vScroll = ScrollRangeFor(hiddenH);
    }
    const Point2 pos = CenteredPosition(SW, SH, l.width, l.height);  // F
    l.left = pos.x;
    l.top = pos.y;

    const int CW = l.width - chromeWidth;  // G
    const int CH = l.height - chromeHeight;
    l.hScrollRect = {0, CH - kScrollBarTwips, CW - kScrollBarTwips, kScrollBarTwips};
    l.vScrollRect = {CW - kScrollBarTwips, 0, kScrollBarTwips, CH - kScrollBarTwips};
    l.command1Rect = {CW, CH - kScrollBarTwips, kScrollBarTwips, kScrollBarTwips};
    l.command1Visible = l.hScroll.visible || l.vScroll.visible;

    if (l.vScroll.visible) {  // H
        l.width += kScrollBarTwips;
        const int CW2 = l.width - chromeWidth;
        l.vScrollRect = {CW2 - kScrollBarTwips, 0, kScrollBarTwips, CH - kScrollBarTwips};
        if (l.hScroll.visible)
            l.hScrollRect = {0, CH - kScrollBarTwips, CW2 - kScrollBarTwips, kScrollBarTwips};
    }

    // I: a picture larger than the screen both ways would push the widened window past the
    // screen's edge; the window is cut to the area and the bars scroll what the cut hides.
    const TwipsBox area =
        available.width > 0 && available.height > 0 ? available : TwipsBox{0, 0, SW, SH};
    if (const int cut = l.width - area.width; cut > 0) {
        l.width = area.width;
        l.vScrollRect.x -= cut;
        l.hScrollRect.width -= cut;
        l.command1Rect.x -= cut;
        hiddenW += cut;
        l.hScroll = ScrollRangeFor(hiddenW);
        l.command1Visible = true;
    }
    if (const int cut = l.height - area.height; cut > 0) {
        l.height = area.height;
        l.hScrollRect.y -= cut;
        l.vScrollRect.height -= cut;
        l.command1Rect.y -= cut;
        hiddenH += cut;
        l.vScroll = ScrollRangeFor(hiddenH);
        l.command1Visible = true;
    }
    l.left = std::clamp(l.left, area.x, area.x + area.width - l.width);
    l.top = std::clamp(l.top, area.y, area.y + area.height - l.height);
    return l;
}

RetouchLayout ZoomedLayout(const RetouchLayout& atActual, int PW, int PH, int ZW, int ZH, int CW,
                           int CH) {
    if (ZW == PW && ZH == PH) return atActual;
    RetouchLayout l = atActual;
    // Each bar that shows takes its width from the other direction's view.
    bool needV = ZH > CH;
    const bool needH = ZW > CW - (needV ? kScrollBarTwips : 0);
    needV = ZH > CH - (needH ? kScrollBarTwips : 0);
    const int viewW = CW - (needV ? kScrollBarTwips : 0);
    const int viewH = CH - (needH ? kScrollBarTwips : 0);
    l.hScroll = needH ? ScrollRangeFor(ZW - viewW) : ScrollRange{};
    l.vScroll = needV ? ScrollRangeFor(ZH - viewH) : ScrollRange{};
    l.hScrollRect = {0, CH - kScrollBarTwips, viewW, kScrollBarTwips};
    l.vScrollRect = {CW - kScrollBarTwips, 0, kScrollBarTwips, viewH};
    l.command1Rect = {CW - kScrollBarTwips, CH - kScrollBarTwips, kScrollBarTwips, kScrollBarTwips};
    l.command1Visible = needH && needV;
    return l;
}

int ScrollValueFor(long long offsetTwips, const ScrollRange& range) {
    if (!range.visible || offsetTwips <= 0) return 0;
    const long long unit = range.unit < 1 ? 1 : range.unit;
    const long long value = (offsetTwips + unit / 2) / unit;
    return static_cast<int>(std::min<long long>(value, range.max));
}

int ArrowStepValues(int unit) {
    if (unit <= 1) return kArrowStepTwips;
    const int step = kArrowStepTwips / unit;
    return step < 1 ? 1 : step;
}

std::optional<int> ArrowKeyValue(ArrowKey key, int value, int max, int step, int pictureTwips,
                                 int screenTwips) {
    switch (key) {
        case ArrowKey::Up:
        case ArrowKey::Left: {
            const bool fits = key == ArrowKey::Up
                                  ? screenTwips - kVerticalFitAllowance >= pictureTwips
                                  : pictureTwips <= screenTwips;
            if (fits) return std::nullopt;
            // Formed in full int width: no 16-bit overflow near the top of the range.
            const long long next = static_cast<long long>(value) + step;
            return next < max ? static_cast<int>(next) : max;
        }
        case ArrowKey::Down:
        case ArrowKey::Right:
            return value >= step ? value - step : 0;
    }
    return std::nullopt;
}

}  // namespace sorvenal
