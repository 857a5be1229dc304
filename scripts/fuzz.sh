#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in a build folder of their own, and runs each one for a bounded
# time over a copy of its seed corpus (the repository's corpus never grows). Prints how many
# inputs each target ran; fails when one finds a crash, a leak or a hang, keeping the input
# that did it in the build folder.
# A target may have a dictionary NAME.dict and LeakSanitizer suppressions NAME.lsan (for a
# leak of a library's own, never of ours) beside its source.
#   FUZZ_SECONDS  time per target (default 30)
#   FUZZ_BUILD    build folder (default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
build=${FUZZ_BUILD:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHUEBLOC_FUZZ=ON >/dev/null
cmake --build "$build" --target huebloc_fuzzers -j"$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
while read -r name; do
  [ -n "$name" ] || continue
  corpus="$work/corpus-$name"
  mkdir -p "$corpus"
  if [ -d "tests/fuzz/corpus/$name" ]; then cp -R "tests/fuzz/corpus/$name/." "$corpus/"; fi
  options=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1 -artifact_prefix="$build/fuzz-$name-")
  if [ -f "tests/fuzz/$name.dict" ]; then options+=(-dict="tests/fuzz/$name.dict"); fi
  suppressions=()
  if [ -f "tests/fuzz/$name.lsan" ]; then suppressions=("LSAN_OPTIONS=suppressions=$PWD/tests/fuzz/$name.lsan"); fi
  log="$work/$name.log"
  if env "${suppressions[@]}" "$build/tests/fuzz/fuzz_$name" "${options[@]}" "$corpus" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz $name: ${runs:-?} inputs in $seconds s, no failure"
  else
    tail -n 60 "$log"
    echo "fuzz $name: FAILED; the input is kept as $build/fuzz-$name-*"
    status=1
  fi
done <"$build/fuzz-targets.txt"
exit "$status"
