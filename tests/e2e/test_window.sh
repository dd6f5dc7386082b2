#!/usr/bin/env bash
# The program opens one full-screen window at the size of the desktop, shows
# the start page, prints nothing, and ends with status 0 when its exit
# button is pressed, on the desktops of lecture halls: wide, 4:3, and one
# whose width is no multiple of eight (the layout at every size is the
# screen tests' business). At the first size it
# is started elsewhere than its data files with --record FILE, which it must
# write where it was started, and a short storm of real pointer traffic
# comes first: the program must live through it and report nothing to the
# sanitizers. (The long storm is the
# in-process one of the screen tests; tools/storm runs it for any length.)
# Usage: test_window.sh BINARY BUILD_DIR
#   STORM_SEED  seed of the random traffic (default 1957)
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2
start=$(mktemp -d)
trap 'e2e_cleanup; rm -rf "$start"' EXIT

# SECONDS of moves, clicks of every button, drags and wheel turns anywhere
# but near the exit button.
storm() {
    local until=$((SECONDS + $1)) x y
    RANDOM=${STORM_SEED:-1957}
    while [ "$SECONDS" -lt "$until" ] && program_running; do
        x=$((RANDOM % E2E_WIDTH)) y=$((RANDOM % E2E_HEIGHT))
        [ "$x" -lt "$(sx 420)" ] && [ "$y" -gt "$(sy 950)" ] && continue
        case $((RANDOM % 6)) in
        0) xdotool mousemove "$x" "$y" mousedown 1 mousemove $((RANDOM % E2E_WIDTH)) "$y" mouseup 1 ;;
        1) xdotool mousemove "$x" "$y" click --repeat $((1 + RANDOM % 5)) $((4 + RANDOM % 2)) ;;
        2) xdotool mousemove "$x" "$y" click $((2 + RANDOM % 2)) ;;
        *) xdotool mousemove "$x" "$y" click 1 ;;
        esac
    done
    xdotool mouseup 1
    program_running || fail "the program ended during the storm: $(tail -n 5 "$E2E_OUTPUT")"
    [ -z "$(sanitizer_report)" ] || fail "sanitizer report during the storm: $(sanitizer_report | head -n 3)"
}

for size in 1920x1080 1024x768 1366x768; do
    E2E_RUN="window-$size"
    start_display "${size%x*}" "${size#*x}"
    where=$dir args=()
    [ "$size" = 1920x1080 ] && where=$start args=(--record lecture.csv)
    start_program "$binary" "$where" "${args[@]}" || finish
    got=$(window_size)
    [ "$got" = "$size" ] || fail "window is $got on a $size desktop"
    # White page, black menu outline.
    mapfile -t seen < <(probe "$(shot "$E2E_RUN.png")" "$(sx 960)" "$(sy 600)" "$(sx 240)" $(($(sy 64) + 1)))
    [ "${seen[0]}" = 255,255,255 ] && [ "${seen[1]}" = 0,0,0 ] || fail "$size: no start page: ${seen[*]}"
    [ "$size" = 1920x1080 ] && storm 3
    exit_by_button "$size"
    [ "$size" != 1920x1080 ] || [ "$(head -c 7 "$start/lecture.csv" 2>/dev/null)" = time_s, ] ||
        fail "--record lecture.csv: no record where the program was started"
    # Nothing on standard output or error, the drawing library's lines included.
    [ ! -s "$E2E_OUTPUT" ] || fail "$size: a normal start printed: $(head -c 300 "$E2E_OUTPUT")"
done
finish
