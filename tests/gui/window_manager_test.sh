#!/usr/bin/env bash
# The real program under a window manager, on a small screen at 125 %: the whole window on the
# screen, the windows as assistive technology sees them, the New canvas dialog kept above the
# main window and brought to the keyboard by New..., and closing the main window ending the
# program with status 0.
#   window_manager_test.sh PROGRAM
set -euo pipefail
program=$1
source "$(dirname "$0")/xvfb.sh"

# A common laptop screen; at 125 % the window at its designed place would run off the bottom.
start_xvfb 1366x768
export QT_SCALE_FACTOR=1.25
start_window_manager
start_accessibility_bus
start_program "$program"
find_client_area
expect_on_screen "$app_window" "the main window"

choose_from_file_menu n
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^New canvas$' | head -n 1 || true)
[ -n "$dialog" ] || fail "File > New... showed no dialog"
expect_on_screen "$dialog" "the dialog"
transient_for=$(xprop -id "$dialog" WM_TRANSIENT_FOR | sed -n 's/.*window id # *//p')
[ "$((transient_for))" = "$((app_window))" ] ||
    fail "the dialog is transient for $transient_for, not for the main window $app_window"

# Every field named through its label; the picture and the phase read-out named.
accessible_objects >"$work/objects"
while IFS= read -r expected; do
    grep -qxF -- "$expected" "$work/objects" ||
        fail "no accessible object '$expected' in: $(cat "$work/objects")"
done <<'END'
text|Labda: ||Labda: 
image|Wave picture|Circular waves in grey, spreading from near the top-left corner|
label|Phase|Label1|Phase:
dialog|New canvas||
text|Width||Width
text|Height:||Height:
END

# A click on the main window's picture, away from the dialog: the window manager keeps the
# dialog above the window it belongs to.
click_at 100 100
sleep 0.5
[ "$(xdotool getwindowfocus)" = "$app_window" ] || fail "the click did not focus the main window"
stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | sed -n 's/.*# *//p' | tr -d ' ')
IFS=, read -ra stack <<<"$stacking"
main_level=-1 dialog_level=-1
for i in "${!stack[@]}"; do
    [ "$((stack[i]))" = "$((app_window))" ] && main_level=$i
    [ "$((stack[i]))" = "$((dialog))" ] && dialog_level=$i
done
[ "$dialog_level" -gt "$main_level" ] || fail "the dialog lies below the main window: $stacking"

# New... again: the dialog takes the keyboard.
choose_from_file_menu n
for i in $(seq 30); do
    [ "$(xdotool getwindowfocus)" = "$dialog" ] && break
    sleep 0.1
done
[ "$(xdotool getwindowfocus)" = "$dialog" ] || fail "File > New... did not focus the dialog"

# The window manager's close request (Alt+F4 in openbox) is refused.
xdotool key alt+F4
sleep 0.5
xdotool search --onlyvisible --name '^New canvas$' >/dev/null || fail "Alt+F4 closed the dialog"

# Closing the main window through the window manager ends the program, the dialog shown.
xdotool windowfocus --sync "$app_window"
xdotool key alt+F4
wait_for_program_end "closing the main window"
expect_clean_exit
echo "PASS"
