#!/usr/bin/env bash
# velorin --record FILE: started elsewhere than its data files, it writes FILE
# where it was started, one row per refresh of the readouts, each row on disk
# at once (a kill loses none), and the last row before a pause holds what the
# screen shows.
# Usage: test_record.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2
start=$(mktemp -d)
trap 'e2e_cleanup; rm -rf "$start"' EXIT
record="$start/lecture.csv"

start_display 1920 1080
start_program "$binary" "$start" --record lecture.csv || finish
sleep 1 # on the start page, the gas running unseen
click_ref 723 32 # "Демонстрация"
# Ten rows, a second of readouts at the least, however slow the machine.
ten_rows() { [ "$(wc -l <"$record")" -gt 10 ]; }
wait_for 60 ten_rows || fail "fewer than ten rows after a minute"
click_ref 200 742 # "Пауза"
move "$(sx 1100)" "$(sy 900)"
# The pause has been handled once no row came for 1.5 s (a row comes every
# 0.1 s while running); then none may come for a second more.
settled() {
    rows=$(wc -l <"$record")
    screen=$(shot record-paused.png)
    sleep 1.5
    [ "$(wc -l <"$record")" = "$rows" ]
}
wait_for 20 settled || fail "rows are still recorded after Pause"
sleep 1
[ "$(wc -l <"$record")" = "$rows" ] || fail "rows were recorded while paused"
kill -KILL "$E2E_PROGRAM"
wait "$E2E_PROGRAM" 2>/dev/null

header=$(head -n 1 "$record")
[[ "$header" == time_s,law,count,width,temperature,mass,c,E,sigma,sigma_over_E,bin0,*,bin15 ]] ||
    fail "header: $header"
# The gas ran on the start page for over a second: nothing of it was shown, nor recorded.
awk -F, 'NR == 2 {exit !($1 >= 1.0)}' "$record" || fail "rows recorded before the readouts were shown"
awk -F, -v n="$(awk -F, '{print NF; exit}' "$record")" 'NF != n || (NR > 2 && $1 <= t) {bad = NR} {t = $1} END {exit bad}' \
    "$record" || fail "a row with the wrong number of fields or out of time order"
IFS=, read -r _ law count width temperature mass c mean sigma ratio _ < <(tail -n 1 "$record")
[ "$law,$count,$width,$temperature,$mass,$c" = zero,15,22,25,25,1 ] ||
    fail "start-up settings recorded as $law,$count,$width,$temperature,$mass,$c"

# The three readouts drawn from the recorded texts must be the screen's pixels.
drawn="$e2e_shots/record-drawn.png"
"$dir/tests/draw_readouts" 1920 1080 "$dir/fonts/ArialCyr.ttf" "$mean" "$sigma" "$ratio" "$drawn" ||
    fail "could not draw the readouts"
for band in "E 700 $mean" "sigma 805 $sigma" "sigma/E 910 $ratio"; do
    read -r name y text <<<"$band"
    crop="100x50+645+$((y - 5))"
    differ=$(compare -metric AE -fuzz 5% "$screen[$crop]" "$drawn[$crop]" null: 2>&1)
    [ "${differ%% *}" = 0 ] || fail "$name recorded as '$text', the screen shows otherwise ($differ pixels differ)"
done
finish
