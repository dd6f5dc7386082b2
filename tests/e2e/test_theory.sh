#!/usr/bin/env bash
# velorin --theory, as a lecturer starts it from the menu's second action:
# the red marks over the histogram and the red values under the readouts
# appear with the free gas (hiding and showing them is a screen test's); and
# the English texts and pictures under the C locale.
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

# In English under the C locale, where gettext would ignore LANGUAGE and no
# locale is generated: the menu and the theory page.
E2E_RUN=theory-english
start_display 1920 1080
LANG=C LC_ALL=C LANGUAGE=ru start_program "$binary" "$dir" --language en --theory || finish
# "Start page" ends near x = 207, where "Начальная страница" runs on to 390.
shows_page "$E2E_RUN-start.png" start && [ "$(dark_pixels "$SHOT" 40 16 160 40)" -gt 50 ] &&
    [ "$(dark_pixels "$SHOT" 230 16 160 40)" = 0 ] || fail "English: the menu is not in English"
menu_to 1207 "$E2E_RUN-theory.png" theory || fail "English: the theory page is not shown"
convert "$SHOT" -crop 1400x800+400+100 +repage "$e2e_shots/screen.png" # unscaled from (370, 70)
convert "$dir/images/en/Theory.png" -crop 1400x800+30+30 +repage "$e2e_shots/picture.png"
differ=$(compare -metric AE -fuzz 2% "$e2e_shots/screen.png" "$e2e_shots/picture.png" null: 2>&1 || true)
[ "${differ%% *}" -lt 200 ] 2>/dev/null || fail "English: the English theory picture is not shown ($differ pixels differ)"
exit_by_button English
finish
