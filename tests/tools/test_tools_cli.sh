#!/usr/bin/env bash
# The measuring tools' usage errors end with the message and status 2 before
# any window opens (no display here); --help answers on standard output.
# Usage: test_tools_cli.sh BUILD_DIR
set -u
dir=$1
unset DISPLAY WAYLAND_DISPLAY
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# tool | arguments | status | a line it must print (extended regex, both streams)
while IFS='|' read -r tool args status want; do
    # shellcheck disable=SC2086 # the arguments are words
    got=$(timeout 10 "$dir/$tool" $args 2>&1)
    code=$?
    [ "$code" = "$status" ] || fail "$tool $args: status $code, expected $status"
    grep -Eq -- "$want" <<<"$got" || fail "$tool $args: no '$want' in: $(head -c 300 <<<"$got")"
done <<'CASES'
framecost|--help|0|--interleaved
framecost|--help|0|--fill
framecost|--fill --parts|2|excludes
framecost|--interleaved --parts|2|excludes
framecost|--size 1280|2|--size
framecost|--size 639x360|2|639x360 is smaller
framecost|--only nothing|2|no screen's name contains "nothing"
framecost|--startup|2|--startup
startup|--help|0|--bare-window
startup|--size 7681x4320|2|7681x4320 is larger
startup|--seconds 1|2|--seconds
CASES
[ "$failures" = 0 ]
