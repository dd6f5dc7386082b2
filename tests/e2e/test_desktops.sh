#!/usr/bin/env bash
# The desktops of lecture halls: projectors of 4:3, 16:10 and 16:9 and a
# wall screen. On each the window fills the desktop, every screen draws, the
# theory picture's last lines show whole once its thumb is dragged to the end
# of the track, and the exit button ends the program with status 0. (Where
# the wheel and the thumb put the picture at these sizes is the headless
# scroll test's.)
# Usage: test_desktops.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2
picture="$dir/images/Theory.png"

# last_lines_shown FILE: true when the screenshot shows the picture's last
# lines (picture rows 1990 ... 2110, every column) scaled by
# s = min(W / 1920, H / 1080) at x = 370 / 1920 of the width, with the
# picture's bottom edge at the window's, give or take a pixel of the thumb's
# rounding. Both sides are blurred, so the renderer's and ImageMagick's
# resampling may differ in the last pixel.
last_lines_shown() {
    local file=$1 offset geo error
    for offset in 0 1 2; do
        geo=$(awk -v W="$E2E_WIDTH" -v H="$E2E_HEIGHT" -v o="$offset" 'BEGIN {
            s = W / 1920; if (H / 1080 < s) s = H / 1080
            printf "%dx%d! %dx%d+%d+%d %d+%d", 1480 * s + 0.5, 2140 * s + 0.5, 1440 * s, 120 * s,
                40 * s + 0.5, 1990 * s + 0.5, W * 370 / 1920 + 40 * s + 0.5, H - 150 * s + o + 0.5 }')
        set -- $geo
        convert "$picture" -resize "$1" -crop "$2" +repage -blur 0x2 "$e2e_shots/expected.png"
        convert "$file" -crop "${2%%+*}+$3" +repage -blur 0x2 "$e2e_shots/seen.png"
        error=$(compare -metric MAE "$e2e_shots/expected.png" "$e2e_shots/seen.png" null: 2>&1 | sed -E 's/.*\((.*)\)/\1/')
        awk -v e="$error" 'BEGIN {exit !(e < 0.015)}' && return 0
    done
    log "the last lines differ by $error (mean, 0 ... 1)"
    return 1
}

for size in 1024x768 1280x800 1366x768 2560x1440; do
    E2E_RUN="desktops-$size"
    start_display "${size%x*}" "${size#*x}"
    start_program "$binary" "$dir" || finish
    got=$(window_size)
    [ "$got" = "$size" ] || fail "window is $got on a $size desktop"

    # Each screen from the menu (x of its item, page), the theory page last.
    for visit in "723 demonstration" "1690 authors" "1207 theory"; do
        menu_to "${visit% *}" "$E2E_RUN-${visit#* }.png" "${visit#* }" || fail "$size: the ${visit#* } screen is not shown"
    done

    # The thumb grabbed 10 pixels below its top and dragged to the end of its
    # track, its top edge within a pixel above H - 64 / 1080 of the height.
    grab_y=$(($(sy 70) + 10))
    end_y=$(awk -v H="$E2E_HEIGHT" 'BEGIN {top = 70 * H / 1080; f = top - int(top); print int(H - 64 * H / 1080 - f) + 10}')
    at_end() { last_lines_shown "$(shot "$E2E_RUN-theory-thumb.png")" >/dev/null; }
    drag "$(sx 1886)" "$grab_y" "$(sx 1886)" "$end_y" at_end
    file=$(shot "$E2E_RUN-theory-thumb.png")
    last_lines_shown "$file" || fail "$size: the thumb does not bring the picture's last lines"

    exit_by_button "$size"
done
finish
