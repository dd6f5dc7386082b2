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
    --histogram "$dir/serial-hist.csv" --combined "$dir/serial-combined.csv" 2>"$dir/stderr" ||
    fail "serial run: status $?"
# Standard error holds one line per untrusted row, naming it with its swept
# value, one per value whose seeds disagree, and nothing else.
untrusted=$(awk -F, 'NR == 1 { for (i = 1; i <= NF; i++) if ($i == "quality") q = i; next }
    $q != "ok" { printf "run %s T%s ", $1, $6 }' "$dir/serial.csv")
named=$(sed -nE 's/^velorin-lab: (run [0-9]+) \(attraction, temperature ([0-9]+), seed [0-9]+\) is (short|drifting|frozen): .+$/\1 T\2 /p' \
    "$dir/stderr" | tr -d '\n')
disagree=$(grep -c ',no$' "$dir/serial-combined.csv")
[ -n "$untrusted" ] || fail "20-second attraction runs all marked ok"
[ "$named" = "$untrusted" ] || fail "standard error names '$named', the table '$untrusted'"
[ "$(grep -c 'disagree beyond their errors' "$dir/stderr")" -eq "$disagree" ] ||
    fail "standard error and --combined differ on which seeds disagree"
[ "$(wc -l <"$dir/stderr")" -eq $(($(wc -w <<<"$untrusted") / 3 + disagree)) ] ||
    fail "more than quality and agreement lines on standard error"
[ "$(wc -l <"$dir/serial.csv")" -eq 17 ] || fail "expected a header and 16 rows in serial.csv"
# One combined row per temperature: the mean of its two seeds' rows weighted
# by 1 / se^2, as a reader would work it out from --out.
paste -d, <(awk -F, 'NR > 1 && NR % 2 == 0 { a = $18; ea = $19 } NR > 1 && NR % 2 == 1 {
    w1 = 1 / ea^2; w2 = 1 / $19^2; printf "%s,%.4g\n", $6, (w1 * a + w2 * $18) / (w1 + w2) }' "$dir/serial.csv") \
    <(awk -F, 'NR > 1 { printf "%s,%.4g,%s\n", $5, $20, $11 }' "$dir/serial-combined.csv") |
    awk -F, '$1 != $3 || $2 != $4 || $5 != 2 { bad = 1 } END { exit bad || NR != 8 }' ||
    fail "--combined rows are not the seeds' weighted means of sigma / E"
# In parallel, the table on standard output: the same bytes as the serial --out.
"$lab" "${quick[@]}" --jobs 3 --series "$dir/parallel-series.csv" --histogram "$dir/parallel-hist.csv" \
    --combined "$dir/parallel-combined.csv" 2>/dev/null >"$dir/parallel.csv" ||
    fail "parallel run to standard output: status $?"
for f in "" -series -hist -combined; do
    cmp -s "$dir/serial$f.csv" "$dir/parallel$f.csv" || fail "serial$f.csv and parallel$f.csv differ"
done

# A file that cannot be written: status 1 before any run, nothing left behind.
mkdir "$dir/locked" && chmod 555 "$dir/locked"
if [ "$(id -u)" -ne 0 ]; then
    "$lab" --seconds 1 --out "$dir/locked/out.csv" 2>"$dir/stderr"
    status=$?
    [ $status -eq 1 ] || fail "unwritable --out: status $status, expected 1"
    grep -q "locked/out.csv" "$dir/stderr" || fail "unwritable --out: message does not name the file"
fi
"$lab" --seconds 1 --series "$dir/no/such/dir/series.csv" 2>/dev/null >"$dir/stdout"
[ $? -eq 1 ] || fail "--series into a missing folder: expected status 1"
[ -s "$dir/stdout" ] && fail "--series into a missing folder: a table began on standard output"
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

# Every kind of output target, in a scratch folder of its own. A device node
# is a copy made with mknod (root only); the real ones under /dev are never
# named. setup | arguments | status | what must hold afterwards
short=(--seconds 2 --warmup 0 --sweep c=1:5:2)
"$lab" "${short[@]}" --out "$dir/ref.csv" || fail "reference run: status $?"
root=false
[ "$(id -u)" -eq 0 ] && root=true
while IFS='|' read -r setup args status check; do
    rm -rf "$dir/case" && mkdir "$dir/case" && cd "$dir/case" || exit 1
    eval "$setup" || continue
    "$lab" "${short[@]}" $args >stdout 2>stderr
    got=$?
    wait # for a FIFO's reader
    [ "$got" = "$status" ] || fail "$args: status $got, expected $status: $(cat stderr)"
    eval "$check" || fail "$args: not [ $check ]: $(cat stderr)"
    [ -z "$(find . -name '.*.??????')" ] || fail "$args: temporary files left: $(find . -name '.*.??????')"
    cd "$dir" || exit 1
done <<'EOF'
mkfifo fifo && (timeout 60 cat fifo >got &)|--out fifo|0|[ -p fifo ] && cmp -s got ../ref.csv
$root && mknod null c 1 3|--out null --series null2.csv|0|[ -c null ] && [ -s null2.csv ]
$root && mknod full c 1 7|--out full|1|[ -c full ] && grep -q 'full: cannot write: No space left' stderr
python3 -c 'import socket; socket.socket(socket.AF_UNIX).bind("sock")'|--out sock|1|[ -S sock ]
echo old >real.csv && ln -s real.csv link.csv|--out link.csv|0|[ -L link.csv ] && cmp -s real.csv ../ref.csv
mkdir d && ln -s d/new.csv dangling.csv|--out dangling.csv|0|[ -L dangling.csv ] && cmp -s d/new.csv ../ref.csv
echo old >m.csv && chmod 0640 m.csv|--out m.csv|0|[ "$(stat -c %a m.csv)" = 640 ] && cmp -s m.csv ../ref.csv
echo old >ro.csv && chmod 0444 ro.csv|--out ro.csv|0|[ "$(stat -c %a ro.csv)" = 444 ] && cmp -s ro.csv ../ref.csv
true|--out a.csv --series ./a.csv|2|[ ! -e a.csv ] && grep -q 'names the same file as --out a.csv' stderr
echo old >b.csv && ln -s b.csv c.csv|--series b.csv --histogram ../case/c.csv|2|[ "$(cat b.csv)" = old ]
mkdir d && ln -s d e|--out d/n.csv --histogram e/n.csv|2|[ ! -e d/n.csv ]
true|--series stdout|2|grep -q 'same file as the standard output' stderr
true||0|cmp -s stdout ../ref.csv
EOF

# Shards: every third run from run K on; their rows, merged in run order
# under one header, are the whole sweep's, byte for byte.
sharded=(--seconds 2 --warmup 0 --sweep c=1:5:1 --repeat 2)
"$lab" "${sharded[@]}" --out "$dir/whole.csv" --series "$dir/whole-series.csv" || fail "whole sweep: status $?"
for k in 0 1 2; do
    "$lab" "${sharded[@]}" --shard $k/3 --out "$dir/part$k.csv" --series "$dir/part$k-series.csv" ||
        fail "shard $k/3: status $?"
done
for f in "" -series; do
    { head -n 1 "$dir/part0$f.csv" && tail -q -n +2 "$dir"/part?$f.csv | sort -s -t, -k1,1n; } >"$dir/merged$f.csv"
    cmp -s "$dir/merged$f.csv" "$dir/whole$f.csv" || fail "shards$f merged differ from the whole sweep"
done
[ "$("$lab" "${sharded[@]}" --shard 10/11 | wc -l)" -eq 1 ] || fail "a shard past the last run: not the header alone"

[ $failures -eq 0 ] && echo "all velorin-lab checks passed"
exit $((failures > 0))
