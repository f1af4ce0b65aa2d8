"""Long calls: they release the GIL, can be stopped (Ctrl-C, or an exception
from progress) leaving the learner as it was, report progress, and fits on
two threads give what they give one after the other."""
import _thread
import threading
import time

import numpy as np
import pytest

import hn
from conftest import shapes

SENTENCES, IMAGES = shapes(1500, side=20)


def learner(seed=1):
    return hn.Learner(order=2, order2=4, per_line=30, seed=seed)


def population(trained):
    vertices, weights = trained.population
    return vertices.tobytes() + weights.tobytes()


def test_other_python_threads_run_during_a_fit():
    ticks = 0
    fitting = threading.Event()

    def count():
        nonlocal ticks
        fitting.wait()
        while fitting.is_set():
            ticks += 1
            time.sleep(0.001)

    counter = threading.Thread(target=count)
    counter.start()
    fitting.set()
    started = time.monotonic()
    learner().fit(SENTENCES, IMAGES)
    seconds = time.monotonic() - started
    fitting.clear()
    counter.join()
    # Held by the fit, the GIL would let the counter run a few times at most.
    assert ticks > 20 * seconds


def test_fits_on_two_threads_give_what_they_give_one_after_the_other():
    expected = []
    for seed in (1, 2):
        one = learner(seed)
        one.fit(SENTENCES, IMAGES)
        expected.append(population(one))
    together = [learner(1), learner(2)]
    threads = [threading.Thread(target=each.fit, args=(SENTENCES, IMAGES))
               for each in together]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert [population(each) for each in together] == expected


def stop_on_the(call_number, error):
    calls = 0

    def progress(step, done, total):
        nonlocal calls
        calls += 1
        if calls == call_number:
            raise error

    return progress


@pytest.mark.parametrize("call", ["fit", "generate_images", "generate_text",
                                  "score"])
def test_an_exception_from_progress_stops_the_call_and_changes_nothing(call):
    trained = learner()
    trained.fit(SENTENCES[:300], IMAGES[:300])
    before = population(trained)
    arguments = {"fit": (SENTENCES, IMAGES), "score": (SENTENCES, IMAGES),
                 "generate_images": (SENTENCES,),
                 "generate_text": (IMAGES,)}[call]
    with pytest.raises(ZeroDivisionError):
        getattr(trained, call)(*arguments,
                               progress=stop_on_the(2, ZeroDivisionError()))
    assert population(trained) == before


def test_ctrl_c_stops_a_fit_and_leaves_the_learner_as_it_was():
    trained = learner()
    trained.fit(SENTENCES[:300], IMAGES[:300])
    before = population(trained)
    timer = threading.Timer(0.3, _thread.interrupt_main)
    timer.start()
    # Raised only once the fit had returned, the interrupt would come with
    # the new population in place.
    with pytest.raises(KeyboardInterrupt):
        trained.fit(SENTENCES * 4, np.concatenate([IMAGES] * 4))
    timer.join()
    assert population(trained) == before


def test_progress_tells_each_step_up_to_its_end():
    seen = []
    hn.Learner(order=2, order2=2, epochs=2, per_line=4, seed=1).fit(
        SENTENCES[:50], IMAGES[:50],
        progress=lambda *report: seen.append(report))
    ends = [step for step, done, total in seen if done == total]
    assert ends == ["loading data", "sampling", "epoch 1 of 2, accuracy",
                    "epoch 2 of 2, weight update", "epoch 2 of 2, accuracy"]
    assert all(0 <= done <= total for _, done, total in seen)
