#!/bin/sh
# run.sh VOBETOOL VOBEPLAYER SRC WORK
set -u
tool=$1 player=$2 src=$3 work=$4
fail=0
check() { # check WHAT EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then echo "FAIL: $1: expected $2, got $3"; fail=1; else echo "ok: $1"; fi
}
rm -rf "$work" && mkdir -p "$work"
"$tool" build "$src" "$work/game" || { echo "FAIL: build"; exit 1; }
play() { # play FOLDER: status in $status, stderr in $work/err
    "$player" --headless --skip-logo --fixed-delta 16 --frames 3 --dump-vars "$work/vars" "$1" 2>"$work/err"
    status=$?
}

play "$work/game"
check "compiled game starts and closes" 0 "$status"
check "declared variables are in the store" "player	str	名無し
ratio	float	0.5
score	int	42
seen	bool	TRUE" "$(cat "$work/vars")"

mkdir -p "$work/nothing"
play "$work/nothing"
check "folder without a game" 2 "$status"

cp -r "$work/game" "$work/empty" && rm "$work/empty/game.dat" && : > "$work/empty/vobe.vpb"
play "$work/empty"
check "empty project" 2 "$status"
check "empty project box" 1 "$(grep -c 'プロジェクトがありません' "$work/err")"

cp -r "$work/game" "$work/cut" && rm "$work/cut/game.dat" && head -c 40 "$work/game/vobe.vpb" > "$work/cut/vobe.vpb"
play "$work/cut"
check "truncated project" 2 "$status"

cp -r "$work/game" "$work/nostart" && rm "$work/nostart/game.dat" "$work/nostart/main.vsb"
play "$work/nostart"
check "missing start page" 2 "$status"
check "missing start page box" 1 "$(grep -c 'スタートページがありません' "$work/err")"

# The listing of a page inside the archive.
check "page dump from game.dat" "2	0	-c	3	TComJump	page=\"main.vsb\"	target=0	cond={ocTo ____arg bool:TRUE}" \
    "$("$tool" page dump "$work/game/game.dat" MAIN.VSB | tail -n 1)"

# The archive alone carries the game too.
mkdir -p "$work/packed" && cp "$work/game/game.dat" "$work/packed/"
play "$work/packed"
check "game.dat alone" 0 "$status"

exit $fail
