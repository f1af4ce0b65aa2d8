#!/usr/bin/env bash
# tools/demo.sh with bad options: each is refused with status 2 and a
# message, and the previous sample-run/ is still there. The script runs in
# a folder of its own, with cmake and dpkg replaced by stubs and a stub
# hn_sample_data that refuses its options as the real one does.
#
#   demo_test.sh SOURCE
set -euo pipefail

source_dir="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

root="$work/root"
mkdir -p "$root/tools/lib" "$root/build/tools/sample_data" "$work/bin"
cp "$source_dir/tools/demo.sh" "$root/tools/"
cp "$source_dir"/tools/lib/*.sh "$root/tools/lib/"
for stub in cmake dpkg; do
  printf '#!/bin/sh\nexit 0\n' >"$work/bin/$stub"
  chmod +x "$work/bin/$stub"
done
cat >"$root/build/tools/sample_data/hn_sample_data" <<'STUB'
#!/bin/sh
echo "hn_sample_data: --pairs needs a whole number from 1 to 100000" >&2
exit 2
STUB
chmod +x "$root/build/tools/sample_data/hn_sample_data"

failed=0
check() {
  local want="$1"
  shift
  mkdir -p "$root/sample-run"
  echo "an earlier run" >"$root/sample-run/marker"
  local status=0
  PATH="$work/bin:$PATH" "$root/tools/demo.sh" "$@" >"$work/out" 2>"$work/err" || status=$?
  if [ "$status" -ne 2 ]; then
    echo "FAIL: tools/demo.sh $*: status $status, not 2"
    failed=1
  fi
  if ! grep -qF -- "$want" "$work/err"; then
    echo "FAIL: tools/demo.sh $*: no '$want' in:"
    cat "$work/err"
    failed=1
  fi
  if [ "$(cat "$root/sample-run/marker" 2>/dev/null)" != "an earlier run" ]; then
    echo "FAIL: tools/demo.sh $*: the earlier sample-run/ is gone"
    failed=1
  fi
  if [ -e "$root/sample-run.new" ]; then
    echo "FAIL: tools/demo.sh $*: sample-run.new/ is left behind"
    failed=1
  fi
}

check "tools/demo.sh: --pairs needs a value" --pairs
check "tools/demo.sh: --seed needs a value" --pairs 5 --seed
check "tools/demo.sh: --pairs takes a whole number from 1, not '0'" --pairs 0
check "tools/demo.sh: --pairs takes a whole number from 1, not '-3'" --pairs -3
check "tools/demo.sh: --seed takes a whole number from 0, not 'x'" --seed x
check "tools/demo.sh: unknown option '--bogus'" --bogus
check "tools/demo.sh: --kind is shapes or scenes, not 'faces'" --kind faces
# Past the range that hn_sample_data takes: refused by it, nothing deleted.
check "hn_sample_data: --pairs needs a whole number from 1 to 100000" --pairs 100001
# The assembler's option is taken; a value for it is not.
check "hn_sample_data: --pairs needs a whole number from 1 to 100000" --whole-first-fragment --pairs 100001
check "tools/demo.sh: unknown option '--whole-first-fragment=1'" --whole-first-fragment=1

if [ "$failed" -eq 0 ]; then echo "tools/demo.sh refuses bad options: passed"; fi
exit "$failed"
