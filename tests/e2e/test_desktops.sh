#!/usr/bin/env bash
# The desktops of lecture halls: projectors of 4:3, 16:10 and 16:9 and a
# wall screen. On each the window fills the desktop, every screen draws, the
# theory picture shows its right edge left of the scrollbar and its last
# lines once scrolled down by the wheel and by the thumb, and the exit button
# ends the program with status 0.
# Usage: test_desktops.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2
picture="$dir/images/Theory.png"

# Window geometry of the theory picture, in awk: its uniform scale s, the
# page's top and the image's lowest top edge, the wheel step.
geometry='s = W / 1920; if (H / 1080 < s) s = H / 1080
    top = H * 70 / 1080; lowest = H - 2140 * s; step = 20 * s'
screen_awk() { awk -v W="$E2E_WIDTH" -v H="$E2E_HEIGHT" "$@"; }

# theory_matches FILE IMAGE_Y C0 C1 R0 R1: true when the screenshot shows
# columns C0..C1 and rows R0..R1 of the picture (picture pixels) where the
# picture drawn at IMAGE_Y puts them. Both sides are blurred, so the
# renderer's and ImageMagick's resampling may differ in the last pixel.
theory_matches() {
    local file=$1 geo error
    geo=$(screen_awk -v iy="$2" -v c0="$3" -v c1="$4" -v r0="$5" -v r1="$6" "BEGIN { $geometry
        printf \"%dx%d! %dx%d+%d+%d %d+%d\", 1480 * s + 0.5, 2140 * s + 0.5, (c1 - c0) * s, (r1 - r0) * s,
            c0 * s + 0.5, r0 * s + 0.5, W * 370 / 1920 + c0 * s + 0.5, iy + r0 * s + 0.5 }")
    set -- $geo
    convert "$picture" -resize "$1" -crop "$2" +repage -blur 0x2 "$e2e_shots/expected.png"
    convert "$file" -crop "${2%%+*}+$3" +repage -blur 0x2 "$e2e_shots/seen.png"
    error=$(compare -metric MAE "$e2e_shots/expected.png" "$e2e_shots/seen.png" null: 2>&1 | sed -E 's/.*\((.*)\)/\1/')
    awk -v e="$error" 'BEGIN {exit !(e < 0.015)}' || { log "picture differs by $error (mean, 0 ... 1)"; return 1; }
}

for size in 1024x768 1280x800 1366x768 2560x1440; do
    E2E_RUN="desktops-$size"
    start_display "${size%x*}" "${size#*x}"
    start_program "$binary" "$dir" || finish
    got=$(window_size)
    [ "$got" = "$size" ] || fail "window is $got on a $size desktop"

    # Each screen from the menu (x of its item, page), the theory page last.
    for visit in "240 start" "723 demonstration" "1690 authors" "1207 theory"; do
        click_ref "${visit% *}" 32
        file=$(shot "$E2E_RUN-${visit#* }.png")
        [ "$(page_shown "$file" "$dir/images")" = "${visit#* }" ] || fail "$size: the ${visit#* } screen is not shown"
        if [ "${visit#* }" = demonstration ]; then
            blue=$(count_colour "$file" 0,0,255 0 "$(sy 75)" "$E2E_WIDTH" "$(sy 130)")
            [ "$blue" -gt 0 ] || fail "$size: no particles in the channel"
        fi
    done
    move "$(sx 1100)" "$(sy 600)"
    top=$(screen_awk "BEGIN { $geometry; print top }")
    theory_matches "$file" "$top" 1150 1480 0 1000 || fail "$size: the right edge of the theory picture is not shown whole"

    wheel down 70 # stops less than a step short of the bottom
    file=$(shot "$E2E_RUN-theory-wheel.png")
    image_y=$(screen_awk "BEGIN { $geometry
        for (p = top; p - step >= lowest - step * 1e-4;) p -= step; print p }")
    theory_matches "$file" "$image_y" 40 1480 1990 2110 || fail "$size: the wheel does not reach the last lines"
    wheel up 70 # back to the top, for the thumb
    grab_y=$(sy 80)
    end_y=$(screen_awk -v g="$grab_y" "BEGIN { $geometry; printf \"%d\", H * 1016 / 1080 + g - top }")
    drag "$(sx 1886)" "$grab_y" "$(sx 1886)" "$end_y"
    file=$(shot "$E2E_RUN-theory-thumb.png")
    image_y=$(screen_awk -v g="$grab_y" -v e="$end_y" "BEGIN { $geometry
        t = e - (g - top); span = H - H * 64 / 1080 - top; print top + (lowest - top) / span * (t - top) }")
    theory_matches "$file" "$image_y" 40 1480 1990 2120 || fail "$size: the thumb does not reach the bottom edge"

    exit_by_button "$size"
done
finish
