#!/bin/sh
# run_game.sh VOBETOOL VOBEPLAYER GAME WORK
#
# Plays one end-to-end game and compares what it left with what the rules say it must leave. GAME is a
# folder of tests/games:
#   src/            game source, compiled with `vobetool build`
#   bytes/*.bytes   files written byte by byte (bytes.pl), copied into the game under their name
#   run.args        the player's options for this game (`--frames N`, ...); lines starting with # are
#                   comments
#   input.txt       scripted input (--input), when present
#   vars.txt        the expected --dump-vars listing, when present
#   trace.txt       the expected --trace lines, when present
#   screenshot.png  the expected --screenshot, compared pixel by pixel, when present
# The player always runs headless, without the logo, at a fixed 16 ms per frame; it must exit with 0.
set -u
tool=$1 player=$2 game=$3 work=$4
here=$(dirname "$0")
rm -rf "$work" && mkdir -p "$work/game" || exit 1

if [ -d "$game/src" ]; then
    "$tool" build "$game/src" "$work/game" || { echo "FAIL: vobetool build"; exit 1; }
fi
for f in "$game"/bytes/*.bytes; do
    [ -e "$f" ] || continue
    perl "$here/bytes.pl" "$f" > "$work/game/$(basename "$f" .bytes)" || { echo "FAIL: $f"; exit 1; }
done

set -- --headless --skip-logo --fixed-delta 16 --dump-vars "$work/vars.txt" --trace "$work/trace.txt"
[ -f "$game/input.txt" ] && set -- "$@" --input "$game/input.txt"
[ -f "$game/screenshot.png" ] && set -- "$@" --screenshot "$work/screenshot.png"
# shellcheck disable=SC2046 # the options are words
"$player" "$@" $(grep -v '^#' "$game/run.args") "$work/game" 2>"$work/stderr"
status=$?
fail=0
if [ "$status" -ne 0 ]; then
    echo "FAIL: vobeplayer exited with $status"
    cat "$work/stderr"
    fail=1
fi
for f in vars.txt trace.txt; do
    [ -f "$game/$f" ] || continue
    if diff -u "$game/$f" "$work/$f"; then echo "ok: $f"; else echo "FAIL: $f differs"; fail=1; fi
done
if [ -f "$game/screenshot.png" ]; then
    if command -v compare >/dev/null 2>&1; then
        diff=$(compare -metric AE "$game/screenshot.png" "$work/screenshot.png" null: 2>&1)
    elif cmp -s "$game/screenshot.png" "$work/screenshot.png"; then
        diff=0
    else
        diff="different files"
    fi
    if [ "$diff" = "0" ]; then echo "ok: screenshot.png"; else echo "FAIL: screenshot.png: $diff pixels differ"; fail=1; fi
fi
exit $fail
