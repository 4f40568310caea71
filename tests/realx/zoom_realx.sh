#!/usr/bin/env bash
# Zoom in the retouch view under a real X server: Ctrl+wheel zooms about the pointer and opens
# no view, and a skin click at 25 % retouches the picture pixel under the pointer.
# Usage: zoom_realx.sh PROGRAM RETOUCH_TOOL
source "$(dirname "$0")/realx_lib.sh"
rx_begin "$@"

convert -size 256x256 gradient:'#f0b090-#b07050' -rotate 30 -gravity center -extent 256x256 \
    -type TrueColor "$PICS/face.bmp"

rx_start_display || exit 1

# surface_pixel SHOT X Y: the colour at a point of the window surface.
surface_pixel() {
    local ox oy
    read -r ox oy <<<"$(rx_origin)"
    rx_pixel "$1" $((ox + $2)) $((oy + RX_MENU_H + $3))
}
# ctrl_wheel BUTTON COUNT at surface X Y: 4 turns away from the user (in), 5 towards (out).
ctrl_wheel() {
    local ox oy i
    read -r ox oy <<<"$(rx_origin)"
    xdotool mousemove $((ox + $3)) $((oy + RX_MENU_H + $4))
    sleep 0.2
    xdotool keydown ctrl
    for i in $(seq "$2"); do xdotool click "$1"; sleep 0.15; done
    xdotool keyup ctrl
    sleep 0.6
}

rx_launch "$PICS/face.bmp"
menu_first      # 実寸画像でレタッチ
menu_first      # レタッチ
menu_pick 1     # 肌上でクリックして最適化　Ｏｎ　にする
rx_shot actual
ctrl_wheel 5 4 128 128  # four steps out: 25 %
rx_shot quarter
rx_check "Ctrl+wheel opens no view" test "$(rx_windows)" -eq 1
rx_check "at actual size the picture covers (200, 200)" \
    test "$(surface_pixel actual 200 200)" != "$(surface_pixel actual 100 100)"
rx_check "at 25 % it ends before (100, 100): both are the window's colour" \
    test "$(surface_pixel quarter 200 200)" = "$(surface_pixel quarter 100 100)"
rx_check "and its corner shows the picture's" \
    test "$(surface_pixel quarter 60 60)" != "$(surface_pixel quarter 100 100)"
rx_sclick 32 32 1 1.2   # picture pixel (128, 128)
menu_first
menu_pick -8    # 名前を付けて保存 (元に戻す is enabled now)
sleep 0.8
xdotool key ctrl+a
xdotool type --delay 20 "$RX_TMP/skin"
rx_key Return 1.2
"$RETOUCH" "$PICS/face.bmp" "$RX_TMP/once.bmp" skin=128,128 >/dev/null
rx_check "a skin click at 25 % retouches as one at (128, 128) at actual size" \
    same_pixels "$RX_TMP/once.bmp" "$RX_TMP/skin.BMP"
ctrl_wheel 4 8 20 20  # back in past actual size: 400 %
rx_shot four
rx_check "Ctrl+wheel in opens no view either" test "$(rx_windows)" -eq 1
rx_check "at 400 % the picture covers the window again" \
    test "$(surface_pixel four 200 200)" != "$(surface_pixel quarter 200 200)"
rx_alive && kill "$RX_APP"

echo "zoom_realx: $RX_PASSES passed, $RX_FAILS failed"
[ "$RX_FAILS" -eq 0 ]
