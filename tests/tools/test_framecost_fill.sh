#!/usr/bin/env bash
# framecost --fill on a small virtual display, as a technician would run it
# on a hall's machine: every kind of drawing gets a figure in its unit and
# the pages' own texts are drawn; without the program's data beside it the
# tool says so and ends with 1, rather than print figures that flatter.
# Usage: test_framecost_fill.sh BUILD_DIR
set -u
dir=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
elsewhere=$(mktemp -d)
trap 'rm -rf "$elsewhere"' EXIT

fill() { xvfb-run -a -s "-screen 0 640x360x24 -nolisten tcp" "$@" --fill --seconds 0.05 --rounds 1 --warmup 0 2>&1; }

got=$(fill "$dir/framecost")
code=$?
[ "$code" = 0 ] || fail "status $code: $got"
figures=$(grep -cE '^  .+ -?[0-9]+\.[0-9]+ (ns per pixel|us per quad|us per glyph)$' <<<"$got")
[ "$figures" = 6 ] || fail "$figures figures of 6 in: $got"
grep -qE '^  bare frame +[0-9.]+ ms +[0-9.]+ ns per window pixel$' <<<"$got" || fail "no bare frame in: $got"
glyphs=$(sed -nE 's/.*, ([0-9]+) glyphs;.*/\1/p' <<<"$got")
[ "${glyphs:-0}" -gt 100 ] || fail "${glyphs:-no} glyphs of the pages' texts: $got"
! grep -qiE 'nan|inf' <<<"$got" || fail "a figure that is no number: $got"

cp "$dir/framecost" "$elsewhere/"
got=$(cd "$elsewhere" && fill ./framecost)
code=$?
[ "$code" = 1 ] || fail "without data: status $code, expected 1"
grep -q "no font found" <<<"$got" || fail "without data, no reason given: $got"
[ "$failures" = 0 ]
