#!/usr/bin/env bash
# Without any display (over ssh, say): --help and --version answer, every
# usage error ends with its message, the usage and status 2, before a window,
# and a run that needs the display it cannot open says which and ends with 1.
# Usage: test_command_line.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2
unset DISPLAY WAYLAND_DISPLAY
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$dir/CMakeCache.txt")
# Per run: other checkouts may run this test at the same moment.
out="$e2e_shots/command-line.$$.out" err="$e2e_shots/command-line.$$.err"

# DISPLAY (- unset) | arguments (shell words) | status | the stream that answers | a line it must hold (extended regex)
while IFS='|' read -r display args status stream want; do
    eval "set -- $args"
    if [ "$display" = - ]; then
        timeout 10 "$binary" "$@" >"$out" 2>"$err"
    else
        DISPLAY=$display timeout 10 "$binary" "$@" >"$out" 2>"$err"
    fi
    got=$?
    [ "$got" = "$status" ] || fail "velorin $args: status $got, expected $status"
    answer=$err quiet=$out
    [ "$stream" = out ] && answer=$out quiet=$err
    grep -Eq -- "$want" "$answer" || fail "velorin $args: no '$want' on std$stream: $(head -c 300 "$answer")"
    [ ! -s "$quiet" ] || fail "velorin $args: unexpected output: $(head -c 300 "$quiet")"
    [ "$status" != 2 ] || grep -q '^Usage: velorin' "$err" || fail "velorin $args: no usage with the message"
done <<EOF
-|--help|0|out|^  --window WxH
-|--version|0|out|^velorin $version\$
-|--theory --version|0|out|^velorin $version\$
-|--help|0|out|^  --theory
-|--bogus|2|err|^velorin: .*--bogus
-|stray|2|err|^velorin: .*stray
-|--window|2|err|^velorin: --window
-|--record|2|err|^velorin: --record
-|--window 1280|2|err|^velorin: --window: '1280' is not a size
-|--window 99999999999x720|2|err|not a size: the width 99999999999 is too large a number
-|--window 1280X720|2|err|not a size: the width and height are parted by a small x, not X
-|--window 639x360|2|err|639x360 is smaller
-|--window 640x359|2|err|640x359 is smaller
-|--window 7681x4320|2|err|7681x4320 is larger
-|--window 7680x4321|2|err|7680x4321 is larger
-|--window 800x600 --window 900x600|2|err|^velorin: --window: At Most 1
-|--record a.csv --record b.csv|2|err|^velorin: --record: At Most 1
-|--theory --theory|2|err|^velorin: --theory: At Most 1
-|--record ''|2|err|^velorin: --record: the file name is empty
-|--help|0|out|^  --language LANG
-|--language en --version|0|out|^velorin $version\$
-|--language xx|2|err|^velorin: no language "xx"; this program speaks ru \(the default\) and en\$
-|--language ''|2|err|^velorin: no language ""
-|--language en --language ru|2|err|^velorin: --language: At Most 1
-|--language en|1|err|^velorin: cannot open the display
-||1|err|^velorin: cannot open the display "\(unset\)": DISPLAY is not set
:987|--window 800x600|1|err|^velorin: cannot open the display ":987": no X server
garbage||1|err|^velorin: cannot open the display "garbage": no X server
EOF
rm -f "$out" "$err"
finish
