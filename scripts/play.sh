#!/usr/bin/env bash
# Runs the demo game. Until the player can show a game, this lists the demo
# game's archive with mivotool.
set -euo pipefail
build=${1:-build}
demo="$build/games/demo"
echo "The player cannot show a game yet; listing the demo game's archive instead:"
"$build/apps/mivotool" ls "$demo/game.dat"
