#!/usr/bin/env bash
# End-to-end checks of the mivoplayer program on real game folders.
set -u
player=$1
demo=$2
fail=0
check() { # name expected actual
    if [ "$2" != "$3" ]; then
        echo "FAIL $1"; echo "--- expected"; echo "$2"; echo "--- got"; echo "$3"; fail=1
    else
        echo "ok   $1"
    fi
}

here=$(dirname "$0")
want=$'Visits\t1\nclicks\t3\ni\t11\nmood\tfine!\nsquares[0]\t49\ntotal\t50'
got=$("$player" --headless --print-vars --input "$here/demo_clicks.txt" "$demo" 2>/dev/null)
check "demo runs to its end, ended by three left clicks" "$want" "$got"

got=$("$player" --headless --print-vars --frames 3 "$demo" 2>/dev/null | grep '^total')
check "--frames stops early" $'total\t0' "$got"

trace=$("$player" --headless --trace --frames 1 "$demo" 2>&1 >/dev/null | head -1)
check "trace line" "00000010 : start.zsb(1)" "$trace"

empty=$(mktemp -d)
"$player" --headless "$empty" > /dev/null 2> "$empty/err"; rc=$?
check "no project: exit 1" "1" "$rc"
grep -q "mivo.zpb:ファイルがありません" "$empty/err" || { echo "FAIL no project message"; cat "$empty/err"; fail=1; }
rm -rf "$empty"

"$player" --bogus > /dev/null 2>&1; rc=$?
check "bad usage: exit 2" "2" "$rc"

exit $fail
