# End-to-end harness: drives the built program as a person would, on its own
# Xvfb display. Source it, then call the functions below; everything started
# here is stopped when the script exits.
#
#   start_display 1920 1080      # Xvfb on a free display, DISPLAY exported
#   start_program BINARY DIR [ARGS...]  # run BINARY in DIR with ARGS, wait for its window
#   click X Y [BUTTON]           # move there and press/release (1 left, 2 middle, 3 right, 4/5 wheel)
#   shot FILE                    # screenshot of the whole screen
#   wait_program_exit SECONDS    # the program's exit status, or fails on time-out
#   exit_by_button LABEL         # "Выход" must end the program with status 0, no sanitizer report
#
#   wait_for SECONDS CMD [ARGS...]  # CMD again every 0.2 s until it succeeds; false after SECONDS
#   menu_to X FILE PAGE          # the menu item at reference x X clicked until FILE shows PAGE
#   sanitizer_report [FILE]      # prints the sanitizer report lines of the program's output; true if any
#   probe FILE X Y [X Y ...]     # "R,G,B" of several pixels, one line each, in one pass
#   dark "R,G,B"                 # true for a dark (outline or text) colour
#   picture_at FILE PNG X Y TX TY ...  # the picture drawn at reference (X, Y), judged by some of its texels
#   page_shown FILE [IMAGES]     # start, demonstration, theory or authors, as the screenshot shows it
#   blue_runs FILE Y             # runs of blue pixels along row Y: the particles crossing it
#   dark_pixels FILE X Y W H     # how many pixels of a reference rectangle are dark
#   texts_drawn FILE             # the start page's institution and title lines are drawn
#
# Set E2E_RUN before start_program to keep each run's output apart: the
# output goes to $e2e_shots/$E2E_RUN.out (default: the test's name), and
# E2E_OUTPUT names that file.

set -u

# The program draws as fast as the machine lets it, on a software renderer
# here that would spread each frame over every core. Held to one rendering
# thread it leaves the screenshots and the other tests their share.
export LP_NUM_THREADS=${LP_NUM_THREADS:-1}

e2e_pids=()
e2e_failures=0
e2e_name=$(basename "${0%.sh}")
# A folder per test, so that tests running side by side keep their pictures apart.
e2e_shots=${E2E_SHOTS:-${TMPDIR:-/tmp}/velorin-e2e}/$e2e_name
mkdir -p "$e2e_shots"

e2e_cleanup() {
    local pid
    for pid in "${e2e_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${e2e_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    e2e_pids=()
}
trap e2e_cleanup EXIT

log() { printf '[%s] %s\n' "$e2e_name" "$*"; }

fail() {
    log "FAIL: $*"
    e2e_failures=$((e2e_failures + 1))
}

# Ends the test: non-zero when any check failed.
finish() {
    [ "$e2e_failures" = 0 ] && { log "passed"; exit 0; }
    log "$e2e_failures check(s) failed; screenshots in $e2e_shots"
    exit 1
}

start_display() {
    local width=$1 height=$2 n=100 xvfb i owner
    # Other tests may pick the same free number at the same moment: the
    # display is ours only once the lock file Xvfb writes holds our server's pid.
    while :; do
        while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
        Xvfb ":$n" -screen 0 "${width}x${height}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
        xvfb=$!
        owner=""
        for i in $(seq 200); do
            kill -0 "$xvfb" 2>/dev/null || break
            owner=$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock" || true)
            [ "$owner" = "$xvfb" ] && [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.05
        done
        if [ "$owner" = "$xvfb" ] && kill -0 "$xvfb" 2>/dev/null; then break; fi
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
        n=$((n + 1))
    done
    e2e_pids+=("$xvfb")
    export DISPLAY=":$n"
    # The socket appears before the server listens on it: wait for a client to
    # get in. (-noreset: without it the server resets whenever its last client
    # leaves, and refuses the next one for a moment.)
    for i in $(seq 200); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.05
    done
    E2E_WIDTH=$width
    E2E_HEIGHT=$height
    # Park the pointer away from every control.
    xdotool mousemove $((width / 2)) $((height / 2))
}

# start_program BINARY DIR [ARGS...]: the program runs in DIR (where fonts/ and images/ are).
start_program() {
    local binary=$1 dir=$2
    shift 2
    E2E_OUTPUT="$e2e_shots/${E2E_RUN:-$e2e_name}.out"
    # Niced: it draws as fast as it can, and would otherwise hold back the
    # clicks and screenshots that check it, living (and drawing) the longer.
    (cd "$dir" && exec nice -n 10 "$binary" "$@") >"$E2E_OUTPUT" 2>&1 &
    E2E_PROGRAM=$!
    e2e_pids+=($E2E_PROGRAM)
    local i
    for i in $(seq 200); do
        if xdotool search --name '^velorin$' >/dev/null 2>&1; then
            E2E_WINDOW=$(xdotool search --name '^velorin$' | head -n 1)
            # The window is black until its first frame is presented, which
            # on a loaded machine may take longer than the second below.
            for i in $(seq 100); do
                [ "$(import -window "$E2E_WINDOW" png:- 2>/dev/null | convert - -format '%[fx:mean>0]' info: 2>/dev/null)" = 1 ] && break
                sleep 0.1
            done
            return 0
        fi
        kill -0 "$E2E_PROGRAM" 2>/dev/null || { fail "the program ended before its window appeared"; return 1; }
        sleep 0.1
    done
    fail "no window titled velorin within 20 s"
    return 1
}

program_running() { kill -0 "$E2E_PROGRAM" 2>/dev/null; }
program_ended() { ! program_running; }

# The size of the program's window, "WIDTHxHEIGHT".
window_size() {
    xwininfo -id "$E2E_WINDOW" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}

# Reference pixels (1920 x 1080 layout) to screen pixels, as the program scales them.
sx() { awk -v x="$1" -v w="$E2E_WIDTH" 'BEGIN {printf "%d", w * x / 1920}'; }
sy() { awk -v y="$1" -v h="$E2E_HEIGHT" 'BEGIN {printf "%d", h * y / 1080}'; }

# The pause lets a frame begin after the move: the program hit-tests a press
# at the pointer it sampled when its frame began. What the click does is
# waited for by the caller.
click() { xdotool mousemove "$1" "$2" sleep 0.15 click "${3:-1}"; }

# click_ref X Y [BUTTON]: a click at a reference position.
click_ref() { click "$(sx "$1")" "$(sy "$2")" "${3:-1}"; }

shot() { import -window root "$e2e_shots/$1" && printf '%s' "$e2e_shots/$1"; }

wait_program_exit() {
    wait_for "$1" program_ended || { fail "the program did not end within $1 s"; return 124; }
    wait "$E2E_PROGRAM"
}

# A frame may take long on a loaded machine: a check waits for what it needs,
# with a generous limit, rather than sleeping and hoping.
wait_for() {
    local end=$((SECONDS + $1))
    shift
    while :; do
        "$@" && return 0
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.2
    done
}

# shows_page NAME PAGE: the screenshot NAME (under $e2e_shots, its path in
# SHOT) shows PAGE.
shows_page() {
    SHOT=$(shot "$1")
    [ "$(page_shown "$SHOT" "${dir:-}/images")" = "$2" ]
}

# menu_to X NAME PAGE: a click on the menu item at reference x X until the
# screenshot NAME shows PAGE, three tries. The program hit-tests a press at
# the pointer it sampled when its frame began: on a loaded machine a frame
# may begin before the pointer got there, and the press lands on nothing.
# A menu item pressed twice shows the same page, so a try more is safe.
menu_to() {
    local try
    for try in 1 2 3; do
        click_ref "$1" 32
        wait_for 10 shows_page "$2" "$3" && return 0
    done
    return 1
}

# What AddressSanitizer and UndefinedBehaviorSanitizer print when they find a fault.
sanitizer_report() {
    grep -E -m 20 'ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:|SUMMARY: (Address|Undefined)' \
        "${1:-$E2E_OUTPUT}"
}

probe() {
    local file=$1 format="" x y
    shift
    while [ $# -ge 2 ]; do
        x=$1 y=$2
        shift 2
        format+="%[fx:int(255*p{$x,$y}.r+0.5)],%[fx:int(255*p{$x,$y}.g+0.5)],%[fx:int(255*p{$x,$y}.b+0.5)]\n"
    done
    convert "$file" -format "$format" info:
}

dark() { local r g b && IFS=, read -r r g b <<<"$1" && [ $((r + g + b)) -lt 300 ]; }

# Colours within 12 of each other in every channel.
similar() {
    awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, ","); split(b, y, ",")
        for (i = 1; i <= 3; i++) if (x[i] - y[i] > 12 || y[i] - x[i] > 12) exit 1 }'
}

# picture_at FILE PNG X Y TX TY [TX TY ...]: true when the screenshot shows
# the picture PNG drawn at reference (X, Y), scaled as the program scales
# its pictures: each listed texel (TX, TY) of PNG is on screen where the
# scaled picture puts it, within 12 per channel.
picture_at() {
    local file=$1 png=$2 x=$3 y=$4 points=() texels=() i
    shift 4
    [ -f "$png" ] || return 1
    texels=("$@")
    for ((i = 0; i < ${#texels[@]}; i += 2)); do
        points+=("$(awk -v x="$x" -v t="${texels[i]}" -v w="$E2E_WIDTH" 'BEGIN {printf "%d", w * x / 1920 + (t + 0.5) * w / 1920}')"
                 "$(awk -v y="$y" -v t="${texels[i + 1]}" -v h="$E2E_HEIGHT" 'BEGIN {printf "%d", h * y / 1080 + (t + 0.5) * h / 1080}')")
    done
    local got=() want=()
    mapfile -t got < <(probe "$file" "${points[@]}")
    mapfile -t want < <(probe "$png" "${texels[@]}")
    [ ${#got[@]} -eq ${#want[@]} ] && [ ${#want[@]} -gt 0 ] || return 1
    for ((i = 0; i < ${#want[@]}; i++)); do
        similar "${got[i]}" "${want[i]}" || return 1
    done
}

# The page a screenshot shows, told by marks that need neither the font nor
# the pictures: the left outlines of the count box and of the Start button
# (demonstration), the left outline of the theory scrollbar (theory). The
# authors page is told by the first portrait (background, face, shoulders),
# compared with photo1.png of IMAGES (the program's data folder); without
# it, or without the portrait on screen, the authors page reads as the
# start page.
page_shown() {
    local file=$1 images=${2:-} colours=()
    mapfile -t colours < <(probe "$file" $(($(sx 20) - 1)) "$(sy 322)" $(($(sx 20) - 1)) "$(sy 672)" \
        $(($(sx 1854) - 1)) "$(sy 700)" $(($(sx 1854) - 1)) "$(sy 850)")
    if dark "${colours[0]}" && dark "${colours[1]}"; then echo demonstration; return; fi
    if dark "${colours[2]}" && dark "${colours[3]}"; then echo theory; return; fi
    if [ -n "$images" ] && picture_at "$file" "$images/photo1.png" 166 420 30 30 140 150 140 300; then
        echo authors
        return
    fi
    echo start
}

blue_runs() {
    convert "$1" -crop "${E2E_WIDTH}x1+0+$2" +repage -depth 8 txt:- |
        awk -F'[:,() ]+' 'NR > 1 { blue = ($3 == 0 && $4 == 0 && $5 == 255); if (blue && !was) n++; was = blue } END { print n + 0 }'
}

dark_pixels() {
    local file=$1 x=$2 y=$3 w=$4 h=$5
    convert "$file" -crop "$(sx "$w")x$(sy "$h")+$(sx "$x")+$(sy "$y")" +repage -colorspace gray \
        -threshold 50% -negate -format '%[fx:int(mean*w*h+0.5)]' info:
}

texts_drawn() {
    [ "$(dark_pixels "$1" 740 90 400 45)" -gt 50 ] && [ "$(dark_pixels "$1" 625 300 600 45)" -gt 50 ]
}

# exit_by_button LABEL: a click on "Выход"; the program must end with status
# 0 and without a sanitizer report. Then everything started is stopped, ready
# for the next display.
exit_by_button() {
    local label=$1 status
    click_ref 200 1020
    wait_program_exit 10
    status=$?
    [ "$status" = 0 ] || fail "$label: the exit button ended the program with status $status"
    [ -z "$(sanitizer_report)" ] || fail "$label: sanitizer report: $(sanitizer_report | head -n 3)"
    e2e_cleanup
}
