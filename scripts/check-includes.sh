#!/usr/bin/env bash
# Keeps each toolkit and system interface inside the code that is built for it: Qt headers only in the
# Qt backend (ui/qt/) and the tests that must handle Qt objects, <windows.h> only in the Win32 backend
# (ui/win32/), the Win32 platform services and the Windows-only tests, or in a test's Windows section
# (the include right under `#if defined(_WIN32)`). Prints what it counted; exits 1 and names the files
# when any other file includes one.
set -euo pipefail
cd "$(dirname "$0")/.."

qt_allowed='^(ui/qt/|tests/ui/qt/)'
windows_allowed='^(ui/win32/|platform/[^/]*_win32\.cpp$|tests/ui/win32/|tests/.*_win32_test\.cpp$)'

mapfile -t sources < <(find . \( -path ./build -o -path ./.git \) -prune -o -type f \
  \( -name '*.c' -o -name '*.cc' -o -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \) -print | sed 's|^\./||' | sort)

# A test whose every <windows.h> include is the first line of an `#if defined(_WIN32)` section.
windows_section() {
  [[ "$1" == tests/* ]] && awk '
    tolower($0) ~ /^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]windows\.h[>"]/ && prev !~ /^#if(def _WIN32| defined\(_WIN32\))$/ { bad = 1 }
    { prev = $0 } END { exit bad }' "$1"
}

qt_files=()
windows_files=()
bad=()
for f in "${sources[@]}"; do
  if grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]|Qt[A-Za-z]*/|ui/qt/)' "$f"; then
    qt_files+=("$f")
    [[ "$f" =~ $qt_allowed ]] || bad+=("$f: includes a Qt header")
  fi
  if grep -qiE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]windows\.h[>"]' "$f"; then
    windows_files+=("$f")
    [[ "$f" =~ $windows_allowed ]] || windows_section "$f" || bad+=("$f: includes <windows.h>")
  fi
done

echo "check-includes: ${#sources[@]} source files, ${#qt_files[@]} include Qt, ${#windows_files[@]} include <windows.h>," \
  "${#bad[@]} out of place"
if [ "${#bad[@]}" -gt 0 ]; then
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
