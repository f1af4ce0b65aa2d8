"""The Python module's training on a sample data set, timed beside what
hn_scaling_bench times for the same phases: converting the numpy arrays,
sampling and the epochs (one fit call), then generation both ways.

  python3 bench/python_fit_bench.py DIR [--threads N]

DIR holds sentences.csv and images.csv as hn_sample_data writes them
(hn_sample_data --pairs 64000 --seed 1 --out DIR gives the scaling bench's
largest set); the images are read once into DIR/images.npy. The settings
are the scaling bench's: order 3, order2 3, 20 hyperedges per pair, 3
epochs, weight-update parameter 0.5, seed 1."""
import argparse
import time
from pathlib import Path

import numpy as np

import hn


def read_data(folder):
    sentences = [[int(word) for word in line.split(",")]
                 for line in open(folder / "sentences.csv")]
    cached = folder / "images.npy"
    if not cached.exists():
        values = np.fromstring(
            (folder / "images.csv").read_text().replace("\n", ","),
            dtype=np.uint8, sep=",")
        np.save(cached, values.reshape(len(sentences), -1))
    return sentences, np.load(cached)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder", type=Path)
    parser.add_argument("--threads", type=int, default=None)
    arguments = parser.parse_args()
    sentences, images = read_data(arguments.folder)
    print(f"{len(sentences)} pairs, images {images.shape} {images.dtype}")

    learner = hn.Learner(order=3, order2=3, epochs=3, weight_update=0.5,
                         per_line=20, seed=1, threads=arguments.threads)
    steps = {}

    def progress(step, done, total):
        if done == total:
            steps[step] = time.monotonic()

    started = time.monotonic()
    accuracies = learner.fit(sentences, images, progress=progress)
    fitted = time.monotonic()
    print(f"fit (conversion, sampling, 3 epochs): {fitted - started:.2f} s, "
          f"{len(learner)} hyperedges, accuracies "
          + " ".join(f"{a:g}" for a in accuracies))
    before = started
    for step, at in steps.items():
        print(f"  up to the end of {step}: {at - before:.2f} s")
        before = at
    learner.generate_images(sentences)
    imaged = time.monotonic()
    print(f"text->image generation: {imaged - fitted:.2f} s")
    steps.clear()
    learner.generate_text(images, progress=progress)
    done = time.monotonic()
    print(f"image->text generation: {done - imaged:.2f} s, of which "
          f"{done - steps['generation']:.2f} s making the Python objects")


if __name__ == "__main__":
    main()
