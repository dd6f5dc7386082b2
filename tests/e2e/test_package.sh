#!/usr/bin/env bash
# The Debian package, as a technician gets it: built by scripts/package
# twice, the second time from a copy of the sources in another folder, and
# the two packages must be the same bytes. Then checked by lintian and the
# desktop and AppStream validators, unpacked into a scratch root, and its
# program started from an unrelated working directory. It must find its
# installed data (pictures beside it under share/, the font through its link
# to Liberation Sans) and show all four screens with their texts and pictures.
# Usage: test_package.sh BINARY BUILD_DIR (neither is used: the packages are
# built in Release, as scripts/package builds them, or taken from
# $VELORIN_PACKAGES when built there for these sources);
# test_package.sh --build DIR only builds them into DIR.
source "$(dirname "$0")/harness.sh"
src=$(cd "$(dirname "$0")/../.." && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/velorin-package.XXXXXX")
trap 'e2e_cleanup; rm -rf "$work"' EXIT

# package SOURCES OUT [VAR=VALUE...]: the package of SOURCES, into OUT.
package() {
    local from=$1 out=$2 start=$SECONDS
    shift 2
    env "$@" "$from/scripts/package" "$out" >"$out.log" 2>&1 ||
        { cat "$out.log"; fail "scripts/package failed in $from"; finish; }
    log "built in $from in $((SECONDS - start)) s"
}

# build_both DIR: the two packages into DIR/one and DIR/two, unless DIR holds
# them already for these very sources: the same names with the same contents
# of every file git would commit, edits not yet committed included.
build_both() {
    local dir=$1 state
    state=$(cd "$src" && git ls-files -z --cached --others --exclude-standard |
        xargs -0 sha256sum 2>/dev/null | sha256sum)
    [ -f "$dir/sources" ] && [ "$(cat "$dir/sources")" = "$state" ] && return 0
    rm -rf "$dir" && mkdir -p "$dir"
    # Every file git would commit, as it is now, elsewhere; outside git the
    # date comes from the caller, here the commit's.
    local epoch copy=$dir/other-folder/velorin
    epoch=$(git -C "$src" log -1 --format=%ct)
    mkdir -p "$copy"
    git -C "$src" ls-files -z --cached --others --exclude-standard |
        (cd "$src" && tar --null --ignore-failed-read -T - -cf -) | tar -xf - -C "$copy"
    package "$src" "$dir/one"
    package "$copy" "$dir/two" SOURCE_DATE_EPOCH="$epoch"
    rm -rf "$dir/other-folder"
    echo "$state" >"$dir/sources"
}

# Building is build work: scripts/test builds both before the tests run
# (test_package.sh --build DIR) and hands them over in VELORIN_PACKAGES.
if [ "${1:-}" = --build ]; then
    build_both "$2"
    finish
fi
packages=${VELORIN_PACKAGES:-$work/packages}
build_both "$packages"
debs=("$packages"/one/velorin_*_amd64.deb)
deb=${debs[0]}
[ -f "$deb" ] || { fail "no velorin_<version>_amd64.deb: $(ls "$packages/one")"; finish; }
other=$packages/two/$(basename "$deb")
if ! cmp "$deb" "$other"; then
    # Which member differs, and in the data, which entries.
    mkdir "$work/ar1" "$work/ar2"
    (cd "$work/ar1" && ar x "$deb") && (cd "$work/ar2" && ar x "$other")
    for member in "$work"/ar1/*; do
        cmp -s "$member" "$work/ar2/${member##*/}" || log "differs: ${member##*/}"
    done
    diff <(tar tvf "$work"/ar1/data.tar.*) <(tar tvf "$work"/ar2/data.tar.*) | head -20
    fail "two builds of the same sources differ"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for needed in fonts-liberation2 libsfml-graphics libc6; do
    [[ ", $depends" == *", $needed"* ]] || fail "Depends lacks $needed: $depends"
done
# Hardened as Debian's own packages: no hardening tag, not even an
# informational one, and no warning but the deliberate absolute font link.
lintian -I "$deb" >"$work/lintian.log" 2>&1
complaints=$(grep -E '^[EW]: |hardening' "$work/lintian.log" |
    grep -v 'W: velorin: absolute-symlink-in-top-level-folder .*\[usr/share/velorin/fonts/ArialCyr.ttf\]$')
[ -z "$complaints" ] || fail "lintian: $complaints"

root=$work/root
dpkg -x "$deb" "$root"
font=$root/usr/share/velorin/fonts/ArialCyr.ttf
[ -L "$font" ] && [ "$(readlink "$font")" = /usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf ] ||
    fail "the font is not a link to Liberation Sans: $(ls -l "$font")"
desktop-file-validate "$root/usr/share/applications/velorin.desktop" || fail "desktop-file-validate"
# The menu's actions start the packaged program with options it knows.
for want in "theory|velorin --theory" "english|velorin --language en"; do
    action=$(sed -n "/^\[Desktop Action ${want%%|*}\]$/,/^\[/s/^Exec=//p" "$root/usr/share/applications/velorin.desktop")
    [ "$action" = "${want#*|}" ] || fail "the desktop action '${want%%|*}' runs '$action'"
    "$root/usr/bin/velorin" ${action#velorin} --version >/dev/null || fail "velorin refuses its desktop action's '$action'"
done
msgunfmt "$root/usr/share/velorin/locale/en/LC_MESSAGES/velorin.mo" | grep -q '^msgstr "Exit"$' &&
    [ -s "$root/usr/share/velorin/images/en/Theory.png" ] || fail "no English catalogue or theory page in the package"
appstreamcli validate --no-net "$root/usr/share/metainfo/velorin.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    fail "appstreamcli validate: $(cat "$work/appstream.log")"
[ "$(stat -c %a "$root/usr/bin/velorin")" = 755 ] || fail "usr/bin/velorin is not mode 755"
icons=$root/usr/share/icons/hicolor
for size in 48 64 128 256; do
    [ "$(identify -format %wx%h "$icons/${size}x$size/apps/velorin.png" 2>&1)" = "${size}x$size" ] ||
        fail "no ${size}x$size icon"
done
[ -f "$icons/scalable/apps/velorin.svg" ] || fail "no scalable icon"
for program in "$root"/usr/bin/*; do
    grep -q "<binary>${program##*/}</binary>" "$root/usr/share/metainfo/velorin.metainfo.xml" ||
        fail "the AppStream file does not list ${program##*/}"
done
# One licence everywhere: the copyright file's MIT text is the repository's.
grep -q '^License: MIT$' "$root/usr/share/doc/velorin/copyright" &&
    grep -q '<project_license>MIT</project_license>' "$root/usr/share/metainfo/velorin.metainfo.xml" ||
    fail "the package does not say MIT"
[ "$(sed -n '/^ Permission/,$p' "$root/usr/share/doc/velorin/copyright" | sed 's/^ \.\?//' | tr -s ' \n' '  ')" = \
  "$(sed -n '/^Permission/,$p' "$src/LICENSE" | tr -s ' \n' '  ')" ] || fail "the copyright file's licence is not LICENSE's"

images=$root/usr/share/velorin/images
mkdir "$work/elsewhere"
start_display 1920 1080
start_program "$root/usr/bin/velorin" "$work/elsewhere" || finish
! grep -q 'not found' "$E2E_OUTPUT" || fail "the program did not find its data: $(cat "$E2E_OUTPUT")"

file=$(shot package-start.png)
[ "$(page_shown "$file" "$images")" = start ] || fail "launch does not show the start page"
texts_drawn "$file" || fail "the start page texts are missing"
picture_at "$file" "$images/Imrel.png" 70 80 40 60 97 60 70 50 || fail "the first logo is missing"

menu_to 723 package-demonstration.png demonstration || fail "the demonstration screen is not shown"
[ "$(dark_pixels "$SHOT" 100 648 200 50)" -gt 20 ] || fail "the Start button has no label"

menu_to 1207 package-theory.png theory || fail "the theory page is not shown"
# At 1920 x 1080 the theory picture is drawn unscaled from (370, 70).
convert "$SHOT" -crop 1400x800+400+100 +repage "$work/screen.png"
convert "$images/Theory.png" -crop 1400x800+30+30 +repage "$work/picture.png"
differ=$(compare -metric AE -fuzz 2% "$work/screen.png" "$work/picture.png" null: 2>&1 || true)
[ "${differ%% *}" -lt 200 ] 2>/dev/null || fail "the theory picture is not shown ($differ pixels differ)"

dir=$root/usr/share/velorin # where menu_to finds the portrait to tell the authors page by
menu_to 1690 package-authors.png authors || fail "the authors page is not shown"
[ "$(dark_pixels "$SHOT" 785 865 400 45)" -gt 50 ] || fail "the authors page texts are missing"

exit_by_button package
finish
