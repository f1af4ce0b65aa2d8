#!/usr/bin/env bash
# Runs the README's Python example on the sample shapes: builds the module
# hn and the sample data generator, writes 200 pairs into python-example/
# and runs tools/python_example.py there, which learns from pairs 0 to 159,
# saves the model and captions and scores pairs 160 to 199.
#
# Needs Debian's pybind11-dev, python3-dev and python3-numpy
# (tools/test.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build >/dev/null
if [ ! -d build/python/CMakeFiles/hn.dir ]; then
  echo "tools/python_demo.sh: the Python module is not built here:" \
    "install pybind11-dev python3-dev python3-numpy" >&2
  exit 1
fi
cmake --build build -j2 --target hn hn_sample_data >/dev/null
python=$(sed -n 's/^Python3_EXECUTABLE:FILEPATH=//p' build/CMakeCache.txt)

rm -rf python-example
build/tools/sample_data/hn_sample_data --kind shapes --pairs 200 --seed 1 \
  --out python-example
cd python-example
PYTHONPATH=../build/python "$python" ../tools/python_example.py
