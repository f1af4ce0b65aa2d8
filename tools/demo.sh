#!/usr/bin/env bash
# Builds the programs, generates the sample data set into sample-run/, learns
# from it in both directions and prints a summary a person can judge.
#
#   tools/demo.sh [--pairs N] [--seed S]
set -euo pipefail

pairs=200
seed=1
while (($# > 0)); do
  case "$1" in
    --pairs) pairs="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    *) echo "usage: tools/demo.sh [--pairs N] [--seed S]" >&2; exit 2 ;;
  esac
done

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
demo="$root/sample-run"

now() { date +%s%N; }
seconds_since() { awk -v start="$1" -v end="$(now)" 'BEGIN { printf "%.2f s", (end - start) / 1e9 }'; }

start=$(now)
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target hn_learner sentence_assembler hn_sample_data >/dev/null
build_time=$(seconds_since "$start")

rm -rf "$demo"
start=$(now)
"$build/tools/sample_data/hn_sample_data" --pairs "$pairs" --seed "$seed" --out "$demo" >/dev/null
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

echo "Sample run on $pairs caption-image pairs (seed $seed), in sample-run/"
echo
printf '  %-44s %s\n' "build" "$build_time" \
  "generate the sample data" "$data_time" \
  "hn_learner, image to text" "$text_time" \
  "sentence_assembler" "$assembly_time" \
  "hn_learner, text to image" "$image_time"
echo
echo "Training accuracy (share of image positions generated right):"
sed 's/^/  /' "$demo/result.txt"
echo
echo "Assembled sentences beside their true captions:"
paste -d '\t' "$demo/assembled.txt" "$demo/captions.txt" | awk -F '\t' '
  NR <= 5 { printf "  assembled: %s\n  true:      %s\n\n", $1, $2 }
  { n = split($1, got, " "); m = split($2, want, " ")
    for (i = 1; i <= m; i++) {
      total++; if (i <= n && got[i] == want[i]) right++
      if (++seen[i, want[i]] > best[i]) best[i] = seen[i, want[i]]
    } }
  END {
    for (i in best) common += best[i]
    printf "  words in their right place: %.0f%% of %d", 100 * right / total, total
    printf " (always writing the most common caption word\n  of each place would score %.0f%%)\n\n", 100 * common / total
  }'

echo "Generated image of pair 0 beside the true one (every 2nd column, 4th row):"
awk -v pairs="$pairs" '
  function glyph(v) { return v == -1 ? " " : v == 0 ? "." : v == 1 ? "r" : v == 2 ? "g" : v == 3 ? "b" : "?" }
  FNR == 1 { file++ }
  file == 1 && FNR == 1 { split($0, truth, ",") }
  file == 1 { n = split($0, t, ","); rows[FNR] = $0 }
  file == 2 && FNR % 2 == 0 {
    k = FNR / 2; split(rows[k], t, ","); n = split($0, g, " ")
    for (p = 1; p <= n; p++) { total++; if (g[p] == t[p]) right++ }
    if (k == 1) for (p = 1; p <= n; p++) first[p] = g[p]
  }
  END {
    for (r = 0; r < 60; r += 4) {
      line = "  "
      for (c = 0; c < 80; c += 2) line = line glyph(truth[r * 80 + c + 1])
      line = line "   "
      for (c = 0; c < 80; c += 2) line = line glyph(first[r * 80 + c + 1])
      print line
    }
    printf "\n  pixels generated right over all pairs: %.1f%%\n", 100 * right / total
  }' "$demo/images.csv" "$demo/text_to_image/generated_images.txt"
echo "  (. background, r red, g green, b blue, blank: nothing generated)"
