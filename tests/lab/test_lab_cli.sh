#!/usr/bin/env bash
# velorin-lab as a user runs it: the same output for the same arguments, the
# same for any number of parallel runs, files written whole or not at all,
# status 1 for a file that cannot be written, no progress on standard error
# when it is not a terminal.
set -u
lab=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

quick=(--seconds 20 --warmup 2 --law attraction --sweep temperature=1:50:7 --repeat 2)

"$lab" "${quick[@]}" --jobs 1 --out "$dir/serial.csv" --series "$dir/serial-series.csv" \
    --histogram "$dir/serial-hist.csv" 2>"$dir/stderr" || fail "serial run: status $?"
# Standard error holds one line per untrusted row, naming it, and nothing else.
untrusted=$(awk -F, 'NR == 1 { for (i = 1; i <= NF; i++) if ($i == "quality") q = i; next }
    $q != "ok" { printf "run %s ", $1 }' "$dir/serial.csv")
named=$(sed -nE 's/^velorin-lab: (run [0-9]+) \(attraction, seed [0-9]+\) is (short|drifting|frozen): .+$/\1 /p' \
    "$dir/stderr" | tr -d '\n')
[ -n "$untrusted" ] || fail "20-second attraction runs all marked ok"
[ "$named" = "$untrusted" ] || fail "standard error names '$named', the table '$untrusted'"
[ "$(wc -l <"$dir/stderr")" -eq $(($(wc -w <<<"$untrusted") / 2)) ] || fail "more than quality lines on standard error"
[ "$(wc -l <"$dir/serial.csv")" -eq 17 ] || fail "expected a header and 16 rows in serial.csv"
"$lab" "${quick[@]}" --jobs 3 --out "$dir/parallel.csv" --series "$dir/parallel-series.csv" \
    --histogram "$dir/parallel-hist.csv" || fail "parallel run: status $?"
for f in "" -series -hist; do
    cmp -s "$dir/serial$f.csv" "$dir/parallel$f.csv" || fail "serial$f.csv and parallel$f.csv differ"
done
"$lab" "${quick[@]}" >"$dir/stdout.csv" || fail "run to standard output: status $?"
cmp -s "$dir/serial.csv" "$dir/stdout.csv" || fail "standard output differs from --out"

# A file that cannot be written: status 1 before any run, nothing left behind.
mkdir "$dir/locked" && chmod 555 "$dir/locked"
if [ "$(id -u)" -ne 0 ]; then
    "$lab" --seconds 1 --out "$dir/locked/out.csv" 2>"$dir/stderr"
    status=$?
    [ $status -eq 1 ] || fail "unwritable --out: status $status, expected 1"
    grep -q "locked/out.csv" "$dir/stderr" || fail "unwritable --out: message does not name the file"
fi
"$lab" --seconds 1 --series "$dir/no/such/dir/series.csv" 2>/dev/null
[ $? -eq 1 ] || fail "--series into a missing folder: expected status 1"
# A target that is a folder: the rename fails at the end, the temporary goes.
mkdir "$dir/taken.csv"
"$lab" --seconds 1 --out "$dir/taken.csv" 2>/dev/null
[ $? -eq 1 ] || fail "--out onto a folder: expected status 1"

# Interrupted: no output file, no temporary file, an old file left as it was.
echo old >"$dir/kept.csv"
"$lab" --seconds 1000000 --repeat 4 --out "$dir/kept.csv" --series "$dir/cut.csv" 2>/dev/null &
pid=$!
sleep 1
kill -INT $pid
wait $pid
status=$?
[ $status -eq 130 ] || fail "interrupted run: status $status, expected 130"
[ "$(cat "$dir/kept.csv")" = old ] || fail "interrupted run changed the existing output file"
[ -e "$dir/cut.csv" ] && fail "interrupted run left a series file"
leftovers=$(find "$dir" -maxdepth 1 -name '.*.csv.*')
[ -z "$leftovers" ] || fail "temporary files left: $leftovers"

[ $failures -eq 0 ] && echo "all velorin-lab checks passed"
exit $((failures > 0))
