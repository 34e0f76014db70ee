#!/usr/bin/env bash
# A bad wavelength under a real X server: one error box, however many ticks fail, and the
# keyboard stays in the wavelength field, so typing a good number there brings the picture.
#   error_box_test.sh PROGRAM
set -euo pipefail
program=$1
source "$(dirname "$0")/xvfb.sh"

start_xvfb
# Without a window manager nothing would give the box the focus in the first place.
start_window_manager
start_program "$program"
find_client_area

windows_titled_ondoria() { xdotool search --onlyvisible --name '^Ondoria$' | wc -l; }
# The top-left corner of the picture, clear of the error box in the middle of the window.
shoot() { import -window root -crop "120x120+$((client_x + 8))+$((client_y + 8))" +repage "$1"; }
shoot "$work/empty.png"

# Start (8, 520), then a bad text in the wavelength field (168, 520).
xdotool mousemove $((client_x + 50)) $((client_y + 532)) click 1
xdotool mousemove $((client_x + 188)) $((client_y + 530)) click 1
xdotool key ctrl+a type x
for i in $(seq 50); do
    [ "$(windows_titled_ondoria)" -ge 2 ] && break
    sleep 0.2
done
[ "$(windows_titled_ondoria)" -eq 2 ] || fail "no error box appeared"
[ "$(xdotool getwindowfocus)" = "$app_window" ] || fail "the error box took the keyboard"

# Two more failing ticks: still the one box.
sleep 3.2
[ "$(windows_titled_ondoria)" -eq 2 ] || fail "$(windows_titled_ondoria) windows after three errors"

xdotool key ctrl+a type 50
framed=no
for i in $(seq 50); do
    sleep 0.2
    shoot "$work/shown.png"
    if [ "$(compare -metric AE "$work/shown.png" "$work/empty.png" null: 2>&1 || true)" != 0 ]; then
        framed=yes
        break
    fi
done
[ $framed = yes ] || fail "no frame after typing a good wavelength: the keys went elsewhere"

exit_program
expect_clean_exit
echo "PASS"
