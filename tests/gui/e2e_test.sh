#!/usr/bin/env bash
# The real program under a real X server: Start, the first frame on screen pixel for pixel as the
# core computes it, then File > Exit with status 0 and nothing on standard error.
#   e2e_test.sh PROGRAM EXPECTED_FRAME_TOOL
set -euo pipefail
program=$1
expected_frame=$2
source "$(dirname "$0")/xvfb.sh"

start_xvfb
start_program "$program"

find_client_area
[ "$window_x,$window_y,$width" = "221,112,523" ] || fail "window at $window_x,$window_y, $width wide"

"$expected_frame" 1 50 >"$work/expected.pgm"
# The scroll bars take less than 25 pixels of the 505 by 497 area; the rest shows the picture.
visible=480x470
convert "$work/expected.pgm" -crop "$visible+0+0" +repage "$work/expected.png"
shoot() {
    import -window root -crop "$visible+$((client_x + 8))+$((client_y + 8))" +repage "$1"
}
differing() { compare -metric AE "$1" "$2" null: 2>&1 || true; }

shoot "$work/empty.png"
# Button1 sits at (8, 520), 89 by 25; the scroll area at (8, 8).
xdotool mousemove $((client_x + 8 + 44)) $((client_y + 520 + 12)) click 1
# Wait for the first frame; the next one comes 1.5 s after it, so this is the first.
for i in $(seq 60); do
    sleep 0.2
    shoot "$work/shown.png"
    [ "$(differing "$work/shown.png" "$work/empty.png")" = 0 ] || break
done
sleep 0.2
shoot "$work/shown.png"
count=$(differing "$work/shown.png" "$work/expected.png")
[ "$count" = 0 ] || fail "the first frame on screen differs from the core's in $count pixels"

exit_program
expect_clean_exit
echo "PASS"
