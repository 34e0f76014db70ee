#!/usr/bin/env bash
# Makes the .deb from a built tree, checks what it holds and what it depends on, unpacks it and
# starts the unpacked program under a real X server with a window manager; closing its main
# window through the window manager ends it, although the New canvas dialog is still shown.
#   deb_test.sh BUILD_DIR
set -euo pipefail
build=$1
source "$(dirname "$0")/xvfb.sh"

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log") ||
    fail "cpack: $(cat "$work/cpack.log")"
deb=$(ls "$work"/package/*.deb)

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6 qt6-qpa-plugins; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/ondoria usr/share/applications/ondoria.desktop \
    usr/share/icons/hicolor/scalable/apps/ondoria.svg; do
    [ -f "$work/root/$file" ] || fail "the package lacks /$file"
done
grep -qx 'Exec=ondoria' "$work/root/usr/share/applications/ondoria.desktop" ||
    fail "the desktop entry does not start ondoria"

start_xvfb
start_window_manager
start_program "$work/root/usr/bin/ondoria"
choose_from_file_menu n
timeout 10 xdotool search --sync --onlyvisible --name '^New canvas$' >/dev/null ||
    fail "File > New... showed no dialog"
# Back to the main window (an empty spot of the picture area), and the manager's Alt+F4.
xdotool mousemove $((client_x + 100)) $((client_y + 100)) click 1
sleep 0.2
xdotool key alt+F4
wait_for_program_end "closing the main window"
[ "$app_status" -eq 0 ] || fail "exit status $app_status"
echo "PASS"
