#!/usr/bin/env bash
# Writes RUN/report.html: one self-contained page (pictures embedded, plot
# inline, nothing fetched) showing what a sample run learned: the figures
# of both directions on the pairs learned from and on held-out pairs, each
# beside its baseline, the accuracy per epoch, generated images beside the
# true ones, assembled sentences beside the true captions, and the run's
# settings and timings.
#
#   tools/report.sh --build BUILD --run RUN [--width W] [--height H] [--shown N]
#
# RUN is a folder as tools/demo.sh leaves it: the sample data, the learner's
# run script and output of image to text, the assembled sentences, and
# text_to_image/ with the output of text to image; held_out/ with the pairs
# held out from learning under the same names, their assembled sentences
# and generated_images.txt (its figures are shown when present); timings.txt
# (label, tab, time per line) is shown when present. hn_render comes from
# BUILD.
set -euo pipefail

width=80
height=60
shown=8
build=""
run=""
while (($# > 0)); do
  case "$1" in
    --build) build="$2"; shift 2 ;;
    --run) run="$2"; shift 2 ;;
    --width) width="$2"; shift 2 ;;
    --height) height="$2"; shift 2 ;;
    --shown) shown="$2"; shift 2 ;;
    *) echo "usage: tools/report.sh --build BUILD --run RUN [--width W] [--height H] [--shown N]" >&2; exit 2 ;;
  esac
done
if [ -z "$build" ] || [ -z "$run" ]; then
  echo "tools/report.sh: needs --build and --run" >&2
  exit 2
fi

. "$(dirname "$0")/lib/figures.sh"

render="$build/tools/render/hn_render"
pictures="$run/pictures"
size=$((width * height))
scale=$(( (160 + width - 1) / width ))

rm -rf "$pictures"
"$render" --width "$width" --height "$height" --scale "$scale" --count "$shown" \
  --out "$pictures/true" "$run/images.csv" >/dev/null
"$render" --width "$width" --height "$height" --scale "$scale" --count "$shown" \
  --out "$pictures/generated" "$run/text_to_image/generated_images.txt" >/dev/null

html_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g'; }
data_uri() { printf 'data:image/png;base64,%s' "$(base64 -w 0 "$1")"; }

pairs=$(wc -l <"$run/captions.txt")
read -r words_right words_baseline pixels_right_share pixels_baseline < <(sample_figures \
  "$run" "$run/text_to_image/generated_images.txt" "$size")
held_out="$run/held_out"
if [ -f "$held_out/assembled.txt" ] && [ -f "$held_out/generated_images.txt" ]; then
  read -r held_words held_words_baseline held_pixels held_pixels_baseline < <(sample_figures \
    "$held_out" "$held_out/generated_images.txt" "$size")
  held_pairs=$(wc -l <"$held_out/captions.txt")
  held_heading="held out: the last $held_pairs pairs, learned from the first $((pairs - held_pairs)) alone"
else
  held_words="" held_words_baseline="" held_pixels="" held_pixels_baseline=""
  held_heading="held out: none in this run"
fi

# The learner's accuracy counts all 4800 positions of its image buffer; past
# a smaller image both the true and the generated buffer hold -1, so those
# positions always agree. The plot shows the share over the image's own
# positions.
accuracy_plot() {
  awk -v size="$size" '
    /accuracy:/ { n++; epoch[n] = $(NF - 2); raw = $NF
                  own[n] = 1 - (1 - raw) * 4800 / size; if (own[n] < 0) own[n] = 0 }
    END {
      w = 520; h = 260; left = 50; right = 20; top = 20; bottom = 40
      pw = w - left - right; ph = h - top - bottom
      printf "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" role=\"img\" aria-label=\"accuracy per epoch\">\n", w, h
      printf "<rect x=\"0\" y=\"0\" width=\"%d\" height=\"%d\" fill=\"#fff\"/>\n", w, h
      for (t = 0; t <= 100; t += 25) {
        y = top + ph * (1 - t / 100)
        printf "<line x1=\"%d\" y1=\"%.1f\" x2=\"%d\" y2=\"%.1f\" stroke=\"#ddd\"/>", left, y, left + pw, y
        printf "<text x=\"%d\" y=\"%.1f\" font-size=\"11\" text-anchor=\"end\">%d%%</text>\n", left - 6, y + 4, t
      }
      for (i = 1; i <= n; i++) {
        px[i] = left + (n == 1 ? pw / 2 : pw * (i - 1) / (n - 1)); py[i] = top + ph * (1 - own[i])
        printf "<text x=\"%.1f\" y=\"%d\" font-size=\"11\" text-anchor=\"middle\">%s</text>\n", px[i], top + ph + 16, epoch[i]
      }
      printf "<text x=\"%d\" y=\"%d\" font-size=\"12\" text-anchor=\"middle\">epoch</text>\n", left + pw / 2, h - 4
      printf "<polyline fill=\"none\" stroke=\"#2850dc\" stroke-width=\"2\" points=\""
      for (i = 1; i <= n; i++) printf "%.1f,%.1f ", px[i], py[i]
      printf "\"/>\n"
      for (i = 1; i <= n; i++) printf "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"4\" fill=\"#2850dc\"><title>epoch %s: %.1f%%</title></circle>\n", px[i], py[i], epoch[i], 100 * own[i]
      printf "</svg>\n"
    }' "$run/result.txt"
}

image_rows() {
  local k
  for ((k = 0; k < shown; k++)); do
    [ -f "$pictures/true/record_$k.png" ] || break
    local caption
    caption=$(sed -n "$((k + 1))p" "$run/captions.txt" | html_escape)
    printf '<figure><img alt="true image %d" src="%s"><img alt="generated image %d" src="%s"><figcaption>%d: %s</figcaption></figure>\n' \
      "$k" "$(data_uri "$pictures/true/record_$k.png")" \
      "$k" "$(data_uri "$pictures/generated/record_$k.png")" "$k" "$caption"
  done
}

sentence_rows() {
  paste -d '\t' "$run/assembled.txt" "$run/captions.txt" | head -n "$((shown * 2))" |
    html_escape | awk -F '\t' '
      { sub(/ +$/, "", $1); mark = $1 == $2 ? "right" : "wrong"
        printf "<tr class=\"%s\"><td>%d</td><td>%s</td><td>%s</td></tr>\n", mark, NR - 1, $1, $2 }'
}

settings_rows() {
  html_escape <"$run/configure.txt" | awk '
    { token = $1; $1 = ""; sub(/^ /, "")
      printf "<tr><td>%d</td><td><code>%s</code></td><td>%s</td></tr>\n", NR, token, $0 }'
}

timing_rows() {
  [ -f "$run/timings.txt" ] || return 0
  html_escape <"$run/timings.txt" | awk -F '\t' '{ printf "<tr><td>%s</td><td>%s</td></tr>\n", $1, $2 }'
}

# A figure and its baseline in two cells; empty cells where there is none.
figure_cells() {
  if [ -n "$1" ]; then
    printf '<td class="figure"><b>%s%%</b></td><td class="baseline">%s%%</td>' "$1" "$2"
  else
    printf '<td></td><td></td>'
  fi
}

cat >"$run/report.html" <<HTML
<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Sample run report</title>
<style>
body { font-family: sans-serif; margin: 24px; color: #222; max-width: 1100px; }
h1 { font-size: 22px; } h2 { font-size: 18px; margin-top: 28px; }
td.figure { font-size: 18px; } .baseline { color: #666; }
figure { display: inline-block; margin: 6px; text-align: center; font-size: 12px; }
figure img { image-rendering: pixelated; border: 1px solid #999; margin: 2px; }
table { border-collapse: collapse; font-size: 13px; }
td, th { border: 1px solid #ccc; padding: 3px 8px; text-align: left; }
tr.right td { background: #e8f6e8; }
</style>
<script>
  // Records script errors and pictures that fail to load, so a headless
  // browser can check the page from its DOM.
  window.reportErrors = 0;
  window.addEventListener("error", function () { window.reportErrors++; }, true);
  window.addEventListener("load", function () {
    var broken = 0;
    for (var i = 0; i < document.images.length; i++) {
      var image = document.images[i];
      if (!image.complete || image.naturalWidth === 0) broken++;
    }
    document.body.setAttribute("data-images", String(document.images.length));
    document.body.setAttribute("data-broken-images", String(broken));
    document.body.setAttribute("data-errors", String(window.reportErrors));
  });
</script>
</head>
<body>
<h1>What the learner learned from $pairs caption–image pairs</h1>
<table>
<tr><th></th><th colspan="2">training: on the pairs learned from (all $pairs)</th><th colspan="2">${held_heading}</th></tr>
<tr><th></th><th>learner</th><th>baseline</th><th>learner</th><th>baseline</th></tr>
<tr><td>Image to text: caption words in their place</td>$(figure_cells "$words_right" "$words_baseline")$(figure_cells "$held_words" "$held_words_baseline")</tr>
<tr><td>Text to image: image positions right</td>$(figure_cells "$pixels_right_share" "$pixels_baseline")$(figure_cells "$held_pixels" "$held_pixels_baseline")</tr>
</table>
<p class="baseline">Baselines, on the same pairs: always writing the most common word of each place;
the most common image, the most common value at every position.</p>

<h2>Accuracy per epoch</h2>
<p>Share of the ${width}×${height} image positions generated right from each caption during training.</p>
$(accuracy_plot)

<h2>Generated images beside the true ones</h2>
<p>Each pair: the true image, then the one generated from its caption.
White is background; magenta marks a position for which nothing was generated.</p>
$(image_rows)

<h2>Assembled sentences beside the true captions</h2>
<table>
<tr><th>pair</th><th>assembled from the image</th><th>true caption</th></tr>
$(sentence_rows)
</table>

<h2>Settings</h2>
<table>
<tr><th>line</th><th>entry</th><th>meaning</th></tr>
$(settings_rows)
</table>

<h2>Timings</h2>
<table>
$(timing_rows)
</table>
</body>
</html>
HTML
