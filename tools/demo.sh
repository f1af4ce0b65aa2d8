#!/usr/bin/env bash
# Builds the programs, generates a sample data set into sample-run/, learns
# from it in both directions, prints a summary a person can judge and writes
# sample-run/report.html with the pictures.
#
#   tools/demo.sh [--pairs N] [--seed S] [--kind shapes|scenes]
#
# Needs a compiler and CMake; installs libpng-dev for the pictures when it is
# missing and the machine lets it (the summary is printed without them).
set -euo pipefail

usage="usage: tools/demo.sh [--pairs N] [--seed S] [--kind shapes|scenes]"
refuse() {
  echo "tools/demo.sh: $1" >&2
  echo "$usage" >&2
  exit 2
}

# Every option is checked here, before anything is built or deleted;
# hn_sample_data checks the ranges again when it writes the data.
pairs=200
seed=1
kind=shapes
while (($# > 0)); do
  case "$1" in
    --pairs | --seed | --kind)
      (($# >= 2)) || refuse "$1 needs a value"
      case "$1" in
        --pairs) pairs="$2" ;;
        --seed) seed="$2" ;;
        --kind) kind="$2" ;;
      esac
      shift 2 ;;
    *) refuse "unknown option '$1'" ;;
  esac
done
[[ "$pairs" =~ ^[1-9][0-9]*$ ]] || refuse "--pairs takes a whole number from 1, not '$pairs'"
[[ "$seed" =~ ^[0-9]+$ ]] || refuse "--seed takes a whole number from 0, not '$seed'"
case "$kind" in
  shapes) width=12; height=12; column_step=1; row_step=1; drawn="every column and row" ;;
  scenes) width=80; height=60; column_step=2; row_step=4; drawn="every 2nd column, 4th row" ;;
  *) refuse "--kind is shapes or scenes, not '$kind'" ;;
esac

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
demo="$root/sample-run"
. "$root/tools/lib/figures.sh"

install_libpng() {
  dpkg -s libpng-dev >/dev/null 2>&1 && return 0
  command -v apt-get >/dev/null 2>&1 || return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || return 0
    sudo="sudo"
  fi
  echo "installing libpng-dev for the report's pictures"
  { $sudo apt-get update && $sudo env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y --no-install-recommends libpng-dev; } >/dev/null ||
    echo "could not install libpng-dev: the report is skipped"
}

now() { date +%s%N; }
seconds_since() { awk -v start="$1" -v end="$(now)" 'BEGIN { printf "%.2f s", (end - start) / 1e9 }'; }

install_libpng
start=$(now)
cmake -S "$root" -B "$build" >/dev/null
targets=(hn_learner sentence_assembler hn_sample_data)
grep -q '^PNG_LIBRARY_RELEASE:FILEPATH=/' "$build/CMakeCache.txt" && targets+=(hn_render)
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null
build_time=$(seconds_since "$start")

# The data is written beside the previous run, which is replaced only once
# hn_sample_data has taken the options and written every file.
staging="$demo.new"
rm -rf "$staging"
start=$(now)
"$build/tools/sample_data/hn_sample_data" --kind "$kind" --pairs "$pairs" --seed "$seed" --out "$staging" >/dev/null ||
  { status=$?; rm -rf "$staging"; exit "$status"; }
rm -rf "$demo"
mv "$staging" "$demo"
data_time=$(seconds_since "$start")

# Image to text, as the sample run script says.
start=$(now)
(cd "$demo" && "$build/learner/driver/hn_learner" --seed "$seed" >learner.log)
text_time=$(seconds_since "$start")

start=$(now)
(cd "$demo/assembler" && "$build/assembler/sentence_assembler")
assembly_time=$(seconds_since "$start")

# Text to image: the same run script with direction 0, in a folder of its own.
mkdir -p "$demo/text_to_image"
cp "$demo/sentences.csv" "$demo/images.csv" "$demo/text_to_image/"
sed '1s/^[^[:space:]]*/0/' "$demo/configure.txt" >"$demo/text_to_image/configure.txt"
start=$(now)
(cd "$demo/text_to_image" && "$build/learner/driver/hn_learner" --seed "$seed" >learner.log)
image_time=$(seconds_since "$start")

printf '%s\t%s\n' "build" "$build_time" \
  "generate the sample data" "$data_time" \
  "hn_learner, image to text" "$text_time" \
  "sentence_assembler" "$assembly_time" \
  "hn_learner, text to image" "$image_time" >"$demo/timings.txt"

echo "Sample run on $pairs caption-image pairs of $width×$height $kind (seed $seed), in sample-run/"
echo
awk -F '\t' '{ printf "  %-44s %s\n", $1, $2 }' "$demo/timings.txt"
echo
echo "Training accuracy (share of the learner's 4800 image positions generated right):"
sed 's/^/  /' "$demo/result.txt"
if ((width * height < 4800)); then
  echo "  (positions past the $width×$height image always agree; the report plots"
  echo "  the share over the image's own positions)"
fi
echo
echo "Assembled sentences beside their true captions:"
paste -d '\t' "$demo/assembled.txt" "$demo/captions.txt" | awk -F '\t' '
  NR <= 5 { printf "  assembled: %s\n  true:      %s\n\n", $1, $2 }'
read -r words_right words_baseline < <(words_in_place "$demo/assembled.txt" "$demo/captions.txt")
echo "  image to text, words in their right place: $words_right%"
echo "  (always writing the most common caption word of each place: $words_baseline%)"
echo

echo "Generated image of pair 0 beside the true one ($drawn):"
awk -v width="$width" -v height="$height" -v cstep="$column_step" -v rstep="$row_step" '
  function glyph(v) { return v == -1 ? " " : v == 0 ? "." : v == 1 ? "r" : v == 2 ? "g" : v == 3 ? "b" : "?" }
  FNR == 1 { file++ }
  file == 1 && FNR == 1 { split($0, truth, ",") }
  file == 2 && FNR == 2 { split($0, first, " ") }
  END {
    for (r = 0; r < height; r += rstep) {
      line = "  "
      for (c = 0; c < width; c += cstep) line = line glyph(truth[r * width + c + 1])
      line = line "   "
      for (c = 0; c < width; c += cstep) line = line glyph(first[r * width + c + 1])
      print line
    }
  }' "$demo/images.csv" "$demo/text_to_image/generated_images.txt"
echo "  (. background, r red, g green, b blue, blank: nothing generated)"
read -r pixels_share pixels_baseline < <(pixels_right "$demo/images.csv" \
  "$demo/text_to_image/generated_images.txt" "$((width * height))")
echo
echo "  text to image, image positions generated right: $pixels_share%"
echo "  (the most common image, the most common value at every position: $pixels_baseline%)"
echo

if [ -x "$build/tools/render/hn_render" ]; then
  "$root/tools/report.sh" --build "$build" --run "$demo" --width "$width" --height "$height"
  echo "Report with the pictures: sample-run/report.html"
else
  echo "Report skipped: hn_render needs libpng (Debian: apt-get install libpng-dev)"
fi
