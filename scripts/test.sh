#!/bin/sh
# Builds and runs every test twice: a normal build and one with AddressSanitizer and
# UndefinedBehaviorSanitizer; checks the formatting. Any failure or sanitizer report fails.
set -e
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-format.sh
jobs=$(nproc)
for kind in normal sanitize; do
  dir=build/test-$kind
  if [ $kind = sanitize ]; then flags="-DVELLOMAR_SANITIZE=ON"; else flags=""; fi
  cmake -S . -B $dir -G Ninja -DVELLOMAR_WERROR=ON $flags >/dev/null
  cmake --build $dir -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/ui/lsan.supp:print_suppressions=0 QT_QPA_PLATFORM=offscreen \
    ctest --test-dir $dir --output-on-failure -j "$jobs"
done
