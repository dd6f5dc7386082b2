#!/usr/bin/env bash
# A person clicks through all four screens, scrolls the theory page with the
# wheel and ends the program with the exit button, at two desktop sizes.
# Usage: test_screens.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2

for size in 1920x1080 1280x720; do
    E2E_RUN="screens-$size"
    start_display "${size%x*}" "${size#*x}"
    start_program "$binary" "$dir" || finish

    file=$(shot "$E2E_RUN-start.png")
    [ "$(page_shown "$file" "$dir/images")" = start ] || fail "$size: launch does not show the start page"

    click_ref 723 32 # "Демонстрация"
    sleep 0.5
    file=$(shot "$E2E_RUN-demonstration.png")
    [ "$(page_shown "$file" "$dir/images")" = demonstration ] || fail "$size: the demonstration screen is not shown"
    # The gas has been running since launch: blue particles in the channel.
    blue=$(count_colour "$file" 0,0,255 0 "$(sy 75)" "$E2E_WIDTH" "$(sy 130)")
    [ "$blue" -gt 0 ] || fail "$size: no particles in the channel"

    click_ref 1207 32 # "Теория"
    file=$(shot "$E2E_RUN-theory.png")
    [ "$(page_shown "$file" "$dir/images")" = theory ] || fail "$size: the theory page is not shown"
    # The thumb starts at the top of its track; ten wheel steps down move it
    # by about 167 reference pixels (20 pixels of image per step).
    move "$(sx 1100)" "$(sy 600)"
    wheel down 10
    scrolled=$(shot "$E2E_RUN-theory-scrolled.png")
    changed=$(compare -metric AE "$file" "$scrolled" null: 2>&1 || true)
    [ "${changed%% *}" -gt 1000 ] 2>/dev/null || fail "$size: the wheel did not scroll the theory image ($changed pixels changed)"
    thumb=$(dark_rows "$scrolled" "$(sx 1870)" "$(sy 200)" "$(sy 280)" | head -n 1)
    [ -n "$thumb" ] || fail "$size: the thumb did not follow the wheel to about y = $(sy 237)"
    wheel up 10
    back=$(shot "$E2E_RUN-theory-back.png")
    region="$(($(sx 1480)))x$(($(sy 900)))+$(sx 372)+$(sy 100)" # the image, clear of menu and thumb
    convert "$file" -crop "$region" +repage "$e2e_shots/a.png"
    convert "$back" -crop "$region" +repage "$e2e_shots/b.png"
    changed=$(compare -metric AE -fuzz 2% "$e2e_shots/a.png" "$e2e_shots/b.png" null: 2>&1 || true)
    [ "${changed%% *}" -lt 200 ] 2>/dev/null || fail "$size: scrolling back up does not restore the page ($changed pixels differ)"

    click_ref 1690 32 # "Авторы"
    file=$(shot "$E2E_RUN-authors.png")
    [ "$(page_shown "$file" "$dir/images")" = authors ] || fail "$size: the authors page is not shown"

    click_ref 240 32 # "Начальная страница"
    file=$(shot "$E2E_RUN-start-again.png")
    [ "$(page_shown "$file" "$dir/images")" = start ] || fail "$size: the start page did not come back"

    exit_by_button "$size"
done
finish
