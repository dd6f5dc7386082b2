#!/usr/bin/env bash
# The Debian package, as a technician would get it: built with cpack from the
# build folder, checked by lintian and the desktop and AppStream validators,
# unpacked into a scratch root, and its program started from an unrelated
# working directory. It must find its installed data (pictures beside it
# under share/, the font through its link to Liberation Sans) and show all
# four screens with their texts and pictures.
# Usage: test_package.sh BINARY BUILD_DIR
source "$(dirname "$0")/harness.sh"
dir=$2
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

work=$(mktemp -d "${TMPDIR:-/tmp}/velorin-package.XXXXXX")
trap 'e2e_cleanup; rm -rf "$work"' EXIT

log "building the package"
cpack -G DEB --config "$dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; finish; }
version=$(awk -F'"' '/^set\(CPACK_PACKAGE_VERSION /{print $2}' "$dir/CPackConfig.cmake")
deb=$work/out/velorin_${version}_amd64.deb
[ -f "$deb" ] || { fail "no velorin_${version}_amd64.deb: $(ls "$work/out")"; finish; }

depends=$(dpkg-deb -f "$deb" Depends)
for needed in fonts-liberation2 libsfml-graphics libc6; do
    [[ ", $depends" == *", $needed"* ]] || fail "Depends lacks $needed: $depends"
done
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 ||
    fail "lintian: $(grep '^E:' "$work/lintian.log")"

root=$work/root
dpkg -x "$deb" "$root"
font=$root/usr/share/velorin/fonts/ArialCyr.ttf
[ -L "$font" ] && [ "$(readlink "$font")" = /usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf ] ||
    fail "the font is not a link to Liberation Sans: $(ls -l "$font")"
desktop-file-validate "$root/usr/share/applications/velorin.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/velorin.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    fail "appstreamcli validate: $(cat "$work/appstream.log")"
[ "$(stat -c %a "$root/usr/bin/velorin")" = 755 ] || fail "usr/bin/velorin is not mode 755"

images=$root/usr/share/velorin/images
mkdir "$work/elsewhere"
start_display 1920 1080
start_program "$root/usr/bin/velorin" "$work/elsewhere" || finish
! grep -q 'not found' "$E2E_OUTPUT" || fail "the program did not find its data: $(cat "$E2E_OUTPUT")"

file=$(shot package-start.png)
[ "$(page_shown "$file" "$images")" = start ] || fail "launch does not show the start page"
texts_drawn "$file" || fail "the start page texts are missing"
picture_at "$file" "$images/Imrel.png" 70 80 40 60 97 60 70 50 || fail "the first logo is missing"

click_ref 723 32 # "Демонстрация"
file=$(shot package-demonstration.png)
[ "$(page_shown "$file")" = demonstration ] || fail "the demonstration screen is not shown"
[ "$(dark_pixels "$file" 100 648 200 50)" -gt 20 ] || fail "the Start button has no label"

click_ref 1207 32 # "Теория"
file=$(shot package-theory.png)
[ "$(page_shown "$file")" = theory ] || fail "the theory page is not shown"
# At 1920 x 1080 the theory picture is drawn unscaled from (370, 70).
convert "$file" -crop 1400x800+400+100 +repage "$work/screen.png"
convert "$images/Theory.png" -crop 1400x800+30+30 +repage "$work/picture.png"
differ=$(compare -metric AE -fuzz 2% "$work/screen.png" "$work/picture.png" null: 2>&1 || true)
[ "${differ%% *}" -lt 200 ] 2>/dev/null || fail "the theory picture is not shown ($differ pixels differ)"

click_ref 1690 32 # "Авторы"
file=$(shot package-authors.png)
[ "$(page_shown "$file" "$images")" = authors ] || fail "the authors page is not shown"
[ "$(dark_pixels "$file" 785 865 400 45)" -gt 50 ] || fail "the authors page texts are missing"

exit_by_button package
finish
