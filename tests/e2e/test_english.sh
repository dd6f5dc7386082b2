#!/usr/bin/env bash
# velorin --language en under the C locale, where gettext would ignore
# LANGUAGE and no locale is generated: the English menu and theory page.
# Usage: test_english.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2
E2E_RUN=english
start_display 1920 1080
LANG=C LC_ALL=C LANGUAGE=ru start_program "$binary" "$dir" --language en --theory || finish
# "Start page" ends near x = 207, where "Начальная страница" runs on to 390.
shows_page "$E2E_RUN-start.png" start && [ "$(dark_pixels "$SHOT" 40 16 160 40)" -gt 50 ] &&
    [ "$(dark_pixels "$SHOT" 230 16 160 40)" = 0 ] || fail "the menu is not in English"
menu_to 1207 "$E2E_RUN-theory.png" theory || fail "the theory page is not shown"
convert "$SHOT" -crop 1400x800+400+100 +repage "$e2e_shots/screen.png" # unscaled from (370, 70)
convert "$dir/images/en/Theory.png" -crop 1400x800+30+30 +repage "$e2e_shots/picture.png"
differ=$(compare -metric AE -fuzz 2% "$e2e_shots/screen.png" "$e2e_shots/picture.png" null: 2>&1 || true)
[ "${differ%% *}" -lt 200 ] 2>/dev/null || fail "the English theory picture is not shown ($differ pixels differ)"
exit_by_button English
finish
