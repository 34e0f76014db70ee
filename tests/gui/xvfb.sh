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

# Starts Xvfb and exports DISPLAY. The server picks a free display number itself.
start_xvfb() {
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
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
    menu_height=$((height - 555))
    [ "$menu_height" -gt 0 ] || fail "no menu bar above the 555 pixels of the client area"
    client_x=$x
    client_y=$((y + menu_height))
}

# Starts the program given as $1 in the background; sets app_pid and app_window.
start_program() {
    "$1" >"$work/app.out" 2>"$work/app.err" &
    app_pid=$!
    pids+=($app_pid)
    app_window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Ondoria$' | head -n 1)
    [ -n "$app_window" ] || fail "no window titled Ondoria appeared"
}

# Opens the File menu and chooses the item with the given mnemonic.
choose_from_file_menu() {
    find_client_area
    xdotool mousemove $((client_x + 12)) $((client_y - menu_height / 2)) click 1
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
