#!/usr/bin/env bash
# Builds the programs, generates a sample data set into sample-run/, learns
# from it in both directions, learns again from the first 80% of the pairs
# alone and generates for the other 20% (held out), prints a summary a
# person can judge and writes sample-run/report.html with the pictures.
#
#   tools/demo.sh [--pairs N] [--seed S] [--kind shapes|scenes]
#                 [--whole-first-fragment]
#
# --whole-first-fragment is handed to sentence_assembler.
#
# Needs a compiler and CMake; installs libpng-dev for the pictures when it is
# missing and the machine lets it (the summary is printed without them).
set -euo pipefail

usage="usage: tools/demo.sh [--pairs N] [--seed S] [--kind shapes|scenes] [--whole-first-fragment]"
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
assembler_options=()
while (($# > 0)); do
  case "$1" in
    --whole-first-fragment) assembler_options=("$1"); shift ;;
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
. "$root/tools/lib/held_out.sh"

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
(cd "$demo/assembler" && "$build/assembler/sentence_assembler" "${assembler_options[@]}")
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

# Held out: learn from the first 80% of the pairs alone, and generate for
# the other 20% with the saved population.
held_out="$demo/held_out"
start=$(now)
held_out "$build" "$demo" "$seed" "${assembler_options[@]}"
trained=0
if [ -d "$held_out" ]; then
  trained=$((pairs - $(wc -l <"$held_out/captions.txt")))
  printf '%s\t%s\n' "held out: learn from $trained, generate for $((pairs - trained))" \
    "$(seconds_since "$start")" >>"$demo/timings.txt"
fi

assembled_with=""
((${#assembler_options[@]} == 0)) || assembled_with=", sentences assembled with ${assembler_options[*]}"
echo "Sample run on $pairs caption-image pairs of $width×$height $kind (seed $seed$assembled_with), in sample-run/"
echo
awk -F '\t' '{ printf "  %-46s %s\n", $1, $2 }' "$demo/timings.txt"
echo
echo "Training accuracy (share of the learner's 4800 image positions generated right):"
sed 's/^/  /' "$demo/result.txt"
if ((width * height < 4800)); then
  echo "  (positions past the $width×$height image always agree; the report plots"
  echo "  the share over the image's own positions)"
fi
echo
echo "Assembled sentences beside their true captions (pairs learned from):"
paste -d '\t' "$demo/assembled.txt" "$demo/captions.txt" | awk -F '\t' '
  NR <= 5 { printf "  assembled: %s\n  true:      %s\n\n", $1, $2 }'

echo "Pair 0: its true image (left) and the one generated from its caption (right),"
echo "$drawn:"
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
echo

size=$((width * height))
read -r words_right words_baseline pixels_share pixels_baseline < <(sample_figures "$demo" \
  "$demo/text_to_image/generated_images.txt" "$size")
if ((trained > 0)); then
  read -r held_words held_words_baseline held_pixels held_pixels_baseline < <(sample_figures \
    "$held_out" "$held_out/generated_images.txt" "$size")
  held_pairs="learned from pairs 0 to $((trained - 1)), scored on pairs $trained to $((pairs - 1))"
else
  held_words="-" held_words_baseline="-" held_pixels="-" held_pixels_baseline="-"
  held_pairs="needs 2 pairs or more"
fi
echo "Figures, each beside its baseline on the same pairs:"
echo "  training: learned from all $pairs pairs and scored on them;"
echo "  held-out: $held_pairs."
echo
awk 'function share(v) { return v == "-" ? v : v "%" }
BEGIN {
  row = "  %-40s %9s %9s %10s %9s\n"
  printf row, "", "training", "baseline", "held-out", "baseline"
  printf row, "image to text, caption words in place", share(ARGV[1]), share(ARGV[2]), share(ARGV[3]), share(ARGV[4])
  printf row, "text to image, image positions right", share(ARGV[5]), share(ARGV[6]), share(ARGV[7]), share(ARGV[8])
}' "$words_right" "$words_baseline" "$held_words" "$held_words_baseline" \
  "$pixels_share" "$pixels_baseline" "$held_pixels" "$held_pixels_baseline"
echo "  (baselines: always writing the most common caption word of each place;"
echo "  the most common image, the most common value at every position)"
echo
if ((trained > 0)); then
  echo "hn_learner --load-model's own held-out lines (the first counts all 4800"
  echo "positions; the second only the image's own, as above; the third the share"
  echo "of generated fragments found in the true sentence, not words in place):"
  grep '^held-out' "$held_out/learner.log" | sed 's/^/  /'
  echo
fi

if [ -x "$build/tools/render/hn_render" ]; then
  "$root/tools/report.sh" --build "$build" --run "$demo" --width "$width" --height "$height"
  echo "Report with the pictures: sample-run/report.html"
else
  echo "Report skipped: hn_render needs libpng (Debian: apt-get install libpng-dev)"
fi
