#!/usr/bin/env bash
# The scan in the window against the same scan without a window, on the shared corpus: what painting
# the list box and the status line and taking the user's input between entries cost.
#
#   bench/window_vs_batch.sh [CORPUS_DIR]
#
# CORPUS_DIR defaults to ../corpus/scan-corpus beside the repository (bench/scan_vs_peers.sh makes it).
# Both scan a hard-linked copy of it, so the corpus is never written; both run from examples/ with
# the gallery templates. SB_BUILD (build/ci) names the build, SB_BENCH_RUNS (5) the runs per figure,
# alternated so that a busy machine weighs on both alike; the medians are compared. The window runs
# on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:-$repo/../corpus/scan-corpus}
build=${SB_BUILD:-$repo/build/ci}
runs=${SB_BENCH_RUNS:-5}
[[ -d $corpus ]] || { echo "window_vs_batch: no corpus at $corpus (bench/scan_vs_peers.sh makes it)" >&2; exit 2; }
for program in app/scene-builder bench/bench_window_scan; do
  [[ -x $build/$program ]] || { echo "window_vs_batch: build $build/$program first" >&2; exit 2; }
done
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

work=$(mktemp -d "${TMPDIR:-/tmp}/window-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -al "$corpus" "$work/view"

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

cd "$repo/examples"
for jobs in 1 "$(nproc)"; do
  : >"$work/batch" && : >"$work/window"
  for ((run = 0; run < runs; ++run)); do
    start=$(date +%s.%N)
    "$build/app/scene-builder" --jobs "$jobs" "$work/view" >/dev/null
    awk -v a="$(date +%s.%N)" -v b="$start" 'BEGIN {print a - b}' >>"$work/batch"
    SCENE_BUILDER_JOBS=$jobs "$build/bench/bench_window_scan" "$work/view" >>"$work/window"
  done
  batch=$(median <"$work/batch")
  window=$(median <"$work/window")
  printf 'jobs %s: batch %.2f s, window %.2f s, window / batch %.3f (median of %s)\n' \
    "$jobs" "$batch" "$window" "$(awk -v w="$window" -v b="$batch" 'BEGIN {print w / b}')" "$runs"
done
