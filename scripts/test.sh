#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test; then builds again
# with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test once more.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

bash scripts/check-includes.sh
bash scripts/check-format.sh

cmake -S . -B build/ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSB_WERROR=ON -DSB_BENCH=ON
cmake --build build/ci -j "$jobs"
ctest --test-dir build/ci --output-on-failure -j "$jobs"

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSB_WERROR=ON -DSB_SANITIZE=ON -DSB_BENCH=OFF
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

# The Windows build's tests under wine. SB_SKIP_WINDOWS=1 skips them on a developer's machine; CI
# always runs them.
if [ "${SB_SKIP_WINDOWS:-0}" != 1 ] || [ -n "${CI:-}" ]; then
  bash scripts/test-windows.sh
fi

# Optional (SB_TSAN=1): the threaded scan's tests under ThreadSanitizer. Only tests that start no
# window run here: Qt's own libraries are not built for it, and its thread pool draws reports.
if [ "${SB_TSAN:-0}" = 1 ]; then
  cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSB_WERROR=ON -DSB_TSAN=ON -DSB_BENCH=OFF
  cmake --build build/tsan -j "$jobs" --target scan_parallel_tests scene-builder
  TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan --output-on-failure -R scan_parallel_tests
fi
