#!/usr/bin/env bash
# The committed PNG icons are the SVG drawn at their sizes: redrawing each with rsvg-convert
# gives the same picture, so the SVG cannot change without them (scripts/icons redraws them).
set -euo pipefail
icons=$(cd "$(dirname "$0")/../../app/data/icons/hicolor" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
for size in 16 32 48 64 128 256; do
    png=$icons/${size}x$size/apps/ondoria.png
    rsvg-convert -w "$size" -h "$size" "$icons/scalable/apps/ondoria.svg" -o "$work/$size.png"
    # A little fuzz absorbs a different librsvg's antialiasing, not a changed drawing.
    if ! differing=$(compare -metric AE -fuzz 3% "$png" "$work/$size.png" null: 2>&1) ||
        [ "$differing" != 0 ]; then
        echo "FAIL: the ${size} px icon differs from the SVG in $differing pixels" >&2
        status=1
    fi
done
[ $status -eq 0 ] && echo PASS
exit $status
