# Sourced by the tests that need a real X server: starts Xvfb on a free display, and stops it
# and everything the test started when the test ends, however it ends.

work=$(mktemp -d)
pids=()

cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts Xvfb with a screen of the given size (1024x768 unless told) and exports DISPLAY and
# screen_width, screen_height. The server picks a free display number itself.
start_xvfb() {
    local size=${1:-1024x768}
    screen_width=${size%x*}
    screen_height=${size#*x}
    exec 3>"$work/display"
    # -noreset: the server would reset when its last client leaves, and a client connecting
    # meanwhile (openbox right after a probe) would fail to open the display.
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    exec 3>&-
    pids+=($!)
    local i
    for i in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=":$(cat "$work/display")"
    # Qt warns on every start when this is missing, as it is for root.
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# Starts a window manager, for tests where the manager's part matters (focus on new windows).
start_window_manager() {
    XDG_CONFIG_HOME="$work" XDG_CACHE_HOME="$work" openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    local i
    for i in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    fail "the window manager did not start: $(cat "$work/openbox.log")"
}

# Starts a private D-Bus session bus with the accessibility bus on it, and has Qt talk to
# assistive technology, for tests that read the windows through AT-SPI.
start_accessibility_bus() {
    dbus-daemon --session --nofork --nopidfile --address="unix:path=$work/bus" \
        >"$work/dbus.log" 2>&1 &
    pids+=($!)
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus"
    local i
    for i in $(seq 100); do
        [ -S "$work/bus" ] && break
        sleep 0.1
    done
    # Started before the program, which would not start it by itself.
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null || fail "no accessibility bus: $(cat "$work/dbus.log")"
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}

# The program's windows as assistive technology sees them, one object a line:
# role|name|description|names of the objects that label it.
accessible_objects() {
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/accessible_objects.py" ondoria
}

# Prints the screen extent of a window, frame included: left top right bottom (exclusive).
frame_extent() {
    local info extents
    info=$(xwininfo -id "$1")
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
    [ -n "$extents" ] || extents=0,0,0,0
    local x y w h left right top bottom
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    w=$(sed -n 's/.*Width: *//p' <<<"$info")
    h=$(sed -n 's/.*Height: *//p' <<<"$info")
    IFS=, read -r left right top bottom <<<"$extents"
    echo "$((x - left)) $((y - top)) $((x + w + right)) $((y + h + bottom))"
}

# Fails unless the whole window, frame included, lies on the screen.
expect_on_screen() {
    local left top right bottom
    read -r left top right bottom <<<"$(frame_extent "$1")"
    [ "$left" -ge 0 ] && [ "$top" -ge 0 ] && [ "$right" -le "$screen_width" ] &&
        [ "$bottom" -le "$screen_height" ] ||
        fail "$2 spans ($left, $top) to ($right, $bottom) on a ${screen_width}x$screen_height screen"
}

# Sets client_x and client_y to the screen position of the program's client area, below its
# menu bar, and menu_height to the bar's height.
find_client_area() {
    local info
    info=$(xwininfo -id "$app_window")
    local x y height
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    width=$(sed -n 's/.*Width: *//p' <<<"$info")
    height=$(sed -n 's/.*Height: *//p' <<<"$info")
    window_x=$x
    window_y=$y
    menu_height=$((height - $(scaled 555)))
    [ "$menu_height" -gt 0 ] || fail "no menu bar above the 555 pixels of the client area"
    client_x=$x
    client_y=$((y + menu_height))
}

# A length in the forms' pixels as screen pixels, at the scale the program runs with.
scaled() { awk -v n="$1" -v s="${QT_SCALE_FACTOR:-1}" 'BEGIN { printf "%d", n * s + 0.5 }'; }

# Clicks at a point of the client area given in the forms' pixels.
click_at() {
    xdotool mousemove $((client_x + $(scaled "$1"))) $((client_y + $(scaled "$2"))) click 1
}

# Starts the program given as $1 in the background; sets app_pid and app_window.
start_program() {
    "$1" >"$work/app.out" 2>"$work/app.err" &
    app_pid=$!
    pids+=($app_pid)
    app_window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Ondoria$' | head -n 1 || true)
    [ -n "$app_window" ] || fail "no window titled Ondoria appeared"
}

# Opens the File menu and chooses the item with the given mnemonic.
choose_from_file_menu() {
    find_client_area
    xdotool mousemove $((client_x + $(scaled 12))) $((client_y - menu_height / 2)) click 1
    sleep 0.3
    xdotool key "$1"
}

# Waits for the program to end; sets app_status.
wait_for_program_end() {
    local i
    for i in $(seq 100); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app_pid" 2>/dev/null && fail "the program still runs after $1"
    app_status=0
    wait "$app_pid" || app_status=$?
}

# Chooses File > Exit by mouse and keyboard, then waits for the program; sets app_status.
exit_program() {
    choose_from_file_menu x
    wait_for_program_end "File > Exit"
}

# Fails unless the program ended with status 0 and wrote nothing to standard error.
expect_clean_exit() {
    [ "$app_status" -eq 0 ] || fail "exit status $app_status"
    if [ -s "$work/app.err" ]; then
        cat "$work/app.err" >&2
        fail "the program wrote to standard error"
    fi
}
