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

# Starts the program given as $1 in the background; sets app_pid and app_window.
start_program() {
    "$1" >"$work/app.out" 2>"$work/app.err" &
    app_pid=$!
    pids+=($app_pid)
    app_window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Ondoria$' | head -n 1)
    [ -n "$app_window" ] || fail "no window titled Ondoria appeared"
}

# Chooses File > Exit by mouse and keyboard, then waits for the program; sets app_status.
exit_program() {
    local x=$1 y=$2
    xdotool mousemove "$x" "$y" click 1
    sleep 0.3
    xdotool key x
    local i
    for i in $(seq 100); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app_pid" 2>/dev/null && fail "the program still runs after File > Exit"
    app_status=0
    wait "$app_pid" || app_status=$?
}
