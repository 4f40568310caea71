#pragma once
// The numeric rules of the main window, as pure functions. Window lengths are twips unless a
// name says pixels; scroll values are in scroll units (see ScrollRange::unit).
#include <optional>

#include "engine/arithmetic.h"

namespace sorvenal {

// Designed client area of the main window, twips.
inline constexpr int kDesignClientWidth = 7560;
inline constexpr int kDesignClientHeight = 4890;
// Start screen and browse window sizes, twips.
inline constexpr int kStartWidth = 6700;
inline constexpr int kStartHeight = 3675;
inline constexpr int kBrowseWidth = 7650;
inline constexpr int kBrowseHeight = 5600;
// Below this outer width the help and full-screen entries are hidden.
inline constexpr int kNarrowWindowWidth = 2000;
inline constexpr int kScrollBarTwips = 250;
inline constexpr int kArrowStepTwips = 150;
inline constexpr int kMaxScrollValue = 32767;

struct Point2 {
    int x = 0;
    int y = 0;
};
// Top-left corner that centres a window of the given size on the screen (twips).
Point2 CenteredPosition(int screenWidth, int screenHeight, int width, int height);

// The preview's place inside the 160 x 160 pixel square at (16, 10), in pixels.
struct PreviewRect {
    int left = 0, top = 0, width = 0, height = 0;
};
PreviewRect PreviewFit(float width, float height);

// A scroll bar's range: one twip per value up to 32767; a hidden part longer than that scrolls
// in coarser units, unit twips per scroll value, so the whole picture stays reachable.
struct ScrollRange {
    bool visible = false;
    int max = 0;
    int large = 0;
    int small = 0;
    int unit = 1;
};
ScrollRange ScrollRangeFor(int hiddenTwips);

struct TwipsBox {
    int x = 0, y = 0, width = 0, height = 0;
};

// The actual-size retouch window for a picture of PW x PH twips on a SW x SH twip screen.
// chromeWidth/chromeHeight: outer size minus client size (frame, title and menu bar).
// available: the part of the screen windows may cover (relative to the screen's corner); an
// empty box means the whole screen. The window never grows past it nor lies outside it.
struct RetouchLayout {
    int width = 0, height = 0;  // outer size, after the widening for the vertical bar
    int left = 0, top = 0;      // outer position, centred before that widening
    ScrollRange hScroll, vScroll;
    TwipsBox hScrollRect, vScrollRect, command1Rect;  // client coordinates
    bool command1Visible = false;
    bool fitsHorizontally = true, fitsVertically = true;
};
RetouchLayout RetouchSizing(int PW, int PH, int SW, int SH, int chromeWidth, int chromeHeight,
                            TwipsBox available = {});

// The bars of the retouch view showing the picture zoomed to ZW x ZH twips in a client area of
// CW x CH twips (the window keeps its size): each bar scrolls the zoomed size less the part
// the window shows. At the size the window was made for (ZW x ZH == PW x PH) it is atActual.
RetouchLayout ZoomedLayout(const RetouchLayout& atActual, int PW, int PH, int ZW, int ZH, int CW,
                           int CH);
// The scroll value that shows the picture from offsetTwips on, within the range.
int ScrollValueFor(long long offsetTwips, const ScrollRange& range);

enum class ArrowKey { Up, Down, Left, Right };
// Scroll values an arrow key moves, for a range in the given unit (150 twips at one per value).
int ArrowStepValues(int unit);
// The new value of the bar the key moves (VScroll1 for Up/Down, HScroll1 for Left/Right), or
// nothing when the key leaves it alone. pictureTwips is Picture2's height (Up/Down) or width
// (Left/Right), screenTwips the screen's; Up keeps the 990-twip margin, Left compares with
// the full screen width.
std::optional<int> ArrowKeyValue(ArrowKey key, int value, int max, int step, int pictureTwips,
                                 int screenTwips);

}  // namespace sorvenal
