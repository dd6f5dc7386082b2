#!/usr/bin/env bash
# velorin --theory, as a lecturer starts it from the menu's second action:
# the red marks over the histogram and the red values under the readouts
# appear with the free gas (hiding and showing them is a screen test's).
# Usage: test_theory.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2

# The exact red of the theory, counted in the histogram and under the readouts.
marks() { count_colour "$1" 200,0,0 "$(sx 806)" "$(sy 643)" "$(sx 890)" "$(sy 395)"; }
values() { count_colour "$1" 200,0,0 "$(sx 400)" "$(sy 990)" "$(sx 395)" "$(sy 40)"; }
shown() { SHOT=$(shot "$E2E_RUN-$1.png"); [ "$(marks "$SHOT")" -gt 0 ] && [ "$(values "$SHOT")" -gt 0 ]; }

for size in 1920x1080 1280x720; do
    E2E_RUN="theory-$size"
    start_display "${size%x*}" "${size#*x}"
    start_program "$binary" "$dir" --theory || finish
    menu_to 723 "$E2E_RUN-demonstration.png" demonstration || fail "$size: the demonstration screen is not shown"
    wait_for 20 shown shown || fail "$size: no red marks and values with --theory"
    exit_by_button "$size"
done
finish
