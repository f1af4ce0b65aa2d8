#!/usr/bin/env bash
# Installs what the tests need on a Debian machine where it is missing, then
# runs the README's test command. Chromium is installed for the report's
# browser check; without it that one test is skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev libpng-dev chromium
  pybind11-dev python3-dev python3-numpy python3-pytest)
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if ((${#missing[@]} > 0)); then
  echo "installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update
  $sudo env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The README's test command.
cmake -S . -B build && cmake --build build -j2 && ctest --test-dir build --output-on-failure -j2
