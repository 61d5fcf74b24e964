#!/bin/sh
# mivotool image: a PNG to a layered image and back keeps every pixel; bad
# input and bad usage give exit codes 1 and 2.
set -e
tool="$1"; golden="$2"; work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
"$tool" image tovkx "$golden/vusk_frame2.png" "$work/a.vkx" --key '#102030'
"$tool" image info "$work/a.vkx" | grep -q 'transparent pixel 0x102030'
"$tool" image topng "$work/a.vkx" "$work/a.png"
cmp "$work/a.png" "$golden/vusk_frame2.png"
"$tool" image tovkx "$golden/vusk_frame2.png" "$work/j.vkx" --jpeg
"$tool" image info "$work/j.vkx" | grep -q 'JPEG'
printf 'garbage' > "$work/bad.vkx"
set +e
"$tool" image topng "$work/bad.vkx" "$work/bad.png" 2>/dev/null; [ $? -eq 1 ] || exit 1
"$tool" image topng 2>/dev/null; [ $? -eq 2 ] || exit 1
exit 0
