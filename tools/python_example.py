"""The README's Python example: learn captions from 80% of the sample shapes,
save the model, caption the other 20% from their images alone and score
them. Run it in a folder that hn_sample_data --kind shapes wrote."""
import numpy as np

import hn

sentences = [[int(word) for word in line.split(",")]
             for line in open("sentences.csv")]
images = np.loadtxt("images.csv", delimiter=",", dtype=np.int32)
captions = open("captions.txt").read().splitlines()
words = ["aa"] + open("dic.txt").read().splitlines()  # value 0 is "aa"

# Train on pairs 0 to 159, as hn_learner --seed 1 with the run script of
# the sample data does, and save the population.
learner = hn.Learner(order=2, order2=2, epochs=3, weight_update=0.5,
                     per_line=80, seed=1)
accuracies = learner.fit(sentences[:160], images[:160])
print("accuracy per epoch:", " ".join(f"{a:g}" for a in accuracies))
learner.save("captions.model")

# Caption pairs 160 to 199 from their images alone, with the saved model.
captioner = hn.Learner.load("captions.model")
sentences_made = hn.assemble(captioner.generate_text(images[160:]), words)
for made, caption in list(zip(sentences_made, captions[160:]))[:5]:
    print(f"{made}|{caption}")

# The held-out figures that hn_learner --load-model prints.
for name, figure in captioner.score(sentences[160:], images[160:]).items():
    print(f"{name}: {figure:g}")
