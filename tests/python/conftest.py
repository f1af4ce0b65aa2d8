"""What the module's tests share: the built programs, small data sets, and
the programs' file formats written from Python values."""
import os
import subprocess
from pathlib import Path

import numpy as np
import pytest

import hn


def program(variable):
    path = os.environ.get(variable)
    if not path or not Path(path).exists():
        pytest.skip(f"{variable} does not name a built program")
    return str(Path(path).resolve())


@pytest.fixture
def learner_program():
    return program("HN_LEARNER")


@pytest.fixture
def assembler_program():
    return program("HN_ASSEMBLER")


def shapes(pairs, seed=1, side=12):
    """Captions of 3 to 5 words (values 1 to 12) with side x side images whose
    values follow the words, so that there is something to learn."""
    rng = np.random.default_rng(seed)
    sentences, images = [], []
    for _ in range(pairs):
        words = list(rng.integers(1, 13, size=int(rng.integers(3, 6))))
        image = np.zeros((side, side), dtype=np.int64)
        image[: side // 2, :] = words[0] % 4
        image[side // 2 :, :] = words[-1] % 4
        image[rng.integers(0, side), rng.integers(0, side)] = 7
        sentences.append([int(w) for w in words])
        images.append(image.reshape(-1))
    return sentences, np.array(images)


def csv_lines(rows):
    return "".join(",".join(str(int(v)) for v in row) + "\n" for row in rows)


def run_script(direction, order, order2, epochs, weight_update, per_line):
    lines = [direction, order, order2, epochs, weight_update, per_line,
             "sentences.csv", "images.csv", "fragments.txt",
             "generated_images.txt"]
    return "".join(f"{line}\n" for line in lines)


def run_learner(path, folder, sentences, images, settings, direction,
                *arguments):
    """hn_learner on CSV files of the same data in `folder`: its standard
    output lines and the text of its output file."""
    folder.mkdir(exist_ok=True)
    if sentences is not None:
        (folder / "sentences.csv").write_text(csv_lines(sentences))
    if images is not None:
        (folder / "images.csv").write_text(csv_lines(images))
    (folder / "configure.txt").write_text(run_script(direction, *settings))
    done = subprocess.run([path, "--quiet", *arguments], cwd=folder,
                          capture_output=True, text=True, check=True)
    output = "generated_images.txt" if direction == "0" else "fragments.txt"
    return done.stdout.splitlines(), (folder / output).read_text()


def text_output(texts):
    """generate_text's result as hn_learner writes its text output file."""
    lines = []
    for pair, fragments in enumerate(texts):
        lines.append(f"line : {pair}")
        for words, weight in fragments:
            lines.append("{(" + ",".join(map(str, words)) + f"):{weight:g}}}")
    return "".join(line + "\n" for line in lines)


def image_output(images):
    """generate_images's result as hn_learner writes its image output file."""
    return "".join(f"line : {pair}\n" + " ".join(map(str, image)) + "\n"
                   for pair, image in enumerate(images))


def learner_of(settings, **options):
    order, order2, epochs, weight_update, per_line = settings
    return hn.Learner(order=order, order2=order2, epochs=epochs,
                      weight_update=weight_update, per_line=per_line,
                      **options)
