#!/usr/bin/env bash
# A person clicks through all four screens, scrolls the theory page with the
# wheel and ends the program with the exit button, at two desktop sizes. At
# the first size a short storm of random pointer traffic comes first: the
# program must live through it, report nothing to the sanitizers and still
# follow the menu. (The long storm is the in-process one of the screen
# tests; tools/storm runs it for any length.)
# Usage: test_screens.sh BINARY BUILD_DIR
#   STORM_SEED  seed of the random traffic (default 1957)
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2

# SECONDS_LONG of moves, clicks of every button, drags and wheel turns
# anywhere but near the exit button.
storm() {
    local until=$((SECONDS + $1)) x y
    RANDOM=${STORM_SEED:-1957}
    log "storm of $1 s, seed ${STORM_SEED:-1957}"
    while [ "$SECONDS" -lt "$until" ] && program_running; do
        x=$((RANDOM % E2E_WIDTH)) y=$((RANDOM % E2E_HEIGHT))
        [ "$x" -lt "$(sx 420)" ] && [ "$y" -gt "$(sy 950)" ] && continue
        case $((RANDOM % 6)) in
        0) xdotool mousemove "$x" "$y" mousedown 1 mousemove $((RANDOM % E2E_WIDTH)) "$y" mouseup 1 ;;
        1) xdotool mousemove "$x" "$y" click --repeat $((1 + RANDOM % 5)) $((4 + RANDOM % 2)) ;;
        2) xdotool mousemove "$x" "$y" click $((2 + RANDOM % 2)) ;;
        *) xdotool mousemove "$x" "$y" click 1 ;;
        esac
        sleep 0.0$((RANDOM % 5))
    done
    xdotool mouseup 1
    program_running || fail "the program ended during the storm: $(tail -n 5 "$E2E_OUTPUT")"
    [ -z "$(sanitizer_report)" ] || fail "sanitizer report during the storm: $(sanitizer_report | head -n 3)"
}

for size in 1920x1080 1280x720; do
    E2E_RUN="screens-$size"
    start_display "${size%x*}" "${size#*x}"
    start_program "$binary" "$dir" || finish

    shows_page "$E2E_RUN-start.png" start || fail "$size: launch does not show the start page"
    [ "$size" = 1920x1080 ] && storm 15

    menu_to 723 "$E2E_RUN-demonstration.png" demonstration || fail "$size: the demonstration screen is not shown"
    # The gas runs from launch (after the storm, from "Старт"): blue particles in the channel.
    click_ref 200 672
    has_particles() {
        SHOT=$(shot "$E2E_RUN-demonstration.png")
        [ "$(count_colour "$SHOT" 0,0,255 0 "$(sy 75)" "$E2E_WIDTH" "$(sy 130)")" -gt 0 ]
    }
    # Start pressed again while running does nothing: a lost press may be repeated.
    wait_for 10 has_particles || { click_ref 200 672; wait_for 20 has_particles; } ||
        fail "$size: no particles in the channel"

    menu_to 1207 "$E2E_RUN-theory.png" theory || fail "$size: the theory page is not shown"
    # The thumb starts at the top of its track (unless the storm moved it);
    # ten wheel steps down move it by about 167 reference pixels (20 pixels
    # of image per step).
    move "$(sx 1100)" "$(sy 600)"
    wheel up 70
    top=$(shot "$E2E_RUN-theory-top.png")
    wheel down 10
    # The thumb's top edge near y = 237 (reference) once the wheel is followed.
    thumb_moved() {
        scrolled=$(shot "$E2E_RUN-theory-scrolled.png")
        [ -n "$(dark_rows "$scrolled" "$(sx 1870)" "$(sy 200)" "$(sy 280)" | head -n 1)" ]
    }
    wait_for 20 thumb_moved || fail "$size: the thumb did not follow the wheel to about y = $(sy 237)"
    changed=$(compare -metric AE "$top" "$scrolled" null: 2>&1 || true)
    [ "${changed%% *}" -gt 1000 ] 2>/dev/null || fail "$size: the wheel did not scroll the theory image ($changed pixels changed)"
    wheel up 10
    region="$(($(sx 1480)))x$(($(sy 900)))+$(sx 372)+$(sy 100)" # the image, clear of menu and thumb
    convert "$top" -crop "$region" +repage "$e2e_shots/a.png"
    restored() {
        back=$(shot "$E2E_RUN-theory-back.png")
        convert "$back" -crop "$region" +repage "$e2e_shots/b.png"
        changed=$(compare -metric AE -fuzz 2% "$e2e_shots/a.png" "$e2e_shots/b.png" null: 2>&1 || true)
        [ "${changed%% *}" -lt 200 ] 2>/dev/null
    }
    wait_for 20 restored || fail "$size: scrolling back up does not restore the page ($changed pixels differ)"

    menu_to 1690 "$E2E_RUN-authors.png" authors || fail "$size: the authors page is not shown"

    menu_to 240 "$E2E_RUN-start-again.png" start || fail "$size: the start page did not come back"

    exit_by_button "$size"
done
finish
