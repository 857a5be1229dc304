#!/usr/bin/env bash
# Sets everything up and runs every test: a plain build, an AddressSanitizer +
# UndefinedBehaviorSanitizer build and a ThreadSanitizer build, each with the whole suite; the
# plain build installed and played end to end, the sanitized game run for leaks; then, where
# clang is present, every fuzz target for a bounded time (scripts/fuzz.sh); last, the Debian
# package built, checked and played (scripts/test-package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
run_suite() {  # name, cmake args...
  local dir=build-test-$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}
run_suite plain
# The installed game played end to end under X servers of its own (tests/e2e/).
tests/e2e/journeys.py build-test-plain
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite asan -DHUEBLOC_SANITIZE=address -DHUEBLOC_BENCHMARKS=OFF
tests/e2e/journeys.py --leaks build-test-asan
TSAN_OPTIONS=halt_on_error=1 \
  run_suite tsan -DHUEBLOC_SANITIZE=thread -DHUEBLOC_BENCHMARKS=OFF
if command -v clang++ >/dev/null; then
  scripts/fuzz.sh
else
  echo "fuzz: skipped, clang is not installed"
fi
# The Debian package built from a clean copy, checked with lintian, and its game played.
scripts/test-package.sh
