#!/usr/bin/env bash
# The main window under a real X server with a window manager, driven by X input: key
# sequences around the full-screen views, closing during a show, commands given during a show,
# the circle outline and saving, commands with nothing selected, double-clicks, Down right
# after a start on a picture.
# Usage: window_realx.sh PROGRAM RETOUCH_TOOL
source "$(dirname "$0")/realx_lib.sh"
rx_begin "$@"

convert -size 256x256 xc:'#3060c0' "$PICS/a.bmp"
convert -size 320x240 gradient:'#c06030-#3060c0' -rotate 90 -type TrueColor "$PICS/b.bmp"
convert -size 300x200 xc:'#30c060' "$PICS/c.bmp"
convert -size 256x256 gradient:'#f0b090-#b07050' -type TrueColor "$PICS/face.bmp"

rx_start_display || exit 1

# Picks the path in the save dialog and accepts it.
save_as() {
    sleep 0.8
    xdotool key ctrl+a
    xdotool type --delay 20 "$1"
    rx_key Return 1.2
}

# --- keys around the full-screen views
rx_launch "$PICS/a.bmp"
rx_check "the first browse window has its outer size ($(rx_frame_size))" \
    test "$(rx_frame_size)" = "510x373"
rx_sclick 300 192 1 0.5  # Check1 takes the focus (and chooses the fit view)
rx_key x 0.8
rx_check "x with Check1 focused opens one view" test "$(rx_windows)" -eq 2
rx_key Escape 1
rx_check "and one Esc closes it" test "$(rx_windows)" -eq 1
menu_first  # 実寸画像でレタッチ
rx_key x 0.8
rx_check "x opens one full-screen view" test "$(rx_windows)" -eq 2
rx_key Escape 1
rx_check "one Esc closes it and nothing opens again" test "$(rx_windows)" -eq 1
rx_check "the program still runs after the Esc" rx_alive
rx_key space 0.8
rx_check "Space opens the view" test "$(rx_windows)" -eq 2
rx_key space 1
rx_check "a second Space closes it for good" test "$(rx_windows)" -eq 1
rx_key ctrl+c 0.8
rx_check "Ctrl+C is a command: it opens no view" test "$(rx_windows)" -eq 1
rx_key Escape 0.5
rx_check "Esc in the retouch state ends the program" rx_wait_exit 2

# --- closing the window while a show runs
rx_launch "$PICS/a.bmp"
rx_sclick 372 266 1 1.6  # Start
rx_click_close_button
rx_check "closing the window during a show ends the program" rx_wait_exit 3
rx_alive && kill "$RX_APP"

# --- a command given during a show acts on the picture on screen and ends the show
client_size() { xwininfo -id "$RX_WIN" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'; }
rx_launch "$PICS/b.bmp"
menu_first  # 実寸画像でレタッチ
expected=$(client_size)
kill "$RX_APP"; sleep 0.3
rx_launch "$PICS/a.bmp"
rx_sclick 372 266 1 1.3  # Start: b.bmp is on screen now
menu_first               # 実寸画像でレタッチ
sleep 2.5
rx_shot during_show
read -r ox oy <<<"$(rx_origin)"
shown=$(rx_pixel during_show $((ox + 96)) $((oy + RX_MENU_H + 90)))
convert "$PICS/b.bmp" "$RX_TMP/b.png"
own=$(rx_pixel b 96 90)
rx_check "the picture on screen is shown, no preview over it ($shown, $own)" test "$shown" = "$own"
rx_check "the window is sized for that picture ($(client_size), $expected)" \
    test "$(client_size)" = "$expected"
sleep 1.2
rx_check "the show sizes it no more ($(client_size))" test "$(client_size)" = "$expected"
kill "$RX_APP"; sleep 0.3

# --- the circle outline is never saved
rx_launch "$PICS/a.bmp"
menu_first      # 実寸画像でレタッチ
menu_first      # レタッチ
menu_pick -2    # メニュー切り替え（特殊効果）
read -r ox oy <<<"$(rx_origin)"
xdotool mousemove $((ox + 100)) $((oy + RX_MENU_H + 100)) mousedown 1
xdotool mousemove $((ox + 130)) $((oy + RX_MENU_H + 100)); sleep 0.1
xdotool mousemove $((ox + 150)) $((oy + RX_MENU_H + 100)); sleep 0.1
xdotool mouseup 1; sleep 0.5
rx_shot circle
menu_first      # 特殊効果
menu_pick -7    # 名前を付けて保存 (表示倍率 lies below it)
save_as "$RX_TMP/ring"
rx_check "the saved picture holds no circle outline" same_pixels "$PICS/a.bmp" "$RX_TMP/ring.BMP"
menu_first      # 特殊効果
menu_pick -2    # メニュー切り替え: back to the retouch menu
menu_first      # レタッチ
menu_pick -7    # 名前を付けて保存 (表示倍率 lies below it)
save_as "$RX_TMP/switched"
rx_check "the switch back leaves the outline behind" \
    same_pixels "$PICS/a.bmp" "$RX_TMP/switched.BMP"
kill "$RX_APP"; sleep 0.3

# --- file commands with nothing selected
rx_launch "$PICS/c.bmp"
rx_click $FILE_TITLE 1 0.5
menu_pick 4     # ファイル削除
rx_check "the delete question appears for the selected file" test "$(rx_windows)" -eq 2
rx_key y 1.2  # はい(Y)
rx_check "the selected file is gone from the folder" test ! -e "$PICS/c.bmp"
rx_sclick 420 150 1 0.5  # the blank part of the file list
rx_click $FILE_TITLE 1 0.5
menu_pick 4     # ファイル削除 with nothing selected
rx_check "with nothing selected delete asks nothing" test "$(rx_windows)" -eq 1
rx_alive && [ "$(rx_windows)" -gt 1 ] && rx_key Escape 0.5
rx_check "and deletes nothing" test -e "$PICS/a.bmp" -a -e "$PICS/b.bmp"
kill "$RX_APP"; sleep 0.3

# --- a double-click is one skin click
rx_launch "$PICS/face.bmp"
menu_first      # 実寸画像でレタッチ
menu_first      # レタッチ
menu_pick 1     # 肌上でクリックして最適化　Ｏｎ　にする
rx_dblclick 128 $((128 + RX_MENU_H))
menu_first
menu_pick -8    # 名前を付けて保存 (元に戻す is enabled now; 表示倍率 below it)
save_as "$RX_TMP/skin"
"$RETOUCH" "$PICS/face.bmp" "$RX_TMP/once.bmp" skin=128,128 >/dev/null
rx_check "a double-click retouches once" same_pixels "$RX_TMP/once.bmp" "$RX_TMP/skin.BMP"
kill "$RX_APP"; sleep 0.3

# --- unsaved work: Esc and the close button ask first, and いいえ (the default) loses nothing
rx_launch "$PICS/face.bmp"
menu_first      # 実寸画像でレタッチ
menu_first      # レタッチ
menu_pick 1     # 肌上でクリックして最適化　Ｏｎ　にする
rx_sclick 128 128 1 1.2
rx_shot retouched
rx_key Escape 1
rx_check "Esc with unsaved work asks first" test "$(rx_windows)" -eq 2
rx_key Return 1  # いいえ, the default
rx_check "いいえ keeps the program running" rx_alive
rx_check "and closes the question" test "$(rx_windows)" -eq 1
rx_shot kept
rx_check "and the retouched picture is still there" same_pixels "$RX_TMP/retouched.png" \
    "$RX_TMP/kept.png"
rx_click_close_button
rx_check "the close button asks too" test "$(rx_windows)" -eq 2
rx_key Escape 1  # the question's Esc is いいえ as well
rx_check "and いいえ keeps the window" test "$(rx_windows)" -eq 1
rx_key Escape 1
rx_key y 1  # はい(Y)
rx_check "はい ends the program" rx_wait_exit 2
rx_alive && kill "$RX_APP"

# --- a retouch killed with SIGKILL comes back at the next start, pixel for pixel
picture_area() {  # picture_area SHOT: the top-left 256 × 256 of the picture on screen
    read -r ox oy <<<"$(rx_origin)"
    convert "$RX_TMP/$1.png" -crop "256x256+$ox+$((oy + RX_MENU_H))" +repage "$RX_TMP/$1-area.png"
}
rx_launch "$PICS/face.bmp"
menu_first      # 実寸画像でレタッチ
menu_first      # レタッチ
menu_pick 1     # 肌上でクリックして最適化　Ｏｎ　にする
rx_sclick 128 128 1 1.2
rx_sclick 60 200 1 1.2
rx_shot before_kill
picture_area before_kill
{ kill -KILL "$RX_APP"; wait "$RX_APP"; } 2>/dev/null; sleep 0.5
journal=$(ls "$HOME"/.local/state/sorvenal/retouch-*.journal 2>/dev/null | head -1)
rx_check "the killed retouch left its journal" test -n "$journal"
"$RETOUCH" --replay "$journal" "$RX_TMP/replayed.bmp" >/dev/null 2>&1
rx_launch "$PICS"
sleep 1
rx_check "the next start offers it back" test "$(rx_windows)" -eq 2
rx_key Return 2  # はい, the default
RX_WIN=$(xdotool search --onlyvisible --pid "$RX_APP" 2>/dev/null | head -1)  # the window, not the question
rx_shot restored
picture_area restored
rx_check "the restored picture is the one before the kill" \
    same_pixels "$RX_TMP/before_kill-area.png" "$RX_TMP/restored-area.png"
menu_first
menu_pick -8    # 名前を付けて保存 (元に戻す is enabled: the steps came back)
save_as "$RX_TMP/restored"
rx_check "and the tool renders the journal to the same pixels" \
    same_pixels "$RX_TMP/replayed.bmp" "$RX_TMP/restored.BMP"
rx_alive && kill "$RX_APP"

# --- started on a picture, the file list has the keyboard: Down shows the next at once
rx_launch "$PICS/a.bmp"
rx_key Down 1
rx_shot after_down
read -r ox oy <<<"$(rx_origin)"
preview=$(rx_pixel after_down $((ox + 96)) $((oy + RX_MENU_H + 90)))
rx_check "Down right after the start previews b.bmp, not a.bmp ($preview)" \
    test "$preview" != "48,96,192"
rx_alive && kill "$RX_APP"

echo "window_realx: $RX_PASSES passed, $RX_FAILS failed"
[ "$RX_FAILS" -eq 0 ]
