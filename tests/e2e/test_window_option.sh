#!/usr/bin/env bash
# velorin --window WxH: an ordinary window of that size on a larger desktop,
# the whole layout following the window: the demonstration and its 15
# particles inside it. Each run asks to record where it cannot: one message,
# and the program runs on. Under a window manager (openbox) the window lands
# centred and wholly on the desktop, "Выход" included, and the window
# manager's close request ends the program with status 0. A window larger
# than the desktop is refused with status 2.
# Usage: test_window_option.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2

# size | record file | the one message
while IFS='|' read -r size record message; do
    E2E_RUN="window-option-$size"
    start_display 1920 1080
    start_program "$binary" "$dir" --window "$size" --record "$record" || finish
    got=$(window_size)
    [ "$got" = "$size" ] || fail "--window $size opened a window of $got"
    xdotool windowmove "$E2E_WINDOW" 0 0 # no window manager places it here
    E2E_WIDTH=${size%x*} E2E_HEIGHT=${size#*x}
    menu_to 723 "$E2E_RUN.png" demonstration || fail "$size: the demonstration is not laid out in the window"
    runs=$(blue_runs "$SHOT" "$(sy 140)")
    [ "$runs" = 15 ] || fail "$size: $runs particles in the window"
    [ "$(grep -c "$message" "$E2E_OUTPUT")" = 1 ] || fail "$size: no single '$message' for $record"
    exit_by_button "$size"
done <<'EOF'
640x360|/nonexistent/lecture.csv|cannot open /nonexistent/lecture.csv
1280x960|/dev/full|writing /dev/full failed; recording stopped
EOF

# A window larger than the desktop would hide the menu's last item and its
# own close button: refused before any window, naming the size that fits.
E2E_RUN=window-option-too-large
start_display 1024 768
E2E_OUTPUT="$e2e_shots/$E2E_RUN.out"
(cd "$dir" && exec timeout 20 "$binary" --window 1280x720) >"$E2E_OUTPUT" 2>&1
status=$?
[ "$status" = 2 ] || fail "1280x720 on a 1024x768 desktop: status $status, expected 2"
want='^velorin: --window 1280x720 is larger than the desktop, 1024x768; 1024x576 has its shape and fits'
grep -q "$want" "$E2E_OUTPUT" && [ "$(wc -l <"$E2E_OUTPUT")" = 1 ] ||
    fail "1280x720 on a 1024x768 desktop: not the one message: $(head -c 300 "$E2E_OUTPUT")"
e2e_cleanup

# desktop | window
while IFS='|' read -r desktop size; do
    E2E_RUN="window-option-openbox-$desktop"
    start_display "${desktop%x*}" "${desktop#*x}"
    openbox --sm-disable >/dev/null 2>&1 &
    e2e_pids+=($!)
    for i in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    start_program "$binary" "$dir" --window "$size" || finish
    sleep 0.5 # the move after the window manager has placed it
    read -r x y w h < <(xwininfo -id "$E2E_WINDOW" |
        awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} /Width:/ {w=$2} /Height:/ {h=$2}
             END {print x, y, w, h}')
    dw=${desktop%x*} dh=${desktop#*x}
    if [ "$x" -lt 0 ] || [ "$y" -lt 0 ] || [ $((x + w)) -gt "$dw" ] || [ $((y + h)) -gt "$dh" ]; then
        fail "$desktop: the ${w}x$h window at ($x, $y) is not wholly on the desktop"
    fi
    # Centred across; down, the title bar may push it by its height.
    [ $((x - (dw - w) / 2)) -ge 0 ] && [ $((x - (dw - w) / 2)) -le 2 ] || fail "$desktop: left edge at $x, not centred"
    [ $((y - (dh - h) / 2)) -ge 0 ] && [ $((y - (dh - h) / 2)) -le 40 ] || fail "$desktop: top edge at $y, not centred"
    file=$(shot "$E2E_RUN.png")
    convert "$file" -crop "${w}x$h+$x+$y" +repage "$e2e_shots/$E2E_RUN-window.png"
    E2E_WIDTH=$w E2E_HEIGHT=$h
    [ "$(dark_pixels "$e2e_shots/$E2E_RUN-window.png" 100 995 200 50)" -gt 50 ] || fail "$desktop: no \"Выход\" on the screen"
    # openbox's close. A key that comes before openbox has given the window
    # its focus is lost, and so is pressed again.
    for try in 1 2 3; do
        xdotool windowactivate --sync "$E2E_WINDOW" 2>/dev/null
        xdotool key alt+F4
        wait_for 10 program_ended && break
    done
    wait_program_exit 10
    status=$?
    [ "$status" = 0 ] || fail "$desktop: closed by the window manager, the program ended with status $status"
    e2e_cleanup
done <<'EOF'
1366x768|1280x720
1920x1080|1280x720
EOF
finish
