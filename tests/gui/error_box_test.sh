#!/usr/bin/env bash
# Bad wavelengths under a real X server and window manager: one error box, however many ticks
# fail, which leaves the keyboard in the wavelength field. Pasted markup and very long texts
# give the same one box, on the screen, and the window keeps ticking; a pasted line with its
# line break is read, the box goes away and the picture is the frame of that wavelength.
#   error_box_test.sh PROGRAM EXPECTED_FRAME_TOOL
set -euo pipefail
program=$(realpath "$1")
expected_frame=$(realpath "$2")
source "$(dirname "$0")/xvfb.sh"

start_xvfb
# Without a window manager nothing would give the box the focus in the first place.
start_window_manager
# Markup that names a file names one here: a FIFO, which would block whoever opened it.
cd "$work"
mkfifo "$work/f"
start_program "$program"
find_client_area

windows_titled_ondoria() { xdotool search --onlyvisible --name '^Ondoria$' | wc -l; }
error_box() { xdotool search --onlyvisible --name '^Ondoria$' | grep -vx "$app_window"; }
# A part of the client area, given in the form's pixels.
shoot() { import -window root -crop "$1x$2+$((client_x + $3))+$((client_y + $4))" +repage "$5"; }
differing() { compare -metric AE "$1" "$2" null: 2>&1 || true; }
# Waits until the phase read-out has changed the given number of times.
wait_for_ticks() {
    local count=0 i
    shoot 200 17 264 520 "$work/phase.png"
    for i in $(seq 40); do
        sleep 0.1
        shoot 200 17 264 520 "$work/phase_now.png"
        if [ "$(differing "$work/phase.png" "$work/phase_now.png")" != 0 ]; then
            count=$((count + 1))
            [ "$count" -ge "$1" ] && return 0
            mv "$work/phase_now.png" "$work/phase.png"
        fi
    done
    fail "the window stopped ticking ($2)"
}
# Fails unless exactly one error box is shown, on the screen, with the keyboard left in the
# main window.
expect_one_box() {
    [ "$(windows_titled_ondoria)" -eq 2 ] || fail "$(($(windows_titled_ondoria) - 1)) error boxes ($1)"
    expect_on_screen "$(error_box)" "the error box ($1)"
    [ "$(xdotool getwindowfocus)" = "$app_window" ] || fail "the error box took the keyboard ($1)"
}

# Start (8, 520), then a bad text typed into the wavelength field (168, 520).
click_at 50 532
started=$(date +%s.%N)
click_at 188 530
xdotool key ctrl+a type x
for i in $(seq 50); do
    [ "$(windows_titled_ondoria)" -ge 2 ] && break
    sleep 0.2
done
expect_one_box "typed x"
# Two more failing ticks: still the one box.
wait_for_ticks 2 "typed x"
expect_one_box "three ticks after x"

# Texts pasted through the X clipboard into the field, as a user would.
paste() {
    printf "%s" "$1" | xclip -selection clipboard 2>/dev/null
    xdotool key ctrl+a ctrl+v
}
texts=('<b>x</b>' '<img src="f">' "$(printf 'x%.0s' {1..10000})" "$(printf 'abc %.0s' {1..12000})")
names=(bold "image from a FIFO" "10,000 characters" "12,000 words")
for i in "${!texts[@]}"; do
    paste "${texts[$i]}"
    # The paste takes milliseconds: the tick after this pause reads the pasted text.
    sleep 0.2
    wait_for_ticks 1 "${names[$i]}"
    expect_one_box "${names[$i]}"
done

shoot 120 120 8 8 "$work/before.png"
paste $'75\n'
for i in $(seq 40); do
    [ "$(windows_titled_ondoria)" -eq 1 ] && break
    sleep 0.1
done
[ "$(windows_titled_ondoria)" -eq 1 ] || fail "the box stays after a pasted \"75\\n\""
# Stop (8, 520), and compare the frame shown with the core's for the ticks run so far.
click_at 50 532
stopped=$(date +%s.%N)
sleep 0.3
shoot 120 120 8 8 "$work/shown.png"
[ "$(differing "$work/shown.png" "$work/before.png")" != 0 ] || fail "no frame for \"75\\n\""
ticks=$(awk -v a="$started" -v b="$stopped" 'BEGIN { printf "%d", (b - a) / 1.5 }')
matched=no
for n in $((ticks - 1)) $ticks $((ticks + 1)); do
    "$expected_frame" "$n" 75 | convert - -crop 120x120+0+0 +repage "$work/expected.png"
    if [ "$(differing "$work/shown.png" "$work/expected.png")" = 0 ]; then
        matched=yes
        break
    fi
done
[ $matched = yes ] || fail "the picture is not the frame of wavelength 75 after about $ticks ticks"

exit_program
expect_clean_exit
echo "PASS"
