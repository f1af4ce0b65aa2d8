"""Bad input: pairs hn_learner leaves out are left out the same way, with a
warning naming their rows; what cannot be data at all raises, naming what
and where."""
import math
import warnings

import numpy as np
import pytest

import hn
from conftest import shapes


def fitted(sentences, images, **settings):
    learner = hn.Learner(order=2, order2=2, per_line=4, seed=1, **settings)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        learner.fit(sentences, images)
    return learner


def same_population(a, b):
    return all(np.array_equal(x, y) for x, y in zip(a.population,
                                                      b.population))


def with_row(rows, row, value):
    rows = list(rows)
    rows[row] = value
    return rows


SKIPPED = [
    # (what is wrong with row 2, its sentence, its image, the warning)
    ("a sentence shorter than order", [5], None, "fewer than order 2"),
    ("an image without values", None, [], "no values to sample"),
    ("an image of 4801 values", None, [0] * 4801, "has 4801 values"),
    ("an image value above 214747", None, [214748] * 4,
     "214748 at position 0 is outside 0..214747"),
    ("a negative image value", None, [0, -3], "-3 at position 1"),
]


@pytest.mark.parametrize("fault, sentence, image, message", SKIPPED,
                         ids=[case[0] for case in SKIPPED])
def test_pairs_the_program_skips_are_skipped_with_a_warning_naming_the_row(
        fault, sentence, image, message):
    sentences, images = shapes(12)
    images = [list(row) for row in images]
    bad_sentences = with_row(sentences, 2, sentence or sentences[2])
    bad_images = with_row(images, 2, images[2] if image is None else image)
    learner = hn.Learner(order=2, order2=2, per_line=4, seed=1)
    with pytest.warns(UserWarning, match="1 pair is left out.*row 2 .*" +
                      message):
        learner.fit(bad_sentences, bad_images)
    without = fitted(sentences[:2] + sentences[3:], images[:2] + images[3:])
    assert same_population(learner, without), fault


def test_a_sentence_holding_the_wildcard_is_named_and_kept():
    sentences, images = shapes(6)
    sentences[4] = [3, -1, 7]
    with pytest.warns(UserWarning, match="sentences row 4: sentence value -1 "
                      "is the wildcard"):
        hn.Learner(order=2, order2=2, per_line=4, seed=1).fit(sentences,
                                                               images)


def test_no_pair_to_learn_from_gives_nan_accuracies_with_a_warning():
    learner = hn.Learner(order=4, order2=2, epochs=2, per_line=4, seed=1)
    with pytest.warns(UserWarning, match="no sentence-image pair"):
        accuracies = learner.fit([[1, 2]], [[0, 1]])
    assert len(accuracies) == 2 and all(map(math.isnan, accuracies))
    assert len(learner) == 0


VALUES = [
    ("a float word", [[1, 2.5, 3]], None, "sentences row 0, value 1: 2.5 is "
     "not an integer"),
    ("a bool word", [[1, True, 3]], None, "True is not an integer"),
    ("a word beyond 32 bits", [[1, 2**31, 3]], None,
     "value 1: 2147483648 is outside the 32-bit range"),
    ("a text row", ["1,2,3"], None, "sentences row 0: '1,2,3' is not a "
     "sequence of integers"),
    ("a flat list", [1, 2, 3], [[0, 1]] * 3,
     "sentences row 0: 1 is not a sequence"),
    ("a float image array", None, np.zeros((1, 4)), "images must hold "
     "integers, not float64"),
    ("an unsigned image value beyond 32 bits", None,
     np.full((1, 4), 2**64 - 1, dtype=np.uint64), "images row 0, value 0: "
     "18446744073709551615 is outside the 32-bit range"),
    ("a 1-D image array", None, np.zeros(4, dtype=int), "images must be a "
     "2-D integer array"),
    ("more sentences than images", [[1, 2, 3], [1, 2, 3]], None,
     "2 sentences and 1 images"),
]


@pytest.mark.parametrize("fault, sentences, images, message", VALUES,
                         ids=[case[0] for case in VALUES])
def test_what_cannot_be_data_raises_value_error(fault, sentences, images,
                                                message):
    sentences = [[1, 2, 3]] if sentences is None else sentences
    images = [[0, 1, 2, 3]] if images is None else images
    learner = hn.Learner(order=2, order2=2, per_line=4, seed=1)
    with pytest.raises(ValueError, match=message):
        learner.fit(sentences, images)


SETTINGS = [
    ({"order": -1}, "order -1 is negative"),
    ({"order2": 4801}, "order2 4801 is above 4800"),
    ({"order": 60001}, "order 60001 is above 60000"),
    ({"epochs": -2}, "epochs -2 is negative"),
    ({"per_line": 2**40}, "per_line 1099511627776 is above 2147483647"),
    ({"order": 2.0}, "order must be a whole number, not 2.0"),
    ({"weight_update": float("nan")}, "weight_update nan is not a finite"),
    ({"weight_update": float("inf")}, "weight_update inf is not a finite"),
    ({"weight_update": "0.5"}, "weight_update must be a number"),
    ({"seed": -1}, "seed -1 is negative"),
    ({"seed": 2**32}, "seed 4294967296 is above 4294967295"),
    ({"threads": 0}, "threads 0 is below 1"),
]


@pytest.mark.parametrize("setting, message", SETTINGS,
                         ids=[str(case[0]) for case in SETTINGS])
def test_settings_hn_learner_refuses_raise_value_error(setting, message):
    with pytest.raises(ValueError, match=message):
        hn.Learner(**setting)


def test_generation_refuses_images_it_cannot_take_and_needs_a_population():
    sentences, images = shapes(8)
    with pytest.raises(RuntimeError, match="no population yet"):
        hn.Learner().generate_text(images)
    learner = fitted(sentences, images)
    with pytest.raises(ValueError, match="images row 1: image value 300000"):
        learner.generate_text([images[0], [300000]])
    with pytest.raises(ValueError, match="images row 0: image line has 4801"):
        learner.generate_text([[0] * 4801])
    assert learner.generate_images([[5]]).tolist() == [[-1] * 4800]


def test_files_that_cannot_be_used_raise_os_error(tmp_path):
    with pytest.raises(OSError, match="missing.model"):
        hn.Learner.load(tmp_path / "missing.model")
    sentences, images = shapes(8)
    learner = fitted(sentences, images)
    with pytest.raises(OSError, match="cannot save the model"):
        learner.save(tmp_path / "no folder" / "m.model")
    learner.save(tmp_path / "m.model")
    damaged = tmp_path / "damaged.model"
    damaged.write_bytes((tmp_path / "m.model").read_bytes()[:-5])
    with pytest.raises(OSError, match="damaged.model"):
        hn.Learner.load(damaged)
