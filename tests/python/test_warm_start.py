"""warm_start: a fit goes on from the population the learner holds, as
hn_learner --continue-from goes on from a model file."""
import numpy as np

import hn
from conftest import image_output, run_learner, shapes, text_output

SETTINGS = ("2", "3", "3", "0.3", "6")


def learner(**options):
    return hn.Learner(order=2, order2=3, epochs=3, weight_update=0.3,
                      per_line=6, **options)


def accuracy_values(stdout):
    return [line.rsplit(" ", 1)[1] for line in stdout if " accuracy: " in line]


def halves(pairs, seed):
    sentences, images = shapes(pairs, seed=seed)
    half = pairs // 2
    return ((sentences[:half], images[:half]),
            (sentences[half:], images[half:]))


def test_warm_fits_give_what_continued_hn_learner_runs_give(
        tmp_path, learner_program):
    first, second = halves(50, seed=4)
    folder = tmp_path / "run"
    run_learner(learner_program, folder, *first, SETTINGS, "1", "--seed", "1",
                "--save-model", "m.model")
    stdout, text = run_learner(learner_program, folder, *second, SETTINGS,
                               "1", "--seed", "1", "--continue-from",
                               "m.model", "--save-model", "m.model")

    warm = learner(seed=1, warm_start=True)
    cold = learner(seed=1)
    # With nothing to go on from, a warm fit is a fit.
    warm.fit(*first)
    cold.fit(*first)
    assert np.array_equal(warm.population[1], cold.population[1])

    accuracies = warm.fit(*second)
    assert [f"{a:g}" for a in accuracies] == accuracy_values(stdout)
    warm.save(tmp_path / "module.model")
    assert (tmp_path / "module.model").read_bytes() == \
        (folder / "m.model").read_bytes()
    assert text_output(warm.generate_text(second[1])) == text
    assert len(warm) > len(cold)


def test_a_loaded_learner_goes_on_as_hn_learner_continue_from_does(
        tmp_path, learner_program):
    first, second = halves(40, seed=6)
    folder = tmp_path / "run"
    run_learner(learner_program, folder, *first, SETTINGS, "0", "--seed", "3",
                "--save-model", "a.model")
    stdout, written = run_learner(learner_program, folder, *second, SETTINGS,
                                  "0", "--seed", "8", "--continue-from",
                                  "a.model", "--save-model", "ab.model")

    loaded = hn.Learner.load(folder / "a.model", epochs=3, weight_update=0.3,
                             per_line=6, seed=8, warm_start=True)
    assert "warm_start=True" in repr(loaded)
    assert [f"{a:g}" for a in loaded.fit(*second)] == accuracy_values(stdout)
    loaded.save(tmp_path / "module.model")
    assert (tmp_path / "module.model").read_bytes() == \
        (folder / "ab.model").read_bytes()
    assert image_output(loaded.generate_images(second[0])) == written
