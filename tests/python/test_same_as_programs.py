"""The module against hn_learner: the same data, settings and seed give the
same accuracies, fragments, images, model file and held-out figures, and a
model file written by either is read by the other."""
import numpy as np
import pytest

import hn
from conftest import (image_output, learner_of, run_learner, shapes,
                      text_output)

SEED = 5


def data_with_faults():
    """Pairs the program leaves out (a sentence without a window, images it
    cannot take) among pairs it learns from; the rows it keeps."""
    sentences, images = shapes(60)
    sentences[3] = [4]
    images[5, 10] = 300000
    images[8, 0] = -2
    images = images.tolist()
    images[11] = images[11] + [1] * 4700
    kept = [row for row in range(60) if row not in (3, 5, 8, 11)]
    return sentences, images, kept


def accuracy_values(stdout):
    return [line.rsplit(" ", 1)[1] for line in stdout if " accuracy: " in line]


CASES = [
    # (order, order2, epochs, weight-update parameter, hyperedges per pair)
    pytest.param(("2", "3", "3", "0.5", "10"), [], id="exact-vote-sums"),
    pytest.param(("3", "2", "3", "0.1", "6"), [], id="votes-summed-in-order"),
    pytest.param(("2", "2", "2", "0.5", "4"), ["--literal"], id="literal"),
]


@pytest.mark.parametrize("settings, options", CASES)
def test_training_gives_what_hn_learner_gives(tmp_path, learner_program,
                                              settings, options):
    sentences, images, kept = data_with_faults()
    learner = learner_of([float(v) if "." in v else int(v) for v in settings],
                         seed=SEED, literal=bool(options))
    with pytest.warns(UserWarning, match="4 pairs are left out"):
        accuracies = learner.fit(sentences, images)

    stdout, text = run_learner(learner_program, tmp_path / "text", sentences,
                               images, settings, "1", "--seed", str(SEED),
                               "--save-model", "trained.model", *options)
    assert [f"{accuracy:g}" for accuracy in accuracies] == \
        accuracy_values(stdout)
    learner.save(tmp_path / "module.model")
    assert (tmp_path / "module.model").read_bytes() == \
        (tmp_path / "text" / "trained.model").read_bytes()
    assert text_output(learner.generate_text([images[r] for r in kept])) == \
        text

    _, written = run_learner(learner_program, tmp_path / "images", sentences,
                             images, settings, "0", "--seed", str(SEED),
                             *options)
    assert image_output(learner.generate_images(
        [sentences[r] for r in kept])) == written


def test_a_fit_seeds_anew_and_an_unseeded_fit_still_learns():
    sentences, images = shapes(30)
    learner = hn.Learner(order=2, order2=2, per_line=5, seed=3)
    first = learner.fit(sentences, images)
    vertices, weights = learner.population
    assert learner.fit(sentences, images) == first
    assert np.array_equal(learner.population[0], vertices)
    assert np.array_equal(learner.population[1], weights)
    unseeded = hn.Learner(order=2, order2=2, per_line=5)
    assert len(unseeded.fit(sentences, images)) == 3
    assert len(unseeded) > 0


def held_out_lines(figures):
    return [
        f"held-out text-to-image accuracy: "
        f"{figures['text_to_image_accuracy']:g}",
        f"held-out text-to-image accuracy over the images' own positions: "
        f"{figures['text_to_image_accuracy_own_positions']:g}",
        f"held-out image-to-text: {figures['image_to_text_share']:g} of the "
        f"fragments weighing 1 or more occur in the true sentence "
        f"({figures['image_to_text_found']} of "
        f"{figures['image_to_text_fragments']})",
    ]


def test_a_model_saved_by_the_module_generates_the_same_in_hn_learner(
        tmp_path, learner_program):
    sentences, images = shapes(40, seed=2)
    learner = hn.Learner(order=2, order2=3, per_line=8, seed=SEED)
    learner.fit(sentences[:30], images[:30])
    learner.save(tmp_path / "module.model")
    held_out = (sentences[30:], images[30:])

    settings = ("2", "3", "3", "0.5", "8")
    stdout, text = run_learner(learner_program, tmp_path / "run", *held_out,
                               settings, "1", "--load-model",
                               str(tmp_path / "module.model"))
    assert text == text_output(learner.generate_text(held_out[1]))
    assert stdout[1:] == held_out_lines(learner.score(*held_out))


def test_a_model_saved_by_hn_learner_loads_and_generates_the_same(
        tmp_path, learner_program):
    sentences, images = shapes(40, seed=3)
    settings = ("3", "2", "2", "0.5", "6")
    _, written = run_learner(learner_program, tmp_path, sentences, images,
                             settings, "0", "--seed", str(SEED),
                             "--save-model", "trained.model")
    loaded = hn.Learner.load(tmp_path / "trained.model")
    assert (loaded.order, loaded.order2) == (3, 2)
    assert image_output(loaded.generate_images(sentences)) == written
    trained = learner_of((3, 2, 2, 0.5, 6), seed=SEED)
    trained.fit(sentences, images)
    assert len(loaded) == len(trained)
    assert np.array_equal(loaded.population[0], trained.population[0])
    assert np.array_equal(loaded.population[1], trained.population[1])


FORMS = {
    "int64 rows": lambda images: images.astype(np.int64),
    "uint8 rows": lambda images: images.astype(np.uint8),
    "int16 in Fortran order": lambda images: np.asfortranarray(
        images.astype(np.int16)),
    "big-endian int32": lambda images: images.astype(">i4"),
    "every other column of a wider array": lambda images: np.repeat(
        images, 2, axis=1)[:, ::2],
    "12 x 12 images": lambda images: images.reshape(-1, 12, 12),
    "a list of lists": lambda images: images.tolist(),
    "a list of arrays": lambda images: list(images.astype(np.uint32)),
}


@pytest.mark.parametrize("form", FORMS.values(), ids=FORMS.keys())
def test_every_form_of_the_same_values_trains_the_same(form):
    sentences, images = shapes(20)
    reference = hn.Learner(order=2, order2=2, per_line=5, seed=1)
    expected = reference.fit(np.array([s[:3] for s in sentences]), images)
    learner = hn.Learner(order=2, order2=2, per_line=5, seed=1)
    assert learner.fit([s[:3] for s in sentences], form(images)) == expected
    assert np.array_equal(learner.population[0], reference.population[0])


@pytest.mark.parametrize("weight_update", [0.1, 0.3])
def test_generated_weights_are_the_very_doubles_of_the_literal_engine(
        weight_update):
    sentences, images = shapes(40, seed=7)
    fast, plain = (hn.Learner(order=2, order2=2, per_line=8, seed=1,
                              weight_update=weight_update, literal=literal)
                   for literal in (False, True))
    assert fast.fit(sentences, images) == plain.fit(sentences, images)
    assert fast.generate_text(images) == plain.generate_text(images)
