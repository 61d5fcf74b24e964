#!/usr/bin/env bash
# Runs the demo game. The player has no window yet, so it runs headless and
# shows the interpreter's trace and the game's variables at the end.
set -euo pipefail
build=${1:-build}
demo="$build/games/demo"
echo "The window is not there yet: running the demo game headless, with its trace."
"$build/apps/mivoplayer" --headless --trace --print-vars "$demo"
