#!/usr/bin/env bash
# A person works the demonstration screen: pauses and resets the gas, looks
# at each potential's plot, drags the particle count down to two, starts
# again and watches the histogram and the readouts, at two desktop sizes.
# Usage: test_demonstration.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2

# Pixels of one region that differ between two screenshots.
region_changes() {
    local a=$1 b=$2 x=$3 y=$4 w=$5 h=$6
    convert "$a" -crop "${w}x${h}+${x}+${y}" +repage "$e2e_shots/region-a.png"
    convert "$b" -crop "${w}x${h}+${x}+${y}" +repage "$e2e_shots/region-b.png"
    local n
    n=$(compare -metric AE "$e2e_shots/region-a.png" "$e2e_shots/region-b.png" null: 2>&1 || true)
    printf '%s' "${n%% *}"
}

# changes A NAME X Y W H: a new screenshot NAME differs from A in the region.
changes() {
    local a=$1
    shift
    [ "$(region_changes "$a" "$(shot "$1")" "${@:2}")" -gt 0 ]
}

# settles NAME: two screenshots a second apart show the same channel; the
# second is SHOT.
settles() {
    local a
    a=$(shot "$1")
    sleep 1
    SHOT=$(shot "${1%.png}-again.png")
    [ "$(region_changes "$a" "$SHOT" $(channel))" = 0 ]
}

channel() { echo 0 "$(sy 75)" "$E2E_WIDTH" "$(sy 130)"; }
readouts() { echo "$(sx 640)" "$(sy 695)" "$(sx 150)" "$(sy 270)"; }

for size in 1920x1080 1280x720; do
    E2E_RUN="demonstration-$size"
    start_display "${size%x*}" "${size#*x}"
    start_program "$binary" "$dir" || finish
    click_ref 723 32 # "Демонстрация"
    wait_page "$E2E_RUN-running-1.png" demonstration || fail "$size: the demonstration screen is not shown"

    # Running: the particles move and the readouts change.
    a=$SHOT
    wait_for 20 changes "$a" "$E2E_RUN-running-2.png" $(channel) || fail "$size: the gas does not move"
    wait_for 20 changes "$a" "$E2E_RUN-running-2.png" $(readouts) || fail "$size: the readouts do not change while running"

    click_ref 200 742 # "Пауза"
    move "$(sx 1100)" "$(sy 900)"
    # Once two screenshots a second apart show the same gas, the pause
    # has been handled; a second later nothing may have moved.
    wait_for 20 settles "$E2E_RUN-paused-1.png" || fail "$size: the gas moves while paused"
    a=$SHOT
    sleep 1
    b=$(shot "$E2E_RUN-paused-2.png")
    [ "$(region_changes "$a" "$b" $(channel))" = 0 ] || fail "$size: the gas moves while paused"
    [ "$(region_changes "$a" "$b" $(readouts))" = 0 ] || fail "$size: the readouts change while paused"

    click_ref 200 812 # "Сброс"
    move "$(sx 1100)" "$(sy 900)"
    channel_empty() { SHOT=$(shot "$E2E_RUN-reset.png"); [ "$(count_colour "$SHOT" 0,0,255 $(channel))" = 0 ]; }
    wait_for 20 channel_empty || fail "$size: particles remain after Reset"
    file=$SHOT
    [ "$(count_colour "$file" 0,255,0 "$(sx 800)" "$(sy 640)" "$(sx 900)" "$(sy 390)")" = 0 ] ||
        fail "$size: histogram bars remain after Reset"
    [ "$(page_shown "$file")" = demonstration ] || fail "$size: the controls vanished with Reset"

    # Each potential shows its own R axis (and, but for Zero, a curve).
    for choice in "Attraction 322 340" "Repulsion 392 690" "LennardJones 462 530" "Zero 532 690"; do
        read -r name button_y axis_y <<<"$choice"
        click_ref 1080 "$button_y"
        move "$(sx 1100)" "$(sy 900)"
        # Column between the U axis and the start of every curve.
        want=$(sy "$axis_y")
        axis_shown() {
            file=$(shot "$E2E_RUN-$name.png")
            axis=$(dark_rows "$file" "$(sx 1362)" "$(sy 300)" "$(sy 700)" | head -n 1)
            [ -n "$axis" ] && [ $((axis - want)) -ge -1 ] && [ $((axis - want)) -le 2 ]
        }
        wait_for 20 axis_shown || fail "$size: $name shows its R axis at '${axis}', expected about $want"
        # A column where every curve is steep, apart from its R axis.
        curve=$(dark_rows "$file" "$(sx 1385)" "$(sy 300)" "$(sy 680)" |
            awk -v a="$want" '$1 < a - 1 || $1 > a + 5' | wc -l)
        if [ "$name" = Zero ]; then
            [ "$curve" = 0 ] || fail "$size: a curve is drawn for the zero potential"
        else
            [ "$curve" -gt 0 ] || fail "$size: no curve drawn for $name"
        fi
    done

    # Drag the count knob to its left end (knob left edge 460): two particles.
    grab_x=$(sx 615) grab_y=$(sy 310)
    knob_at_end() { [ "$(dark_pixels "$(shot "$E2E_RUN-knob.png")" 456 292 12 20)" -gt 5 ]; }
    drag "$grab_x" "$grab_y" "$((grab_x - $(sx 583) + $(sx 460)))" "$grab_y" knob_at_end
    click_ref 200 672 # "Старт"
    move "$(sx 1100)" "$(sy 900)"
    two() { file=$(shot "$E2E_RUN-two.png"); runs=$(blue_runs "$file" "$(sy 140)"); [ "$runs" = 2 ]; }
    wait_for 20 two || fail "$size: $runs particles after choosing two and Start"

    # The gas runs: bars appear and the readouts keep changing. With one gap
    # its sigma and sigma / E stay 0, so only E moves, when the gap does.
    bars() {
        SHOT=$(shot "$E2E_RUN-two-1.png")
        [ "$(count_colour "$SHOT" 0,255,0 "$(sx 800)" "$(sy 640)" "$(sx 900)" "$(sy 390)")" -gt 0 ]
    }
    wait_for 20 bars || fail "$size: no histogram bars after Start"
    wait_for 30 changes "$SHOT" "$E2E_RUN-two-2.png" $(readouts) || fail "$size: the readouts do not change after Start"

    exit_by_button "$size"
done
finish
