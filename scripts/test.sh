#!/bin/sh
# Builds and runs the whole test suite twice: the ordinary build with warnings
# as errors, then the AddressSanitizer + UndefinedBehaviorSanitizer build.
set -eu
cd "$(dirname "$0")/.."

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# Leaks inside the system's Qt, font and GL libraries are not ours to mend.
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0"

echo "== formatting"
git ls-files -- '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror

for preset in ci asan; do
    echo "== build and test: $preset"
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset" --timeout 300
done
