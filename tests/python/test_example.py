"""The README's Python example (tools/python_example.py) runs as written on
the sample shapes and prints what the README shows, the figures that
hn_learner prints for the same pairs."""
import os
import subprocess
import sys
from pathlib import Path

from conftest import program

PRINTED = """\
accuracy per epoch: 0.995005 0.995077 0.995048
a big green circle |a small green circle
a big red circle |a small red circle
a big |a big green square
a small blue triangle |a big blue triangle
a big red circle |a small red square
pairs: 40
text_to_image_accuracy: 0.99512
text_to_image_accuracy_own_positions: 0.837326
image_to_text_share: 0.159574
image_to_text_found: 120
image_to_text_fragments: 752
"""


def test_the_readme_example_prints_what_the_readme_shows(tmp_path):
    subprocess.run([program("HN_SAMPLE_DATA"), "--kind", "shapes", "--pairs",
                    "200", "--seed", "1", "--out", str(tmp_path)],
                   check=True, capture_output=True)
    example = os.environ["HN_EXAMPLE"]
    printed = subprocess.run([sys.executable, example], cwd=tmp_path,
                             check=True, capture_output=True, text=True)
    assert printed.stdout == PRINTED
    assert Path(tmp_path / "captions.model").stat().st_size > 0
