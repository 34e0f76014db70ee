#!/usr/bin/env bash
# Makes the .deb from a built tree and checks it as a distribution would: lintian, the desktop
# entry and the AppStream metainfo validators, what it holds and what it depends on. Then it
# unpacks it and starts the unpacked program under a real X server with a window manager: the
# window carries the program's icon with no theme installed, and closing the main window through
# the window manager ends the program, although the New canvas dialog is still shown.
#   deb_test.sh BUILD_DIR
set -euo pipefail
build=$1
source "$(dirname "$0")/xvfb.sh"

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log") ||
    fail "cpack: $(cat "$work/cpack.log")"
deb=$(ls "$work"/package/*.deb)

depends=$(dpkg-deb -f "$deb" Depends)
# The forms are drawn in Liberation Sans; without it the labels are cramped.
for package in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6 qt6-qpa-plugins \
    fonts-liberation2; do
    [[ $depends == *"$package"* ]] || fail "Depends lacks $package: $depends"
done

# Errors and warnings fail; as root lintian adds a notice about that, which does not.
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
    fail "lintian: $(cat "$work/lintian.log")"

dpkg-deb -x "$deb" "$work/root"
share=$work/root/usr/share
metainfo=$share/metainfo/org.example.ondoria.metainfo.xml
for file in usr/bin/ondoria usr/share/applications/ondoria.desktop \
    usr/share/icons/hicolor/scalable/apps/ondoria.svg usr/share/man/man1/ondoria.1.gz \
    usr/share/doc/ondoria/copyright usr/share/doc/ondoria/changelog.gz \
    "${metainfo#"$work/root/"}"; do
    [ -f "$work/root/$file" ] || fail "the package lacks /$file"
done
grep -qx 'Exec=ondoria' "$share/applications/ondoria.desktop" ||
    fail "the desktop entry does not start ondoria"

# Hints count too: they are what software centres and menus trip over.
remarks=$(desktop-file-validate "$share/applications/ondoria.desktop" 2>&1) ||
    fail "desktop-file-validate: $remarks"
[ -z "$remarks" ] || fail "desktop-file-validate: $remarks"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    fail "appstreamcli: $(cat "$work/appstream.log")"

# The changelog's latest entry is this package's version, and the metainfo lists it as a release.
version=$(dpkg-deb -f "$deb" Version)
changelog_version=$(zcat "$share/doc/ondoria/changelog.gz" | sed -n '1s/^ondoria (\([^)]*\)).*/\1/p')
[ "$changelog_version" = "$version" ] ||
    fail "the changelog's latest entry is '$changelog_version', the package $version"
grep -q "<release version=\"$version\"" "$metainfo" ||
    fail "the metainfo lists no release $version"

# Every size is drawn for itself, and each file is the size its folder says.
for size in 16 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x$size/apps/ondoria.png
    [ -f "$png" ] || fail "the package lacks the ${size} px icon"
    actual=$(identify -format '%m %wx%h' "$png")
    [ "$actual" = "PNG ${size}x$size" ] || fail "the ${size} px icon is $actual"
done

# The manual page renders without a complaint from man and groff and names the program.
page=$(MANWIDTH=80 man --warnings -l "$share/man/man1/ondoria.1.gz" 2>"$work/man.err") ||
    fail "man: $(cat "$work/man.err")"
[ ! -s "$work/man.err" ] || fail "man: $(cat "$work/man.err")"
for section in NAME SYNOPSIS DESCRIPTION 'EXIT STATUS'; do
    grep -qx "$section" <<<"$page" || fail "the manual page has no $section section"
done

start_xvfb
start_window_manager
start_program "$work/root/usr/bin/ondoria"
# The window carries the icon drawn for 16 px, from the program itself, as nothing of the
# package is installed (a theme's stand-in icon would not match it).
xprop -id "$app_window" -notype -f _NET_WM_ICON 32c _NET_WM_ICON | sed 's/^[^=]*= //' |
    tr -d ' ' | tr , '\n' | awk '
        # Blocks of width, height and width x height pixels as ARGB: keep the 16 x 16 one.
        left == 0 { width = $1; getline; left = width * $1; keep = width == 16 && $1 == 16; next }
        { left--; if (keep) print }' >"$work/window-icon"
convert "$share/icons/hicolor/16x16/apps/ondoria.png" -depth 8 rgba:- | od -An -v -tu1 -w4 |
    awk '{ printf "%.0f\n", $4 * 16777216 + $1 * 65536 + $2 * 256 + $3 }' >"$work/file-icon"
# Qt premultiplies the colours, so only where a pixel is opaque must they match to the bit.
paste "$work/window-icon" "$work/file-icon" | awk '
    { window_alpha = int($1 / 16777216); file_alpha = int($2 / 16777216) }
    window_alpha != file_alpha || (file_alpha == 255 && $1 != $2) { wrong++ }
    END { exit !(NR == 256 && wrong == 0) }' ||
    fail "the window does not carry the 16 px icon ($(wc -l <"$work/window-icon") pixels of it)"
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
