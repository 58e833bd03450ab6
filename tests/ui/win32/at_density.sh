#!/usr/bin/env bash
# Runs a window test program with the wine prefix's screen density set to DPI, then puts it back. The
# test is RUN_SERIAL: every program started meanwhile would read the same density. A fourth argument
# sizes wine's desktop (1280x1024 without it); the rest goes to the program.
set -uo pipefail
dpi=$1 wine=$2 program=$3 desktop=${4:-1280x1024}
shift $(($# < 4 ? $# : 4))
key='HKCU\Control Panel\Desktop'
"$wine" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f > /dev/null 2>&1
trap '"$wine" reg delete "$key" /v LogPixels /f > /dev/null 2>&1' EXIT
"$wine" explorer /desktop="density_${dpi}_$desktop,$desktop" "$program" "$@"
