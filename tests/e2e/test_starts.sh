#!/usr/bin/env bash
# The program starts every time under xvfb-run, the usual way to give a
# program a virtual display. Its X server resets when its last client leaves
# and refuses new clients while it resets, so a start-up that lets go of the
# display between two connections dies now and then. 30 starts: each must
# still run when `timeout` stops it (status 124) and have printed nothing.
# The program's status and output are kept apart from xvfb-run's own: under
# load xvfb-run now and then fails to remove its temporary directory after
# the program has ended, which says nothing about the program.
# Usage: test_starts.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2
starts=30
seconds=2 # the start-up takes well under a second; any failure comes in it

for i in $(seq "$starts"); do
    out="$e2e_shots/start-$i.out" status_file="$e2e_shots/start-$i.status"
    rm -f "$status_file"
    (cd "$dir" && exec xvfb-run -a -s "-screen 0 1366x768x24" \
        sh -c 'timeout "$1" "$2" >"$3" 2>&1; echo $? >"$4"' sh \
        "$seconds" "$binary" "$out" "$status_file") >"$out.xvfb-run" 2>&1
    if [ ! -s "$status_file" ]; then
        fail "start $i of $starts never ran the program: $(head -c 300 "$out.xvfb-run")"
        continue
    fi
    status=$(cat "$status_file")
    [ "$status" = 124 ] || fail "start $i of $starts ended with status $status: $(head -c 300 "$out")"
    [ "$status" != 124 ] || [ ! -s "$out" ] || fail "start $i printed: $(head -c 300 "$out")"
done
finish
