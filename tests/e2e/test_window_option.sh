#!/usr/bin/env bash
# velorin --window WxH: an ordinary window of that size on a larger desktop,
# the whole layout following the window: the demonstration and its 15
# particles inside it. Each run asks to record where it cannot: one message,
# and the program runs on.
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
    click_ref 723 32 # "Демонстрация"
    sleep 0.5
    file=$(shot "$E2E_RUN.png")
    [ "$(page_shown "$file")" = demonstration ] || fail "$size: the demonstration is not laid out in the window"
    runs=$(blue_runs "$file" "$(sy 140)")
    [ "$runs" = 15 ] || fail "$size: $runs particles in the window"
    [ "$(grep -c "$message" "$E2E_OUTPUT")" = 1 ] || fail "$size: no single '$message' for $record"
    exit_by_button "$size"
done <<'EOF'
640x360|/nonexistent/lecture.csv|cannot open /nonexistent/lecture.csv
1280x960|/dev/full|writing /dev/full failed; recording stopped
EOF
finish
