#!/bin/sh
# run.sh VOBETOOL VOBEPLAYER SRC WORK: the deterministic harness of the command line.
set -u
tool=$1 player=$2 src=$3 work=$4
fail=0
check() { # check WHAT EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then echo "FAIL: $1: expected $2, got $3"; fail=1; else echo "ok: $1"; fi
}
rm -rf "$work" && mkdir -p "$work"
"$tool" build "$src" "$work/game" || { echo "FAIL: build"; exit 1; }
png() { # png FILE: width, height, bit depth and colour type from the PNG header
    od -An -tu1 -j16 -N10 "$1" | awk '{print $3*256+$4 "x" $7*256+$8 " depth " $9 " type " $10}'
}
run() { # run ARGS...: status in $status, stderr in $work/err
    "$player" --headless --skip-logo --fixed-delta 16 "$@" 2>"$work/err"
    status=$?
}

printf '# scripted input\n1 move 10 10\n2 click 20 30\n3 key 13\n4 wheel down\n' > "$work/input.txt"
run --frames 5 --input "$work/input.txt" --screenshot "$work/shot.png" --trace "$work/trace.txt" \
    --dump-vars "$work/vars.txt" --save-dir "$work" "$work/game"
check "a full harness run" 0 "$status"
check "screenshot: the game screen as a 24-bit PNG" "160x120 depth 8 type 2" "$(png "$work/shot.png")"
check "trace file opened" yes "$([ -f "$work/trace.txt" ] && echo yes)"
check "variables dumped" "count	int	7" "$(cat "$work/vars.txt")"

run --frames 2 --depth 15 --screenshot "$work/shot15.png" "$work/game"
check "15-bit screen, still a 24-bit PNG" "160x120 depth 8 type 2" "$(png "$work/shot15.png")"

run --frames 0 "$work/game"
check "--frames 0 closes at once" 0 "$status"

printf '1 jump 3\n' > "$work/bad.txt"
run --frames 1 --input "$work/bad.txt" "$work/game"
check "malformed input is a usage error" 1 "$status"
check "the message names the line" 1 "$(grep -c 'input line 1' "$work/err")"

run --frames 1 --save-dir "$work/no/such/dir" "$work/game"
check "missing save folder is a usage error" 1 "$status"

run --frames 1 --screenshot "$work/no/such/dir/shot.png" "$work/game"
check "unwritable screenshot is reported" 1 "$status"

# The same game twice at once: the second ends silently while the first runs.
"$player" --headless --skip-logo "$work/game" 2>/dev/null &
first=$!
sleep 1
run --frames 1 --dump-vars "$work/vars2.txt" "$work/game"
kill "$first" 2>/dev/null
wait "$first" 2>/dev/null
# Had it started, it would have listed the variables.
check "second instance ends silently" "0::" "$status:$(cat "$work/err"):$(cat "$work/vars2.txt")"
run --frames 1 --dump-vars "$work/vars2.txt" "$work/game"
check "and starts once the first has gone" "count	int	7" "$(cat "$work/vars2.txt")"

exit $fail
