#!/usr/bin/env bash
# The program starts every time under xvfb-run, the usual way to give a
# program a virtual display. Its X server resets when its last client leaves
# and refuses new clients while it resets, so a start-up that lets go of the
# display between two connections dies now and then. 30 starts: in each the
# program must reach its OpenGL context (the window being made), still run
# 0.3 s later, and have printed nothing.
# The start is watched through /proc, not through the display: another
# client would keep the server from resetting, or reset it on leaving.
# The program's status and output are kept apart from xvfb-run's own: under
# load xvfb-run now and then fails to remove its temporary directory after
# the program has ended, which says nothing about the program.
# Usage: test_starts.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2
starts=30

# Run inside xvfb-run: $1 the program, $2 its output, $3 the verdict,
# "running" or the status it ended with.
watch_start='
"$1" >"$2" 2>&1 &
p=$!
i=0
# libGLX_mesa is loaded once the display is open and the window gets its context.
while [ $i -lt 200 ] && kill -0 $p 2>/dev/null && ! grep -q libGLX_mesa /proc/$p/maps 2>/dev/null; do
    sleep 0.05; i=$((i + 1))
done
[ $i -lt 200 ] || { kill $p; wait $p; echo "no OpenGL context within 10 s" >"$3"; exit; }
sleep 0.3
if kill -0 $p 2>/dev/null; then
    kill $p; wait $p; echo running >"$3"
else
    wait $p; echo "ended with status $?" >"$3"
fi'

for i in $(seq "$starts"); do
    out="$e2e_shots/start-$i.out" verdict_file="$e2e_shots/start-$i.verdict"
    rm -f "$verdict_file"
    (cd "$dir" && exec xvfb-run -a -s "-screen 0 1366x768x24" \
        sh -c "$watch_start" sh "$binary" "$out" "$verdict_file") >"$out.xvfb-run" 2>&1
    if [ ! -s "$verdict_file" ]; then
        fail "start $i of $starts never ran the program: $(head -c 300 "$out.xvfb-run")"
        continue
    fi
    verdict=$(cat "$verdict_file")
    [ "$verdict" = running ] || fail "start $i of $starts: $verdict: $(head -c 300 "$out")"
    [ "$verdict" != running ] || [ ! -s "$out" ] || fail "start $i printed: $(head -c 300 "$out")"
done
finish
