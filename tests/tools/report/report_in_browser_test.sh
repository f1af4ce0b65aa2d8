#!/usr/bin/env bash
# Opens a sample run's report in headless Chromium: the page must raise no
# console message or script error, every picture must load, and its
# screenshot must not be blank. Exits 77 (skipped) without Chromium.
#
#   report_in_browser_test.sh SOURCE BUILD PNG_CHECK
set -euo pipefail

source_dir="$1"
build="$2"
png_check="$3"
chromium=/usr/bin/chromium
if [ ! -x "$chromium" ]; then
  echo "skipped: no $chromium (Debian: apt-get install chromium)"
  exit 77
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
run="$work/run"

"$build/tools/sample_data/hn_sample_data" --kind shapes --pairs 24 --out "$run" >/dev/null
(cd "$run" && "$build/learner/driver/hn_learner" --seed 1 >learner.log)
(cd "$run/assembler" && "$build/assembler/sentence_assembler")
mkdir -p "$run/text_to_image"
cp "$run/sentences.csv" "$run/images.csv" "$run/text_to_image/"
sed '1s/^[^[:space:]]*/0/' "$run/configure.txt" >"$run/text_to_image/configure.txt"
(cd "$run/text_to_image" && "$build/learner/driver/hn_learner" --seed 1 >learner.log)
. "$source_dir/tools/lib/held_out.sh"
held_out "$build" "$run" 1
printf 'build\t1.00 s\n' >"$run/timings.txt"
"$source_dir/tools/report.sh" --build "$build" --run "$run" --width 12 --height 12

browse() {
  timeout 90 "$chromium" --headless --no-sandbox --disable-gpu --disable-quic \
    --no-first-run --disable-background-networking --disable-component-update \
    --disable-sync --user-data-dir="$(mktemp -d "$work/profile.XXXXXX")" \
    --enable-logging=stderr --v=0 --virtual-time-budget=5000 \
    --window-size=1100,1600 "$@" "file://$run/report.html"
}

failed=0
# Both the training and the held-out figures, each beside its baseline.
figures=$(grep -c '<td class="figure"><b>[0-9.]*%</b></td><td class="baseline">[0-9.]*%</td>' "$run/report.html" || true)
if [ "$figures" -ne 2 ] || [ "$(grep -o 'class="figure"' "$run/report.html" | wc -l)" -ne 4 ]; then
  echo "FAIL: the report does not show four figures beside their baselines"
  failed=1
fi
grep -q 'held out: the last 5 pairs, learned from the first 19 alone' "$run/report.html" ||
  { echo "FAIL: the held-out pairs are not named"; failed=1; }

browse --dump-dom >"$work/dom.html" 2>"$work/dom.log"
body=$(grep -o '<body[^>]*>' "$work/dom.html" || true)
echo "body: $body"
images=$(sed -n 's/.*data-images="\([0-9]*\)".*/\1/p' <<<"$body")
if [ -z "$images" ] || [ "$images" -lt 16 ]; then
  echo "FAIL: expected at least 16 pictures, the page reports '${images}'"
  failed=1
fi
grep -q 'data-broken-images="0"' <<<"$body" || { echo "FAIL: pictures failed to load"; failed=1; }
grep -q 'data-errors="0"' <<<"$body" || { echo "FAIL: script errors"; failed=1; }
if grep 'CONSOLE' "$work/dom.log"; then
  echo "FAIL: the page wrote to the console"
  failed=1
fi

browse --screenshot="$work/report.png" >/dev/null 2>"$work/shot.log"
"$png_check" "$work/report.png" || { echo "FAIL: the screenshot is blank"; failed=1; }

if [ "$failed" -eq 0 ]; then echo "report checked in Chromium: passed"; fi
exit "$failed"
