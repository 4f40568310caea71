#pragma once
// The colour and byte functions of the retouch menu. Each is written once, literally, as the
// scalar definition; tables and fast passes are built by calling these.
#include "engine/canvas_view.h"
#include "engine/color_value.h"

namespace sorvenal {

// Tonal kernels (per-pixel colour functions).
ColorValue WhitenColor(ColorValue c);
ColorValue SharpenPixel(const CanvasView& work, int x, int y);
ColorValue GammaColor(ColorValue c);
ColorValue BacklightColor(ColorValue c);
ColorValue BacklightSpecialColor(ColorValue c);
ColorValue SaturateColor(ColorValue c);
ColorValue DesaturateColor(ColorValue c);
// Shared by the special backlight correction and the automatic retouch; v >= 0, unclamped.
int BacklightCurve(int v);
// Per-component forms of the channel-wise functions (used to build tables).
int GammaComponent(int v);
int BacklightComponent(int v);

// Byte tone functions: 0-255 in, 0-255 out.
int DarkenByte(int v);
int LightenByte(int v);
int ContrastUpByte(int v);
int ContrastDownByte(int v);

}  // namespace sorvenal
