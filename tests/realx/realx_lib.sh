# Helpers for the real-X tests: a private Xvfb display with openbox, the real program started
# on it, X input through xdotool and screenshots through ImageMagick.
set -u

RX_FAILS=0
RX_PASSES=0

# The start every script shares: the tools it needs (else skipped), the program and the
# command-line tool from its arguments, a scratch folder that goes at the end, and a fresh
# account's home, so the trash and the settings land there and nowhere else.
rx_begin() {
    local tool
    for tool in Xvfb openbox xdotool xwininfo xdpyinfo convert compare; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
    RX_PROGRAM=$(realpath "$1")
    RETOUCH=$(realpath "$2")
    RX_TMP=$(mktemp -d)
    # Under AddressSanitizer: the X keyboard library hands strndup names that are not
    # terminated within the bound, which the strict string check reports although nothing
    # reads past it.
    export ASAN_OPTIONS="${ASAN_OPTIONS:-}:strict_string_checks=0"
    trap 'rx_stop_display; rm -rf "$RX_TMP"' EXIT
    export HOME="$RX_TMP/home" XDG_DATA_HOME="$RX_TMP/home/.local/share"
    mkdir -p "$HOME"
    PICS="$RX_TMP/pics"
    mkdir -p "$PICS"
}

# Menu-bar titles, in window pixels: the first title, and the second in the browse state.
FIRST_TITLE="45 8"
FILE_TITLE="155 8"
menu_first() { rx_click $FIRST_TITLE 1 0.5; }
# menu_pick N: the N-th entry of an open menu, counted from the top (N > 0) or the bottom.
menu_pick() {
    local n=$1 key=Down
    if [ "$n" -lt 0 ]; then key=Up; n=$((-n)); fi
    local i
    for i in $(seq "$n"); do rx_key "$key" 0.15; done
    rx_key Return 1
}
same_pixels() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = "0" ]; }

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
