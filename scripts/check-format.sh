#!/usr/bin/env bash
# Fails when a C++ source is not in the project's style (.clang-format), naming the lines; running
# `clang-format -i` on the named files puts them right.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(find . \( -path ./build -o -path ./.git \) -prune -o -type f \
  \( -name '*.cpp' -o -name '*.h' \) -print | sort)
clang-format --dry-run -Werror "${sources[@]}"
echo "check-format: ${#sources[@]} source files in style"
