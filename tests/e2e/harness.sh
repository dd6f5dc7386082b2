# End-to-end harness: drives the built program as a person would, on its own
# Xvfb display. Source it, then call the functions below; everything started
# here is stopped when the script exits.
#
#   start_display 1920 1080      # Xvfb on a free display, DISPLAY exported
#   start_program BINARY DIR     # run BINARY in DIR, wait for its window
#   click X Y [BUTTON]           # move there and press/release (1 left, 2 middle, 3 right, 4/5 wheel)
#   shot FILE                    # screenshot of the whole screen
#   pixel FILE X Y               # "R,G,B" of one pixel of a screenshot
#   expect_pixel FILE X Y R,G,B [TOLERANCE]
#   wait_program_exit SECONDS    # the program's exit status, or fails on time-out

set -u

e2e_pids=()
e2e_failures=0
e2e_name=$(basename "${0%.sh}")
e2e_shots=${E2E_SHOTS:-${TMPDIR:-/tmp}/velorin-e2e}
mkdir -p "$e2e_shots"

e2e_cleanup() {
    local pid
    for pid in "${e2e_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${e2e_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap e2e_cleanup EXIT

log() { printf '[%s] %s\n' "$e2e_name" "$*"; }

fail() {
    log "FAIL: $*"
    e2e_failures=$((e2e_failures + 1))
}

# Ends the test: non-zero when any check failed.
finish() {
    if [ "$e2e_failures" -gt 0 ]; then
        log "$e2e_failures check(s) failed; screenshots in $e2e_shots"
        exit 1
    fi
    log "passed"
    exit 0
}

start_display() {
    local width=$1 height=$2 n=100
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "${width}x${height}x24" -nolisten tcp >/dev/null 2>&1 &
    e2e_pids+=($!)
    local i
    for i in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.05
    done
    export DISPLAY=":$n"
    E2E_WIDTH=$width
    E2E_HEIGHT=$height
    # Park the pointer away from every control.
    xdotool mousemove $((width / 2)) $((height / 2))
}

# start_program BINARY DIR: the program runs in DIR (where fonts/ and images/ are).
start_program() {
    local binary=$1 dir=$2
    (cd "$dir" && exec "$binary") >"$e2e_shots/$e2e_name.out" 2>&1 &
    E2E_PROGRAM=$!
    e2e_pids+=($E2E_PROGRAM)
    local i
    for i in $(seq 200); do
        if xdotool search --name '^velorin$' >/dev/null 2>&1; then
            E2E_WINDOW=$(xdotool search --name '^velorin$' | head -n 1)
            sleep 1 # the first frames
            return 0
        fi
        kill -0 "$E2E_PROGRAM" 2>/dev/null || { fail "the program ended before its window appeared"; return 1; }
        sleep 0.1
    done
    fail "no window titled velorin within 20 s"
    return 1
}

program_running() { kill -0 "$E2E_PROGRAM" 2>/dev/null; }

# The size of the program's window, "WIDTHxHEIGHT".
window_size() {
    xwininfo -id "$E2E_WINDOW" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}

# Reference pixels (1920 x 1080 layout) to screen pixels, as the program scales them.
sx() { awk -v x="$1" -v w="$E2E_WIDTH" 'BEGIN {printf "%d", w * x / 1920}'; }
sy() { awk -v y="$1" -v h="$E2E_HEIGHT" 'BEGIN {printf "%d", h * y / 1080}'; }

move() { xdotool mousemove "$1" "$2"; sleep 0.15; }

click() {
    local button=${3:-1}
    xdotool mousemove "$1" "$2"
    sleep 0.15
    xdotool click "$button"
    sleep 0.3
}

# click_ref X Y [BUTTON]: a click at a reference position.
click_ref() { click "$(sx "$1")" "$(sy "$2")" "${3:-1}"; }

# drag X1 Y1 X2 Y2: press at the first point, move in small steps, release at the second.
drag() {
    local x1=$1 y1=$2 x2=$3 y2=$4 i steps=12
    xdotool mousemove "$x1" "$y1"
    sleep 0.15
    xdotool mousedown 1
    sleep 0.15
    for i in $(seq $steps); do
        xdotool mousemove $((x1 + (x2 - x1) * i / steps)) $((y1 + (y2 - y1) * i / steps))
        sleep 0.05
    done
    sleep 0.2
    xdotool mouseup 1
    sleep 0.3
}

wheel() {
    local direction=$1 count=${2:-1} button=5
    [ "$direction" = up ] && button=4
    local i
    for i in $(seq "$count"); do
        xdotool click "$button"
        sleep 0.05
    done
    sleep 0.3
}

shot() {
    local file="$e2e_shots/$1"
    import -window root "$file"
    printf '%s' "$file"
}

pixel() {
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -n 1 | sed -E 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/'
}

# expect_pixel FILE X Y R,G,B [TOLERANCE] [WHAT]
expect_pixel() {
    local file=$1 x=$2 y=$3 want=$4 tolerance=${5:-0} what=${6:-}
    local got
    got=$(pixel "$file" "$x" "$y")
    local r g b wr wg wb
    IFS=, read -r r g b <<<"$got"
    IFS=, read -r wr wg wb <<<"$want"
    local d
    for d in $((r - wr)) $((g - wg)) $((b - wb)); do
        if [ "${d#-}" -gt "$tolerance" ]; then
            fail "pixel ($x, $y) of $(basename "$file") is $got, expected $want ${what:+($what)}"
            return 1
        fi
    done
    return 0
}

# count_colour FILE R,G,B X Y W H: how many pixels of the region have exactly this colour.
count_colour() {
    local file=$1 colour=$2 x=$3 y=$4 w=$5 h=$6
    convert "$file" -crop "${w}x${h}+${x}+${y}" +repage -fill black +opaque "rgb($colour)" \
        -fill white -opaque "rgb($colour)" -format '%[fx:int(mean*w*h+0.5)]' info:
}

wait_program_exit() {
    local seconds=$1 i
    for i in $(seq $((seconds * 10))); do
        if ! program_running; then
            wait "$E2E_PROGRAM"
            return $?
        fi
        sleep 0.1
    done
    fail "the program did not end within $seconds s"
    return 124
}
