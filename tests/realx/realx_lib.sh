# Helpers for the real-X tests: a private Xvfb display with openbox, the real program started
# on it, X input through xdotool and screenshots through ImageMagick.
set -u

RX_FAILS=0
RX_PASSES=0

rx_start_display() {
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$RX_TMP/xvfb.log" 2>&1 &
        RX_XVFB=$!
        export DISPLAY=":$n"
        local i
        for i in $(seq 50); do
            xdpyinfo >/dev/null 2>&1 && break
            sleep 0.1
        done
        if xdpyinfo >/dev/null 2>&1; then
            openbox >"$RX_TMP/openbox.log" 2>&1 &
            RX_WM=$!
            sleep 0.5
            return 0
        fi
        kill "$RX_XVFB" 2>/dev/null
    done
    echo "no free X display" >&2
    return 1
}

rx_stop_display() {
    [ -n "${RX_APP:-}" ] && kill "$RX_APP" 2>/dev/null
    kill "${RX_WM:-}" "${RX_XVFB:-}" 2>/dev/null
    wait 2>/dev/null
}

# rx_launch ARGS...: starts the program and waits for its first window.
rx_launch() {
    LANG=C.UTF-8 QT_QPA_PLATFORM=xcb "$RX_PROGRAM" "$@" >"$RX_TMP/app.log" 2>&1 &
    RX_APP=$!
    local i
    for i in $(seq 100); do
        RX_WIN=$(xdotool search --onlyvisible --pid "$RX_APP" 2>/dev/null | head -1)
        [ -n "$RX_WIN" ] && break
        sleep 0.1
    done
    if [ -z "$RX_WIN" ]; then
        # Nothing below can run without the window (xwininfo would wait for a click).
        echo "the program showed no window:" >&2
        head -40 "$RX_TMP/app.log" >&2
        exit 1
    fi
    sleep 0.7
}

# Number of the program's visible top-level windows.
rx_windows() { xdotool search --onlyvisible --pid "$RX_APP" 2>/dev/null | wc -l; }

rx_alive() { kill -0 "$RX_APP" 2>/dev/null; }

# rx_wait_exit SECONDS: true when the program ended within that time.
rx_wait_exit() {
    local i
    for i in $(seq $(($1 * 10))); do
        rx_alive || return 0
        sleep 0.1
    done
    return 1
}

# A keystroke held as a person holds it.
rx_key() {
    xdotool keydown "$1"
    sleep 0.12
    xdotool keyup "$1"
    sleep "${2:-0.6}"
}

# Client-area origin of the main window on the screen.
rx_origin() {
    xwininfo -id "$RX_WIN" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}'
}

# Height of the menu bar: the window surface starts below it.
RX_MENU_H=${RX_MENU_H:-18}

# rx_click X Y [BUTTON]: a click at a point of the main window's client area.
rx_click() {
    local ox oy
    read -r ox oy <<<"$(rx_origin)"
    xdotool mousemove $((ox + $1)) $((oy + $2)) click "${3:-1}"
    sleep "${4:-0.6}"
}

# rx_sclick X Y: a click at a point of the window surface (pixels below the menu bar).
rx_sclick() { rx_click "$1" $(($2 + RX_MENU_H)) "${3:-1}" "${4:-0.6}"; }

rx_dblclick() {
    local ox oy
    read -r ox oy <<<"$(rx_origin)"
    xdotool mousemove $((ox + $1)) $((oy + $2)) click --repeat 2 --delay 80 1
    sleep 0.8
}

# The close button of the window manager's title bar, at the frame's top-right corner.
rx_click_close_button() {
    local frame
    frame=$(xwininfo -tree -id "$RX_WIN" | awk '/Parent window id:/{print $4}')
    local fx fy fw
    fx=$(xwininfo -id "$frame" | awk '/Absolute upper-left X/{print $4}')
    fy=$(xwininfo -id "$frame" | awk '/Absolute upper-left Y/{print $4}')
    fw=$(xwininfo -id "$frame" | awk '/Width:/{print $2}')
    # openbox frames are nested; the outermost one below the root carries the buttons.
    local parent
    parent=$(xwininfo -tree -id "$frame" | awk '/Parent window id:/{print $4}')
    local root
    root=$(xwininfo -root | awk '/Window id:/{print $4}')
    if [ "$parent" != "$root" ]; then
        fx=$(xwininfo -id "$parent" | awk '/Absolute upper-left X/{print $4}')
        fy=$(xwininfo -id "$parent" | awk '/Absolute upper-left Y/{print $4}')
        fw=$(xwininfo -id "$parent" | awk '/Width:/{print $2}')
    fi
    xdotool mousemove $((fx + fw - 10)) $((fy + 10)) click 1
}

# Outer size of the main window, frame and title bar included, as "WxH".
rx_frame_size() {
    local id=$RX_WIN parent root
    root=$(xwininfo -root | awk '/Window id:/{print $4}')
    while :; do
        parent=$(xwininfo -tree -id "$id" | awk '/Parent window id:/{print $4}')
        [ "$parent" = "$root" ] && break
        id=$parent
    done
    xwininfo -id "$id" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'
}

rx_shot() { import -window root "$RX_TMP/$1.png"; }

# Colour of a screen pixel of the last screenshot NAME, as "r,g,b".
rx_pixel() {
    convert "$RX_TMP/$1.png" -format '%[fx:int(255*p{'"$2,$3"'}.r)],%[fx:int(255*p{'"$2,$3"'}.g)],%[fx:int(255*p{'"$2,$3"'}.b)]' info:
}

rx_check() {
    local what=$1
    shift
    if "$@"; then
        RX_PASSES=$((RX_PASSES + 1))
        echo "ok: $what"
    else
        RX_FAILS=$((RX_FAILS + 1))
        echo "FAILED: $what"
    fi
}
