#!/usr/bin/env bash
# The player in a real window on a virtual X display: it opens, runs the demo
# and its window shows exactly the picture the headless player computes.
set -u
player=$1
demo=$2
if ! command -v Xvfb > /dev/null; then
    echo "Xvfb is not installed (scripts/deps.sh installs it)"; exit 1
fi
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
# A free display number.
for n in $(seq 90 140); do [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break; done
Xvfb :$n -screen 0 1024x768x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
export DISPLAY=:$n

fail=0
DISPLAY=:$n timeout 60 "$player" --frames 60 --screenshot "$work/window.png" --print-vars "$demo" > "$work/vars" 2> "$work/err"
rc=$?
if [ $rc -ne 0 ]; then echo "FAIL the window run ended with $rc"; cat "$work/err"; fail=1; fi
"$player" --headless --frames 60 --screenshot "$work/headless.png" "$demo" > /dev/null 2>&1
if cmp -s "$work/window.png" "$work/headless.png"; then
    echo "ok   the window shows the headless picture"
else
    echo "FAIL the window's picture differs from the headless one"; fail=1
fi
grep -q $'^total\t50$' "$work/vars" && echo "ok   the scenario ran in the window" || { echo "FAIL vars"; cat "$work/vars"; fail=1; }
exit $fail
