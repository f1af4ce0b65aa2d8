# Figures of a sample run, shared by the demo and its report. Source it.

# words_in_place ASSEMBLED CAPTIONS: prints the share of caption words that
# the assembled sentences have in the same place, then the share that always
# writing the most common word of each place would score, both in percent.
words_in_place() {
  paste -d '\t' "$1" "$2" | awk -F '\t' '
    { n = split($1, got, " "); m = split($2, want, " ")
      for (i = 1; i <= m; i++) {
        total++; if (i <= n && got[i] == want[i]) right++
        if (++seen[i, want[i]] > best[i]) best[i] = seen[i, want[i]]
      } }
    END {
      for (i in best) common += best[i]
      if (total == 0) { print "0.0 0.0"; exit }
      printf "%.1f %.1f\n", 100 * right / total, 100 * common / total
    }'
}

# pixels_right IMAGES GENERATED SIZE: prints the share of the first SIZE
# positions of every image that the learner generated right, then the share
# that the most common image (the most common value at every position)
# scores, both in percent.
pixels_right() {
  awk -v size="$3" '
    FNR == 1 { file++ }
    file == 1 {
      split($0, t, ",")
      for (p = 1; p <= size; p++) {
        truth[FNR, p] = t[p]
        if (++count[p, t[p]] > best[p]) best[p] = count[p, t[p]]
      }
      images = FNR
    }
    file == 2 && FNR % 2 == 0 {
      split($0, g, " ")
      for (p = 1; p <= size; p++) { total++; if (g[p] == truth[FNR / 2, p]) right++ }
    }
    END {
      for (p = 1; p <= size; p++) common += best[p]
      if (total == 0 || images == 0) { print "0.0 0.0"; exit }
      printf "%.1f %.1f\n", 100 * right / total, 100 * common / (images * size)
    }' "$1" "$2"
}

# sample_figures FOLDER GENERATED SIZE: the figures of a sample run folder
# on one line, each beside its baseline: words in place of
# FOLDER/assembled.txt against FOLDER/captions.txt, then pixels right of
# GENERATED against FOLDER/images.csv.
sample_figures() {
  local words pixels
  words=$(words_in_place "$1/assembled.txt" "$1/captions.txt")
  pixels=$(pixels_right "$1/images.csv" "$2" "$3")
  echo "$words $pixels"
}
