#!/usr/bin/env bash
# Runs the demo game in a window (headless, with its trace, when there is no
# display to open one on).
set -euo pipefail
build=${1:-build}
demo="$build/games/demo"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Running the demo game: three left clicks end it (or close the window)."
    exec "$build/apps/mivoplayer" "$demo"
fi
echo "No display: running the demo game headless, with its trace and three scripted clicks."
exec "$build/apps/mivoplayer" --headless --trace --print-vars --input tests/e2e/demo_clicks.txt "$demo"
