"""hn.assemble against sentence_assembler: the same fragments give the same
lines, with either seeding."""
import subprocess

import pytest

import hn
from conftest import shapes, text_output

WORDS = ["aa"] + [f"w{value}" for value in range(1, 13)]


def assembled_by_the_program(path, folder, texts, *arguments):
    folder.mkdir()
    (folder / "fragments.txt").write_text(text_output(texts))
    (folder / "configure.txt").write_text("fragments.txt\nassembled.txt\n")
    (folder / "dic.txt").write_text("".join(w + "\n" for w in WORDS[1:]))
    subprocess.run([path, *arguments], cwd=folder, check=True)
    return (folder / "assembled.txt").read_text().splitlines()


@pytest.mark.parametrize("whole_first_fragment", [False, True])
def test_generated_fragments_assemble_as_the_program_assembles_them(
        tmp_path, assembler_program, whole_first_fragment):
    sentences, images = shapes(40)
    learner = hn.Learner(order=2, order2=2, per_line=8, seed=4)
    learner.fit(sentences, images)
    texts = learner.generate_text(images)
    arguments = ["--whole-first-fragment"] if whole_first_fragment else []
    assert hn.assemble(texts, WORDS,
                       whole_first_fragment=whole_first_fragment) == \
        assembled_by_the_program(assembler_program, tmp_path / "run", texts,
                                 *arguments)


RECORDS = [
    # (fragments of one record, the line)
    ([((1, 2, 3), 3), ((1, 2, 9), 2), ((2, 9, 4), 1)], "a b i d "),
    ([((1, 2), 0.999), ((2, 3), float("nan"))], ""),
    ([((1, 2000, 3), 5)], "a "),
    ([((1, 2), 1), ((99, 1), 1)], "<unknown> a "),
    ([], ""),
]


def test_records_assemble_by_the_assemblers_rules():
    words = ["aa"] + list("abcdefghi")
    assert hn.assemble([fragments for fragments, _ in RECORDS], words) == \
        [line for _, line in RECORDS]


@pytest.mark.parametrize("records, message", [
    ([[((1, 2), "heavy")]], "fragment 0: the weight 'heavy' is not a number"),
    ([[((1, 2.5), 2)]], "fragments row 0, value 1: 2.5 is not an integer"),
    ([[(1, 2, 3)]], "fragment 0 is not a \\(words, weight\\) pair"),
    (["text"], "fragments record 0 is not a sequence"),
])
def test_fragments_that_are_not_fragments_raise_value_error(records, message):
    with pytest.raises(ValueError, match=message):
        hn.assemble(records, WORDS)
