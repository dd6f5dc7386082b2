#!/usr/bin/env bash
# The program in broken surroundings still starts and stays usable: its
# window appears, the exit button ends it with status 0 and the sanitizers
# stay silent; with its data broken, menu clicks still change the screen.
# On a projector's 1280 x 720, where screenshots cost half as much as at
# 1920 x 1080 and the layout is the same. Each case runs a copy of the
# program in its own temporary folder with a doctored copy of its data:
#   (a) no images folder;
#   (b) pictures that are truncated, text, empty or a folder: each reported
#       once, in the order the program reads them;
#   (c) no font; a font file that is text, beside a theory picture cut off
#       mid-way and intact others (the one reported, the others drawn); a
#       font cut off mid-way;
#   (d) started from another working directory, and through a symlink from
#       a working directory that no longer exists: it finds its data beside
#       itself.
# The copies are real copies, not links: a program that finds no data where
# it starts looks beside its own executable, which must not lead back to the
# build folder.
# Usage: test_surroundings.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
binary=$1 dir=$2
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

work=$(mktemp -d "${TMPDIR:-/tmp}/velorin-surroundings.XXXXXX")
trap 'e2e_cleanup; rm -rf "$work"' EXIT

start_display 1280 720

# A folder with a copy of the program and of its data, to be doctored.
make_case() {
    case_dir="$work/$1"
    mkdir -p "$case_dir"
    cp "$binary" "$case_dir/velorin"
    cp -r "$dir/fonts" "$dir/images" "$case_dir/"
}

# The first logo, judged by two of its particles and the channel between them.
logo_drawn() { picture_at "$1" "$2/Imrel.png" 70 80 40 60 97 60 70 50; }

# Start the program of a case and check what every case must keep: the
# window and the start page (its screenshot in START_SHOT). CASE_IMAGES names
# the data folder the program should be showing (for the authors page), if any.
open_case() {
    local name=$1 program=$2 where=$3
    log "case $name"
    E2E_RUN="surroundings-$name"
    start_program "$program" "$where" || return 1
    START_SHOT=$(shot "surroundings-$name-start.png")
    [ "$(page_shown "$START_SHOT" "${CASE_IMAGES:-}")" = start ] || fail "$name: the first screen is not the start page"
}

# With broken data the menu still works: the demonstration screen (its
# screenshot in DEMO_SHOT), then the authors page, which reads as the start
# page when no portrait is drawn (PAGE).
through_menus() {
    local name=$1 authors_page=$2
    menu_to 700 "surroundings-$name-demonstration.png" demonstration ||
        fail "$name: a click on the menu did not show the demonstration screen"
    DEMO_SHOT=$SHOT
    menu_to 1700 "surroundings-$name-authors.png" "$authors_page" || fail "$name: the authors page is not as expected"
}

close_case() {
    local name=$1
    click_ref 200 1020 # "Выход"
    wait_program_exit 20
    local status=$?
    [ "$status" = 0 ] || fail "$name: the exit button ended the program with status $status"
    if sanitizer_report "$E2E_OUTPUT" >/dev/null; then
        fail "$name: sanitizer report:"
        sanitizer_report "$E2E_OUTPUT" | sed 's/^/    /'
    fi
    # The display stays for the next case; the program goes.
    if program_running; then
        kill "$E2E_PROGRAM" 2>/dev/null
        wait "$E2E_PROGRAM" 2>/dev/null
    fi
    e2e_pids=("${e2e_pids[0]}")
}

# The pictures the program said did not load, in the order it said so: each
# once, from its own thread (none of the drawing library's lines from the
# decoding threads).
check_reported() {
    local name=$1 expected=$2 got
    got=$(sed -n 's/^velorin: the picture .*images\/\([^/ ]*\)\.png did not load (.*/\1/p' "$E2E_OUTPUT" | tr '\n' ' ')
    [ "$got" = "$expected" ] || fail "$name: pictures reported as '$got', expected '$expected'"
    ! grep -q 'Failed to load image' "$E2E_OUTPUT" || fail "$name: the drawing library reported a picture itself"
}

# ---------------------------------------------------------------- (a)
make_case no-images
rm -r "$case_dir/images"
CASE_IMAGES="" open_case no-images "$case_dir/velorin" "$case_dir" && {
    texts_drawn "$START_SHOT" || fail "no-images: the start page texts are missing"
    ! logo_drawn "$START_SHOT" "$dir/images" || fail "no-images: the first logo is drawn"
    through_menus no-images start
    [ "$(dark_pixels "$SHOT" 785 865 400 45)" -gt 50 ] || fail "no-images: the authors page texts are missing"
    close_case no-images
    check_reported no-images "Imrel Dovra Theory photo1 photo2 "
}

# ---------------------------------------------------------------- (b)
make_case bad-pictures
images=$case_dir/images
head -c "$(($(stat -c %s "$images/Imrel.png") / 2))" "$dir/images/Imrel.png" >"$images/Imrel.png"
printf 'Это не картинка, а текст.\n' >"$images/Dovra.png"
head -c 100 "$dir/images/Theory.png" >"$images/Theory.png" # signature and header only
: >"$images/photo1.png"
rm "$images/photo2.png"
mkdir "$images/photo2.png"
CASE_IMAGES="" open_case bad-pictures "$case_dir/velorin" "$case_dir" && {
    texts_drawn "$START_SHOT" || fail "bad-pictures: the start page texts are missing"
    through_menus bad-pictures start
    [ "$(dark_pixels "$SHOT" 785 865 400 45)" -gt 50 ] || fail "bad-pictures: the authors page texts are missing"
    close_case bad-pictures
    check_reported bad-pictures "Imrel Dovra Theory photo1 photo2 "
}

# ---------------------------------------------------------------- (c)
# Without a usable font the texts draw nothing, but every button still works.
font_case() {
    local name=$1 expect_texts=$2
    CASE_IMAGES="$case_dir/images" open_case "$name" "$case_dir/velorin" "$case_dir" || return
    logo_drawn "$START_SHOT" "$case_dir/images" || fail "$name: the first logo is not drawn"
    through_menus "$name" authors
    if [ "$expect_texts" = none ]; then
        ! texts_drawn "$START_SHOT" || fail "$name: texts drawn without a font"
        # The label "Старт" would be here, inside the Start button: not even
        # the small box the drawing library marks glyphs with when a font
        # did not load.
        [ "$(dark_pixels "$DEMO_SHOT" 100 648 200 50)" = 0 ] || fail "$name: the Start button has a label"
    fi
    close_case "$name"
}

make_case no-font
rm -r "$case_dir/fonts"
font_case no-font none

# Beside a theory picture cut off mid-way, the other pictures intact.
make_case text-font-cut-theory
printf 'Это не шрифт.\n' >"$case_dir/fonts/ArialCyr.ttf"
head -c "$(($(stat -c %s "$dir/images/Theory.png") * 2 / 3))" "$dir/images/Theory.png" >"$case_dir/images/Theory.png"
font_case text-font-cut-theory none
check_reported text-font-cut-theory "Theory "

make_case cut-font
head -c "$(($(stat -c %s "$dir/fonts/ArialCyr.ttf") / 3))" "$dir/fonts/ArialCyr.ttf" >"$case_dir/fonts/ArialCyr.ttf"
font_case cut-font maybe

# ---------------------------------------------------------------- (d)
# Started elsewhere, the program works from the folder it lives in: the
# logo and the texts are drawn.
elsewhere_case() {
    local name=$1 program=$2 where=$3
    CASE_IMAGES="$dir/images" open_case "$name" "$program" "$where" || return
    logo_drawn "$START_SHOT" "$dir/images" || fail "$name: the first logo is not drawn"
    texts_drawn "$START_SHOT" || fail "$name: the start page texts are missing"
    close_case "$name"
}

mkdir -p "$work/empty"
elsewhere_case other-directory "$binary" "$work/empty"

# Through a symlink, from a working directory removed between the shell's
# cd and the program's start: neither where it was started nor the name it
# was started by leads to its data.
mkdir -p "$work/links" "$work/gone"
ln -s "$binary" "$work/links/velorin"
cat >"$work/start-in-gone" <<EOF
#!/bin/sh
cd "$work/gone" && rmdir "$work/gone" && exec "$work/links/velorin"
EOF
chmod +x "$work/start-in-gone"
elsewhere_case symlink-from-removed-directory "$work/start-in-gone" "$work"

finish
