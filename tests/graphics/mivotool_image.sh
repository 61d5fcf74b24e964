#!/bin/sh
# mivotool image: a PNG to a layered image and back keeps every pixel; a
# 24-bit screen leaves it alone and a reduced one gives the same PNG every
# time; bad input and bad usage give exit codes 1 and 2.
set -e
tool="$1"; golden="$2"; work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
"$tool" image tovkx "$golden/vusk_frame2.png" "$work/a.vkx" --key '#102030'
"$tool" image info "$work/a.vkx" | grep -q 'transparent pixel 0x102030'
"$tool" image topng "$work/a.vkx" "$work/a.png"
cmp "$work/a.png" "$golden/vusk_frame2.png"
"$tool" image tovkx "$golden/vusk_frame2.png" "$work/j.vkx" --jpeg
"$tool" image info "$work/j.vkx" | grep -q 'JPEG'
"$tool" image topng "$work/a.vkx" "$work/d24.png" --dither 24
cmp "$work/d24.png" "$golden/vusk_frame2.png"
"$tool" image topng "$work/a.vkx" "$work/d8.png" --dither 8
"$tool" image topng "$work/a.vkx" "$work/d8b.png" --dither 8
cmp "$work/d8.png" "$work/d8b.png"
"$tool" image topng "$work/a.vkx" "$work/d16.png" --dither 16
printf 'garbage' > "$work/bad.vkx"
set +e
"$tool" image topng "$work/bad.vkx" "$work/bad.png" 2>/dev/null; [ $? -eq 1 ] || exit 1
"$tool" image topng 2>/dev/null; [ $? -eq 2 ] || exit 1
"$tool" image topng "$work/a.vkx" "$work/x.png" --dither 12 2>/dev/null; [ $? -eq 2 ] || exit 1
exit 0
