#!/usr/bin/env bash
# Input storm: random pointer traffic (moves, left/middle/right and side
# clicks, press-and-drag, stray releases, wheel and a few keys) over every
# screen, in every run state and under every potential, with targeted
# scenarios woven in: menu visits, Start/Pause/Reset in varied orders, each
# potential button while paused and stopped, knob drags in every run state,
# theory thumb drags and wheel. The event sequence follows from a seed that
# is printed.
#
# Passes when the program neither crashes nor hangs (at the end it still
# answers menu clicks and the exit button ends it with status 0), no
# sanitizer report appears in its output, and its resident memory at the end
# is at most 10% above what it was after the first third of the run.
# The built-in overlap stop (status 1 and a line about overlapping particles)
# means the gas let two particles overlap: it fails the storm, is reported
# with the settings the storm knows of, the run is judged up to that point,
# and the storm goes on with a new program.
#
# Usage: test_storm.sh BINARY BUILD_DIR
#   STORM_SECONDS  storm length in seconds (default 60): two thirds at
#                  1920x1080, one third at 1280x720 (below 30 s, 1920x1080
#                  only); the last part runs on until every required
#                  scenario has been met once
#   STORM_SEED     seed of the event sequence (default 1957)
# tools/storm SECONDS [SEED] [BUILD_DIR] runs this for any length.
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2
seconds=${STORM_SECONDS:-60}
seed=${STORM_SEED:-1957}
# Leak checking at exit reports the GL driver's own allocations; memory
# growth is judged here from the resident size instead. AddressSanitizer
# keeps freed blocks in a quarantine (256 MB by default) that fills over the
# first minute of a run and would read as growth: a small one keeps the
# resident size honest while still catching a use after free.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0:quarantine_size_mb=16"

RANDOM=$seed
events_log="$e2e_shots/storm-events.log"
: >"$events_log"
log "seed $seed, $seconds s; events in $events_log"

# ---------------------------------------------------------------- helpers
# Random numbers come from bash's own generator in this shell only (never in
# a subshell), so the event sequence depends on the seed alone.
rnd() { R=$((RANDOM % $1)); }
rnd_range() { R=$(($1 + RANDOM % ($2 - $1 + 1))); }

now_ms() {
    local t=${EPOCHREALTIME/./}
    NOW=$((10#$t / 1000))
}
now_ms
storm_start=$NOW
elapsed() { now_ms; printf '%d.%d' $(((NOW - storm_start) / 1000)) $(((NOW - storm_start) % 1000 / 100)); }

# The program handles every event of a frame at the pointer position it
# sampled when the frame began, and a frame may take a few hundred
# milliseconds on a busy machine. So the pointer rests "pre" seconds before
# a press, stays "hold" seconds after it (a later move would carry the press
# along) and rests "rest" seconds on a drag's last point before the release.
pre=0.05
hold=0.25
rest=0.3
# A check that failed is tried once more with long pauses; when that passes
# the machine was slow, and the pauses grow for the rest of the run.
is_patient=no
patient() { saved=("$pre" "$hold" "$rest"); pre=0.3 hold=1.0 rest=1.0 is_patient=yes; }
impatient() {
    [ "$is_patient" = yes ] || return 0
    pre=${saved[0]} hold=${saved[1]} rest=${saved[2]} is_patient=no
}
slower() {
    impatient
    hold=$(awk -v h="$hold" 'BEGIN {h += 0.15; print (h > 1 ? 1 : h)}')
    rest=$(awk -v h="$hold" 'BEGIN {print h + 0.05}')
    log "the program was slow to follow; pauses now $hold s after a press, $rest s before a release"
    count slow-downs
}

# Reference pixels to screen pixels (floor, as the program's float scaling lands).
to_px() { PX=$(($1 * E2E_WIDTH / 1920)); PY=$(($2 * E2E_HEIGHT / 1080)); }

declare -A counts=()
count() { counts[$1]=$((${counts[$1]:-0} + ${2:-1})); }

declare -A covered=()
cover() { covered[$1]=1; }

xdo() {
    printf '%s %s %s\n' "$(elapsed)" "${E2E_WIDTH}x$E2E_HEIGHT" "$*" >>"$events_log"
    xdotool "$@"
}
# A line in the event log naming what the next events are for.
note() { printf '%s %s # %s\n' "$(elapsed)" "${E2E_WIDTH}x$E2E_HEIGHT" "$*" >>"$events_log"; }

# ------------------------------------------------------------------ model
# What the storm knows of the program, from the presses it sent.
screen_names=(start demonstration theory authors)
potential_names=(zero attraction repulsion lennard-jones)
knob_names=(count width temperature mass C)
knob_rows=(290 360 430 500 570)
screen=0
run=running
potential=0
potential_in_force=0
knob_moves=()
declare -a settings # count width temperature mass C, as last dragged

model_reset() {
    screen=0
    run=running
    potential=0
    potential_in_force=0
    settings=(15 22 25 25 1)
    knob_moves=()
}
model_reset

# The control a left press at reference (X, Y) lands on. "edge" where the
# rounding of the scaling could decide either way; the exit button and its
# surroundings are never pressed by the storm.
hit_ref() {
    local x=$1 y=$2 m=6 i
    HIT=none
    in_box() { # X0 Y0 W H: inside (deflated), near (inflated), or out
        if [ "$x" -ge $(($1 + m)) ] && [ "$x" -lt $(($1 + $3 - m)) ] && [ "$y" -ge $(($2 + m)) ] && [ "$y" -lt $(($2 + $4 - m)) ]; then
            return 0
        fi
        if [ "$x" -ge $(($1 - m)) ] && [ "$x" -lt $(($1 + $3 + m)) ] && [ "$y" -ge $(($2 - m)) ] && [ "$y" -lt $(($2 + $4 + m)) ]; then
            HIT=edge
        fi
        return 1
    }
    for i in 0 1 2 3; do in_box $((484 * i)) 0 478 64 && { HIT=menu$i; return; }; done
    [ "$HIT" = edge ] && return
    in_box 20 990 360 64 && { HIT=exit; return; }
    in_box 20 640 360 64 && { HIT=start; return; }
    in_box 20 710 360 64 && { HIT=pause; return; }
    in_box 20 780 360 64 && { HIT=reset; return; }
    in_box 900 290 360 64 && { HIT=pot1; return; }
    in_box 900 360 360 64 && { HIT=pot2; return; }
    in_box 900 430 360 64 && { HIT=pot3; return; }
    in_box 900 500 360 64 && { HIT=pot0; return; }
    return 0
}

# Points the pointer may rest on: anywhere but near the exit button.
random_point() {
    while :; do
        rnd 1920
        RX=$R
        rnd 1080
        RY=$R
        [ "$RX" -le 420 ] && [ "$RY" -ge 950 ] && continue
        return
    done
}

run_press() {
    cover "run:$run:$1"
    count "hit:$1"
    case $1 in
    start) if [ "$run" != running ]; then run=running; potential_in_force=$potential; fi ;;
    pause) [ "$run" != stopped ] && run=paused ;;
    reset) [ "$run" != stopped ] && run=stopped ;;
    esac
    return 0
}

potential_press() {
    cover "potential:$1:$run"
    count "hit:potential"
    [ "$run" != running ] && potential=$1
    return 0
}

# A left press at reference (X, Y), after the hit test says where it lands.
model_left_press() {
    case $HIT in
    menu*) screen=${HIT#menu}; cover "screen:$screen" ;;
    start | pause | reset) [ "$screen" = 1 ] && run_press "$HIT" ;;
    pot*) [ "$screen" = 1 ] && potential_press "${HIT#pot}" ;;
    esac
    return 0
}

# --------------------------------------------------------- the program
instance=0
overlap_stops=0
crashes=0
rss_report=()

launch() {
    instance=$((instance + 1))
    E2E_RUN="storm-${E2E_WIDTH}x$E2E_HEIGHT-$instance"
    start_program "$binary" "$dir" || return 1
    model_reset
    now_ms
    instance_start=$NOW
    rss_third_at=$((NOW + (phase_end - NOW) / 3))
    rss_base=""
    rss_last=""
    alive_at=$(elapsed)
    log "program $instance started (pid $E2E_PROGRAM), output in $E2E_OUTPUT"
}

sample_rss() {
    local rss
    rss=$(program_rss)
    [ -n "$rss" ] || return 0
    rss_last=$rss
    now_ms
    if [ -z "$rss_base" ] && [ "$NOW" -ge "$rss_third_at" ]; then
        rss_base=$rss
        log "resident memory after the first third: $rss kB"
    fi
}

# Judges the memory of the run that just ended (or is about to).
judge_rss() {
    local what=$1
    if [ -z "$rss_base" ] || [ -z "$rss_last" ]; then
        log "memory of $what not judged: it ended before the first third"
        rss_report+=("$what: ended before the first third (last ${rss_last:-?} kB)")
        return
    fi
    local growth=$(((rss_last - rss_base) * 1000 / rss_base))
    local figure
    figure=$(awk -v w="$what" -v a="$rss_base" -v b="$rss_last" \
        'BEGIN {printf "%s: %d kB after the first third, %d kB at the end (%+.1f%%)", w, a, b, (b - a) * 100 / a}')
    rss_report+=("$figure")
    log "$figure"
    [ "$growth" -le 100 ] || fail "resident memory grew by more than 10%: $figure"
}

settings_text() {
    local i text=""
    for i in 0 1 2 3 4; do text+="${knob_names[i]} ${settings[i]}, "; done
    printf '%s' "${text%, }"
}

# Called whenever the program may have ended. Returns 1 (and starts a new
# program) when it had.
check_alive() {
    if program_running; then
        alive_at=$(elapsed)
        return 0
    fi
    local status=0 gone_at
    gone_at=$(elapsed)
    wait "$E2E_PROGRAM" || status=$?
    if sanitizer_report "$E2E_OUTPUT" >/dev/null; then
        fail "sanitizer report from program $instance:"
        sanitizer_report "$E2E_OUTPUT" | sed 's/^/    /'
    fi
    if [ "$status" = 1 ] && grep -q 'overlapped' "$E2E_OUTPUT"; then
        overlap_stops=$((overlap_stops + 1))
        fail "overlap stop $overlap_stops of program $instance, between ${alive_at} s and ${gone_at} s of the storm: $(grep -m 1 overlapped "$E2E_OUTPUT")"
        log "  at ${E2E_WIDTH}x$E2E_HEIGHT on the ${screen_names[screen]} screen, run state $run, potential selected ${potential_names[potential]}, in force since the last Start ${potential_names[potential_in_force]}"
        log "  settings as last dragged: $(settings_text)"
        log "  last knob moves: ${knob_moves[*]:-none}"
        judge_rss "program $instance (until its overlap stop)"
    else
        crashes=$((crashes + 1))
        fail "program $instance ended during the storm with status $status, between ${alive_at} s and ${gone_at} s; last output lines:"
        tail -n 15 "$E2E_OUTPUT" | sed 's/^/    /'
    fi
    launch || finish
    return 1
}

# ------------------------------------------------------------ look-ups
# One screenshot, for the page and, on the demonstration screen, the channel.
grab() { SHOT=$(shot "storm-now.ppm"); count screenshot; }

look_page() {
    grab
    PAGE=$(page_shown "$SHOT" "$dir/images")
}

resync_screen() {
    local i
    for i in 0 1 2 3; do [ "${screen_names[i]}" = "$PAGE" ] && screen=$i; done
    return 0
}

# True when a row through the middle of the gas channel shows no particle.
channel_empty() {
    local y
    y=$(sy 140)
    local white
    white=$(count_colour "$SHOT" 255,255,255 0 "$y" "$E2E_WIDTH" 1)
    [ "$white" -ge "$E2E_WIDTH" ]
}

# The window x of a knob's left edge, from the dark outline in a row across its upper half.
locate_knob() {
    local row=${knob_rows[$1]} x0 x1 y
    x0=$(sx 440)
    x1=$(sx 780)
    y=$(sy $((row + 12)))
    KNOB_X=$(import -window root -crop "$((x1 - x0))x1+$x0+$y" +repage -depth 8 txt:- |
        awk -F'[:,() ]+' -v x0="$x0" 'NR > 1 && $3 + $4 + $5 < 300 {print $1 + x0 + 2; exit}')
    count screenshot
}

# The window y of the theory thumb's top edge, from the lowest dark pixel of
# the scrollbar's middle column (the thumb's point, 64 reference pixels down).
locate_thumb() {
    local x
    x=$(sx 1886)
    local tip
    tip=$(import -window root -crop "1x$((E2E_HEIGHT - $(sy 75)))+$x+$(sy 75)" +repage -depth 8 txt:- |
        awk -F'[:,() ]+' -v y0="$(sy 75)" 'NR > 1 && $3 + $4 + $5 < 300 {last = $2 + y0} END {print last}')
    count screenshot
    THUMB_Y=""
    [ -n "$tip" ] && THUMB_Y=$((tip - 64 * E2E_HEIGHT / 1080 - 2))
}

near() { local d=$(($1 - $2)); [ "${d#-}" -le "$3" ]; }

# ------------------------------------------------------------ actions
# A left click at reference (X, Y), modelled where it lands.
left_click_ref() {
    to_px "$1" "$2"
    hit_ref "$1" "$2"
    xdo mousemove "$PX" "$PY" sleep "$pre" click 1 sleep "$hold"
    count move
    count click:1
    model_left_press
}

# Shows a screen; with "check", a screenshot must show it too (one retry
# with long pauses before that counts as a fault).
goto() {
    local target=$1 check=${2:-no} attempt
    for attempt in 1 2; do
        [ "$attempt" = 2 ] && patient
        rnd_range 40 430
        left_click_ref $((484 * target + R)) $((14 + RANDOM % 36))
        [ "$check" = yes ] || return 0
        check_alive || { [ "$attempt" = 2 ] && impatient; return 0; }
        look_page
        if [ "$PAGE" = "${screen_names[target]}" ]; then
            count page-check
            [ "$attempt" = 2 ] && slower
            return 0
        fi
        log "after a click on menu item $((target + 1)) the screenshot shows the $PAGE page"
        resync_screen
    done
    impatient
    fail "menu item $((target + 1)) did not bring the ${screen_names[target]} page (saved $(keep_shot menu))"
}

keep_shot() {
    local file="$e2e_shots/storm-$1-$(elapsed).png"
    convert "$SHOT" "$file"
    printf '%s' "$file"
}

ensure_demo() { [ "$screen" = 1 ] || goto 1; }

press_run() {
    local y
    case $1 in start) y=640 ;; pause) y=710 ;; reset) y=780 ;; esac
    rnd_range 40 340
    local x=$((20 + R))
    rnd_range 12 52
    left_click_ref "$x" $((y + R))
}

# Reach a run state whatever the program's state really is: Start always
# ends in Running, Start then Pause in Paused, Reset in Stopped.
reach() {
    case $1 in
    running) press_run start ;;
    paused) press_run start; press_run pause ;;
    stopped) press_run reset ;;
    esac
    run=$1
}

# A run button pressed in a given state. After Start the channel must show
# particles and after Reset it must be empty, whatever came before.
sc_run_button() {
    local state=$1 button=$2 attempt
    ensure_demo
    [ "$run" = "$state" ] || reach "$state"
    press_run "$button"
    case $button in start) run=running ;; reset) run=stopped ;; *) return 0 ;; esac
    for attempt in 1 2; do
        check_alive || return 0
        look_page
        if [ "$PAGE" != demonstration ]; then
            log "expected the demonstration screen, the screenshot shows the $PAGE page"
            resync_screen
            return 0
        fi
        local problem=""
        if [ "$button" = reset ] && ! channel_empty; then
            problem="particles still drawn after Reset"
        elif [ "$button" = start ] && channel_empty; then
            problem="no particles drawn after Start"
        fi
        if [ -z "$problem" ]; then
            count channel-check
            [ "$attempt" = 2 ] && slower
            return 0
        fi
        if [ "$attempt" = 1 ]; then
            log "$problem (from $state); once more, slowly"
            patient
            press_run "$button"
        else
            impatient
            check_alive || return 0
            fail "$problem, twice (saved $(keep_shot "$button"))"
        fi
    done
}

sc_potential() {
    local kind=$1 state=$2
    ensure_demo
    [ "$run" = "$state" ] || reach "$state"
    local y=$((290 + 70 * ((kind + 3) % 4)))
    rnd_range 40 320
    local x=$((900 + R))
    rnd_range 12 52
    left_click_ref "$x" $((y + R))
}

# Appends a pointer path to (X, Y) in N steps from (from_x, from_y) to args.
path_to() {
    local x1=$1 y1=$2 n=$3 i
    for ((i = 1; i <= n; i++)); do
        args+=(mousemove $((from_x + (x1 - from_x) * i / n)) $((from_y + (y1 - from_y) * i / n)))
        rnd_range 2 6
        args+=(sleep "0.0$R")
        count move
    done
    from_x=$x1
    from_y=$y1
}

# Sometimes other buttons while the left one is held.
interleave_others() {
    rnd 6
    case $R in
    0) args+=(click 3 sleep 0.03); count click:3 ;;
    1) args+=(click --repeat 3 --delay 20 5 sleep 0.03); count wheel 3 ;;
    2) args+=(click 2 sleep 0.03); count click:2 ;;
    esac
    return 0
}

# Drag knob K in a given run state. Presses count only while Paused or
# Stopped; in Running the knob must stay. A drag that rests inside the track
# before its release leaves the knob at the pointer's x minus the grab offset.
sc_knob() {
    local k=$1 state=$2 attempt
    ensure_demo
    cover "knob-state:$state"
    for attempt in 1 2; do
        if [ "$run" != "$state" ] || [ "$attempt" = 2 ]; then reach "$state"; fi
        knob_drag "$k" "$state"
        case $KNOB_RESULT in
        ok) [ "$attempt" = 2 ] && slower; return 0 ;;
        skip) [ "$attempt" = 2 ] && impatient; return 0 ;;
        esac
        if [ "$attempt" = 1 ]; then
            log "$KNOB_RESULT; once more, slowly"
            patient
        else
            impatient
            fail "$KNOB_RESULT, twice (saved $(keep_shot knob))"
        fi
    done
}

# knob_drag K STATE [END]: END (a reference x) fixes where the drag rests.
knob_drag() {
    local k=$1 state=$2 row=${knob_rows[$1]} end=${3:-}
    KNOB_RESULT=skip
    check_alive || return 0
    locate_knob "$k"
    if [ -z "$KNOB_X" ]; then
        check_alive || return 0
        look_page
        if [ "$PAGE" = demonstration ]; then KNOB_RESULT="the ${knob_names[k]} knob is not in its row"; else resync_screen; fi
        return 0
    fi
    local before=$KNOB_X
    rnd_range 8 52
    local press_x=$((KNOB_X + R * E2E_WIDTH / 1920))
    rnd_range 6 26
    local press_y=$(((row + R) * E2E_HEIGHT / 1080))
    local grab_offset=$((press_x - KNOB_X))
    args=(mousemove "$press_x" "$press_y" sleep "$pre" mousedown 1 sleep "$hold")
    count move
    count press:1
    from_x=$press_x
    from_y=$press_y
    local waypoints i settled=no target_x=0 tx
    rnd_range 1 3
    waypoints=$R
    [ -n "$end" ] && waypoints=0
    for ((i = 0; i < waypoints; i++)); do
        rnd 4
        if [ "$R" = 0 ]; then # past an end of the track, maybe far past
            rnd 2
            [ "$R" = 0 ] && tx=$((RANDOM % 480)) || tx=$((740 + RANDOM % 1100))
        else
            rnd_range 464 702
            tx=$R
        fi
        rnd 1080
        to_px "$tx" "$R" # the height is the pointer's own business
        rnd_range 2 8
        path_to $((PX + grab_offset)) "$PY" "$R"
        interleave_others
    done
    # Most drags rest inside the track before the release; the others let go
    # wherever the last move went.
    rnd 10
    [ -n "$end" ] && R=0
    if [ "$R" -lt 7 ]; then
        # A third of them at an end of the track: the extreme settings.
        rnd 6
        case $R in
        0) tx=461 ;;
        1) tx=705 ;;
        *) rnd_range 464 702; tx=$R ;;
        esac
        [ -n "$end" ] && tx=$end
        rnd 900
        to_px "$tx" $((60 + R))
        target_x=$PX
        path_to $((target_x + grab_offset)) "$PY" 3
        args+=(sleep "$rest")
        settled=yes
    fi
    args+=(mouseup 1 sleep 0.15)
    count release:1
    xdo "${args[@]}"
    cover "knob:${knob_names[k]}"
    check_alive || return 0
    if [ "$state" != running ] && [ "$settled" = no ]; then
        record_knob "$k" "$before" "?" "$state"
        KNOB_RESULT=ok
        return 0
    fi
    locate_knob "$k"
    local want=$target_x
    [ "$state" = running ] && want=$before
    if [ -n "$KNOB_X" ] && near "$KNOB_X" "$want" 4; then
        count knob-check
        record_knob "$k" "$before" "$KNOB_X" "$state"
        KNOB_RESULT=ok
        return 0
    fi
    check_alive || return 0
    look_page
    if [ "$PAGE" != demonstration ]; then
        log "knob check skipped: the $PAGE page is shown"
        resync_screen
        return 0
    fi
    record_knob "$k" "$before" "${KNOB_X:-?}" "$state"
    KNOB_RESULT="${knob_names[k]} knob at ${KNOB_X:-nowhere} after a drag in $state, expected $want (it was at $before)"
}

record_knob() {
    local k=$1 from=$2 to=$3 state=$4
    knob_moves+=("[$(elapsed) s ${knob_names[k]} $from->$to px in $state]")
    [ ${#knob_moves[@]} -gt 5 ] && knob_moves=("${knob_moves[@]:1}")
    [ "$state" = running ] || [ "$to" = "?" ] && return 0
    # The setting the knob now stands for, mapped from its reference x as the program does.
    local kx
    kx=$(awk -v p="$to" -v w="$E2E_WIDTH" 'BEGIN {printf "%.3f", p * 1920 / w}')
    case $k in
    0) settings[0]=$(awk -v x="$kx" 'BEGIN {printf "%d", 28 * x / 246 + 1 - 51}') ;;
    1) settings[1]=$(awk -v x="$kx" -v w="$E2E_WIDTH" -v n="${settings[0]}" \
        'BEGIN {m = w * 500 / 1920; printf "%d", ((m / n - 1) * x + 738 - 460 * m / n) / 246}') ;;
    2 | 3) settings[k]=$(awk -v x="$kx" 'BEGIN {printf "%d", 49 * x / 246 - 90}') ;;
    4) settings[4]=$(awk -v x="$kx" 'BEGIN {printf "%d", 4 * x / 246 - 6}') ;;
    esac
    return 0
}

# Drag the theory thumb. The wheel first brings the page to within a step
# of its top (the thumb must then be there); a drag that rests inside the
# track leaves the thumb at the pointer's y minus the grab offset, one that
# ends past either end leaves it inside the track.
sc_thumb() {
    local variant=$1 attempt
    for attempt in 1 2; do
        [ "$screen" = 2 ] || goto 2
        thumb_drag "$variant"
        case $THUMB_RESULT in
        ok) [ "$attempt" = 2 ] && slower; return 0 ;;
        skip) [ "$attempt" = 2 ] && impatient; return 0 ;;
        esac
        if [ "$attempt" = 1 ]; then
            log "$THUMB_RESULT; once more, slowly"
            patient
        else
            impatient
            fail "$THUMB_RESULT, twice (saved $(keep_shot thumb))"
        fi
    done
}

thumb_drag() {
    local variant=$1
    THUMB_RESULT=skip
    rnd_range 400 1800
    local x=$R
    rnd_range 100 900
    to_px "$x" "$R"
    # Enough steps for the whole travel: 1130 reference pixels (the image's
    # limit is in window pixels) at 20 reference pixels a step.
    local steps=$(((1060 * 1080 / E2E_HEIGHT + 70) / 20 + 3))
    xdo mousemove "$PX" "$PY" sleep "$pre" click --repeat "$steps" --delay 4 4 sleep "$hold"
    count move
    count wheel "$steps"
    cover "wheel:2"
    check_alive || return 0
    locate_thumb
    if [ -z "$THUMB_Y" ] || [ "$THUMB_Y" -lt $(($(sy 70) - 4)) ] || [ "$THUMB_Y" -gt $(($(sy 87) + 4)) ]; then
        check_alive || return 0
        look_page
        if [ "$PAGE" = theory ]; then
            THUMB_RESULT="after the wheel up to the top the thumb is at ${THUMB_Y:-nowhere}, expected $(sy 70) .. $(sy 87)"
        else
            resync_screen
        fi
        return 0
    fi
    local top=$THUMB_Y
    rnd_range 1864 1904
    local press_x=$((R * E2E_WIDTH / 1920))
    rnd_range 8 40
    local press_y=$((top + R * E2E_HEIGHT / 1080))
    local grab_offset=$((press_y - top))
    args=(mousemove "$press_x" "$press_y" sleep "$pre" mousedown 1 sleep "$hold")
    count move
    count press:1
    from_x=$press_x
    from_y=$press_y
    local i n want="" lo hi ty
    lo=$(($(sy 70) + 3))
    hi=$(($(sy 1016) - 3))
    rnd_range 1 3
    n=$R
    for ((i = 0; i < n; i++)); do
        rnd_range "$lo" "$hi"
        ty=$R
        rnd_range 500 1900
        to_px "$R" 0
        rnd_range 3 8
        path_to "$PX" $((ty + grab_offset)) "$R"
        if [ "$variant" = wheel ]; then
            args+=(click --repeat 2 --delay 30 $((4 + RANDOM % 2)) sleep 0.03)
            count wheel 2
        fi
    done
    if [ "$variant" = beyond ]; then
        rnd 2
        [ "$R" = 0 ] && ty=$((E2E_HEIGHT - 1 - RANDOM % 20)) || ty=$((RANDOM % $(sy 60)))
        rnd_range 1500 1900
        to_px "$R" 0
        path_to "$PX" "$ty" 4
        args+=(sleep "$rest")
    else
        rnd_range "$lo" "$hi"
        want=$R
        rnd_range 500 1900
        to_px "$R" 0
        path_to "$PX" $((want + grab_offset)) 3
        args+=(sleep "$rest")
    fi
    args+=(mouseup 1 sleep 0.15)
    count release:1
    xdo "${args[@]}"
    cover "thumb:$variant"
    check_alive || return 0
    locate_thumb
    if [ -n "$THUMB_Y" ]; then
        if [ -n "$want" ] && near "$THUMB_Y" "$want" 4; then
            count thumb-check
            THUMB_RESULT=ok
            return 0
        fi
        if [ -z "$want" ] && [ "$THUMB_Y" -ge $(($(sy 70) - 4)) ] && [ "$THUMB_Y" -le $(($(sy 1016) + 4)) ]; then
            count thumb-check
            THUMB_RESULT=ok
            return 0
        fi
    fi
    check_alive || return 0
    look_page
    if [ "$PAGE" != theory ]; then
        log "thumb check skipped: the $PAGE page is shown"
        resync_screen
        return 0
    fi
    THUMB_RESULT="thumb at ${THUMB_Y:-nowhere} after a $variant drag, expected ${want:-inside $(sy 70) .. $(sy 1016)}"
}

# Every knob at one end of its track (count first: the width's range
# follows it), a random potential, Start, and a few seconds of watching.
sc_extremes() {
    local end k
    rnd 2
    [ "$R" = 0 ] && end=461 || end=705
    note "extremes at $end"
    ensure_demo
    reach stopped
    for k in 0 1 2 3 4; do
        knob_drag "$k" stopped "$end"
        [ "$KNOB_RESULT" = ok ] || [ "$KNOB_RESULT" = skip ] || log "extremes: $KNOB_RESULT"
        check_alive || return 0
    done
    rnd 4
    sc_potential "$R" stopped
    press_run start
    count extremes
    random_point
    to_px $((500 + RX % 1400)) $((250 + RY % 700))
    xdo mousemove "$PX" "$PY" sleep 2.5
}

sc_wheel() {
    local n i b
    random_point
    to_px "$RX" "$RY"
    args=(mousemove "$PX" "$PY" sleep 0.05)
    count move
    rnd_range 1 4
    n=$R
    for ((i = 0; i < n; i++)); do
        rnd 10
        case $R in [0-3]) b=4 ;; [4-7]) b=5 ;; 8) b=6 ;; *) b=7 ;; esac
        rnd_range 1 15
        args+=(click --repeat "$R" --delay 15 "$b" sleep 0.05)
        count wheel "$R"
    done
    xdo "${args[@]}"
    cover "wheel:$screen"
}

# A burst of random events in one go. Left presses are modelled where they
# land (and held still long enough to land there); the pointer never rests
# near the exit button.
sc_noise() {
    local n=$1 i b cur_x cur_y
    local other_buttons=(2 3 8 9) keys=(Escape space Return q alt+F4)
    args=()
    random_point
    cur_x=$RX
    cur_y=$RY
    to_px "$cur_x" "$cur_y"
    args+=(mousemove "$PX" "$PY" sleep 0.04)
    count move
    for ((i = 0; i < n; i++)); do
        rnd 100
        if [ "$R" -lt 35 ]; then
            random_point
            cur_x=$RX
            cur_y=$RY
            to_px "$cur_x" "$cur_y"
            rnd_range 1 8
            args+=(mousemove "$PX" "$PY" sleep "0.0$R")
            count move
        elif [ "$R" -lt 48 ]; then
            hit_ref "$cur_x" "$cur_y"
            if [ "$HIT" = edge ] || [ "$HIT" = exit ]; then
                args+=(click 3 sleep 0.04)
                count click:3
            else
                args+=(sleep "$pre" click 1 sleep "$hold")
                count click:1
                model_left_press
            fi
        elif [ "$R" -lt 60 ]; then
            rnd 4
            b=${other_buttons[R]}
            args+=(click "$b" sleep 0.03)
            count "click:$b"
        elif [ "$R" -lt 72 ]; then
            # Press, wander, release somewhere else.
            rnd_range 1 3
            b=$R
            hit_ref "$cur_x" "$cur_y"
            { [ "$HIT" = edge ] || [ "$HIT" = exit ]; } && [ "$b" = 1 ] && b=3
            if [ "$b" = 1 ]; then
                args+=(sleep "$pre" mousedown 1 sleep "$hold")
                model_left_press
            else
                args+=(mousedown "$b" sleep 0.03)
            fi
            count "press:$b"
            from_x=$PX
            from_y=$PY
            random_point
            cur_x=$RX
            cur_y=$RY
            to_px "$cur_x" "$cur_y"
            rnd_range 2 6
            path_to "$PX" "$PY" "$R"
            args+=(mouseup "$b" sleep 0.03)
            count "release:$b"
            cover "drag:$b"
        elif [ "$R" -lt 86 ]; then
            rnd 4
            b=$((4 + R))
            rnd_range 1 6
            args+=(click --repeat "$R" --delay 10 "$b" sleep 0.03)
            count wheel "$R"
            cover "wheel:$screen"
        elif [ "$R" -lt 94 ]; then
            rnd_range 1 3
            args+=(mouseup "$R" sleep 0.02)
            count stray-release
            cover stray-release
        else
            rnd 5
            args+=(key "${keys[R]}" sleep 0.03)
            count key
            cover key
        fi
    done
    xdo "${args[@]}"
}

# ------------------------------------------------------------ scenarios
required_items() {
    local s b k
    ITEMS=()
    for s in 0 1 2 3; do ITEMS+=("screen:$s" "wheel:$s"); done
    for s in running paused stopped; do
        for b in start pause reset; do ITEMS+=("run:$s:$b"); done
        ITEMS+=("knob-state:$s")
    done
    for k in 0 1 2 3; do ITEMS+=("potential:$k:paused" "potential:$k:stopped"); done
    for k in "${knob_names[@]}"; do ITEMS+=("knob:$k"); done
    ITEMS+=(thumb:inside thumb:beyond thumb:wheel)
}
required_items

pending_items() {
    local item
    PENDING=()
    for item in "${ITEMS[@]}"; do [ -n "${covered[$item]:-}" ] || PENDING+=("$item"); done
}

# The pending items that need no change of screen or run state first.
cheap_items() {
    local item a b c
    CHEAP=()
    for item in "${PENDING[@]}"; do
        IFS=: read -r a b c <<<"$item"
        case $a in
        screen) CHEAP+=("$item") ;;
        wheel) [ "$screen" = "$b" ] && CHEAP+=("$item") ;;
        run | potential) [ "$screen" = 1 ] && [ "$run" = "${c:-$b}" ] && CHEAP+=("$item") ;;
        knob-state) [ "$screen" = 1 ] && [ "$run" = "$b" ] && CHEAP+=("$item") ;;
        knob) [ "$screen" = 1 ] && [ "$run" != running ] && CHEAP+=("$item") ;;
        thumb) [ "$screen" = 2 ] && CHEAP+=("$item") ;;
        esac
    done
    return 0
}

do_item() {
    local item=$1 a b c k
    note "item $item"
    IFS=: read -r a b c <<<"$item"
    case $a in
    screen) goto "$b" yes ;;
    wheel) [ "$screen" = "$b" ] || goto "$b"; sc_wheel ;;
    run) sc_run_button "$b" "$c" ;;
    potential) sc_potential "$b" "$c" ;;
    knob-state)
        # A knob not yet dragged, if any.
        for k in 0 1 2 3 4; do [ -n "${covered[knob:${knob_names[k]}]:-}" ] || break; done
        sc_knob "$k" "$b"
        ;;
    knob)
        for k in 0 1 2 3 4; do [ "${knob_names[k]}" = "$b" ] && break; done
        if [ "$run" != running ]; then
            sc_knob "$k" "$run"
        elif [ -z "${covered[knob-state:paused]:-}" ]; then
            sc_knob "$k" paused
        else
            sc_knob "$k" stopped
        fi
        ;;
    thumb) sc_thumb "$b" ;;
    esac
}

random_scenario() {
    local states=(running paused stopped) buttons=(start pause reset)
    rnd 100
    note "random scenario $R"
    if [ "$R" -lt 14 ]; then
        rnd 4
        local target=$R
        rnd 3
        if [ "$R" = 0 ]; then goto "$target" yes; else goto "$target"; fi
    elif [ "$R" -lt 34 ]; then
        # A short random sequence of run buttons, then one judged press.
        ensure_demo
        local n i
        rnd_range 0 3
        n=$R
        for ((i = 0; i < n; i++)); do
            rnd 3
            press_run "${buttons[R]}"
        done
        rnd 3
        local s=${states[R]}
        rnd 3
        sc_run_button "$s" "${buttons[R]}"
    elif [ "$R" -lt 50 ]; then
        rnd 4
        local kind=$R
        rnd 3
        sc_potential "$kind" "${states[R]}"
    elif [ "$R" -lt 64 ]; then
        rnd 5
        local k=$R
        rnd 3
        sc_knob "$k" "${states[R]}"
    elif [ "$R" -lt 72 ]; then
        local variants=(inside beyond wheel)
        rnd 3
        sc_thumb "${variants[R]}"
    elif [ "$R" -lt 79 ]; then
        sc_wheel
    elif [ "$R" -lt 83 ]; then
        sc_extremes
    else
        rnd_range 8 24
        sc_noise "$R"
    fi
}

between() {
    note "noise"
    impatient
    rnd_range 1 4
    sc_noise "$R"
    check_alive || true
    sample_rss
}

# ---------------------------------------------------------------- phases
if [ "$seconds" -ge 30 ]; then
    phases=("1920 1080 $((seconds * 2 / 3))" "1280 720 $((seconds - seconds * 2 / 3))")
else
    phases=("1920 1080 $seconds")
fi

phase_number=0
items_done_at=""
for phase in "${phases[@]}"; do
    phase_number=$((phase_number + 1))
    read -r width height length <<<"$phase"
    start_display "$width" "$height"
    now_ms
    phase_end=$((NOW + length * 1000))
    log "phase ${width}x$height: $length s on display $DISPLAY"
    launch || finish

    # Required items first (mostly), in a random order; the last phase runs
    # on until every one has been reached.
    turns=0
    while :; do
        pending_items
        now_ms
        if [ "$NOW" -ge "$phase_end" ]; then
            [ "$phase_number" -lt ${#phases[@]} ] && break
            [ ${#PENDING[@]} -eq 0 ] && break
        fi
        turns=$((turns + 1))
        if [ "$turns" -gt 400 ]; then
            fail "could not reach: ${PENDING[*]}"
            break
        fi
        rnd 4
        if [ ${#PENDING[@]} -gt 0 ] && [ "$R" != 0 ]; then
            cheap_items
            if [ ${#CHEAP[@]} -gt 0 ]; then
                rnd ${#CHEAP[@]}
                do_item "${CHEAP[R]}"
            else
                rnd ${#PENDING[@]}
                do_item "${PENDING[R]}"
            fi
        else
            random_scenario
        fi
        between
        if [ -z "$items_done_at" ]; then
            pending_items
            if [ ${#PENDING[@]} -eq 0 ]; then
                items_done_at=$(elapsed)
                log "every required item reached after $items_done_at s"
            fi
        fi
    done

    # The end: nothing held, then the program must still answer the menu.
    xdo mouseup 1 mouseup 2 mouseup 3 sleep 0.3
    check_alive || true
    sample_rss
    judge_rss "program $instance at ${width}x$height"
    goto 1 yes
    goto 3 yes
    check_alive || true
    click_ref 200 1020 # "Выход"
    count click:1
    wait_program_exit 20
    status=$?
    [ "$status" = 0 ] || fail "the exit button ended program $instance with status $status"
    if sanitizer_report "$E2E_OUTPUT" >/dev/null; then
        fail "sanitizer report from program $instance:"
        sanitizer_report "$E2E_OUTPUT" | sed 's/^/    /'
    fi
    e2e_cleanup
    e2e_pids=()
done

# ---------------------------------------------------------------- report
total=0
summary=""
for key in $(printf '%s\n' "${!counts[@]}" | sort); do
    summary+="$key ${counts[$key]}, "
    case $key in *-check | screenshot | hit:* | slow-downs | extremes) ;; *) total=$((total + counts[$key])) ;; esac
done
log "seed $seed, storm of $seconds s took $(elapsed) s in all; $total input events sent"
log "counts: ${summary%, }"
pending_items
[ ${#PENDING[@]} -eq 0 ] || fail "never reached: ${PENDING[*]}"
log "covered: $(printf '%s\n' "${!covered[@]}" | sort | tr '\n' ' ')"
for line in "${rss_report[@]}"; do log "memory: $line"; done
log "overlap stops: $overlap_stops; programs that ended otherwise: $crashes"
finish
