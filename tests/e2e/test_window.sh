#!/usr/bin/env bash
# The program opens one full-screen window at the size of the desktop, shows
# the start page, prints nothing, and ends with status 0 when its exit
# button is pressed.
# Usage: test_window.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2

for size in 1920x1080 1280x720; do
    start_display "${size%x*}" "${size#*x}"
    start_program "$binary" "$dir" || finish
    got=$(window_size)
    [ "$got" = "$size" ] || fail "window is $got on a $size desktop"

    file=$(shot "window-$size.png")
    # White page, grey-free menu after the first events, black menu outline.
    expect_pixel "$file" "$(sx 960)" "$(sy 600)" 255,255,255 0 "page background"
    expect_pixel "$file" "$(sx 240)" $(( $(sy 64) + 1 )) 0,0,0 0 "menu outline"

    exit_by_button "$size"
    # Nothing on standard output or error, the drawing library's lines included.
    [ ! -s "$E2E_OUTPUT" ] || fail "$size: a normal start printed: $(head -c 300 "$E2E_OUTPUT")"
done
finish
