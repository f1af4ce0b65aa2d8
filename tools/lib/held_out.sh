# Held-out pairs of a sample run, shared by the demo and the report's test.
# Source it.

# held_out BUILD RUN SEED [ASSEMBLER OPTION...]: learns from the first 80% of
# the pairs in the sample run folder RUN alone, saves the population, and
# generates for the other 20% with --load-model, both ways, into
# RUN/held_out/. That folder holds the held-out pairs under the usual names
# (sentences.csv, images.csv, captions.txt) beside assembled.txt and
# generated_images.txt, so that its figures are computed as the training
# ones are; learner.log holds the held-out scores that --load-model prints,
# since both data files are there. Does nothing for fewer than 2 pairs.
held_out() {
  local build="$1" run="$2" seed="$3"
  shift 3
  local pairs trained held folder file
  pairs=$(wc -l <"$run/captions.txt")
  trained=$((pairs * 4 / 5))
  held=$((pairs - trained))
  ((trained > 0)) || return 0
  folder="$run/held_out"
  mkdir -p "$folder"
  cp -r "$run/assembler" "$folder/"
  head -n "$trained" "$run/sentences.csv" >"$folder/train_sentences.csv"
  head -n "$trained" "$run/images.csv" >"$folder/train_images.csv"
  for file in sentences.csv images.csv captions.txt; do
    tail -n "$held" "$run/$file" >"$folder/$file"
  done
  sed '7s/^[^[:space:]]*/train_sentences.csv/; 8s/^[^[:space:]]*/train_images.csv/' \
    "$run/configure.txt" >"$folder/configure.txt"
  (cd "$folder" && "$build/learner/driver/hn_learner" --seed "$seed" --save-model model >training.log)

  # Text from the held-out images, then images from their sentences.
  sed -i '7s/^[^[:space:]]*/sentences.csv/; 8s/^[^[:space:]]*/images.csv/' "$folder/configure.txt"
  (cd "$folder" && "$build/learner/driver/hn_learner" --load-model model >learner.log)
  (cd "$folder/assembler" && "$build/assembler/sentence_assembler" "$@")
  sed -i '1s/^[^[:space:]]*/0/' "$folder/configure.txt"
  (cd "$folder" && "$build/learner/driver/hn_learner" --load-model model >/dev/null)
}
