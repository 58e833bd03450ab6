#!/usr/bin/env bash
# The batch scan against the one-thread floor and the peers, on the shared 2,000-file corpus.
#
#   bench/scan_vs_peers.sh [CORPUS_DIR]
#
# CORPUS_DIR defaults to ../corpus/scan-corpus beside the repository; when it is missing it is made
# with make_corpus.py (a few minutes). The floor (scanfloor.c) and make_corpus.py come from
# SB_SHARED_BENCH, else ../shared/bench beside the repository, else /work/shared/bench. The scan is
# SB_SCAN_BIN, else build/ci/app/scene-builder. SB_BENCH_RUNS (3) runs per figure, the median kept.
# SB_BENCH_KINDS=0 skips the per-kind rows. Needs /usr/bin/time (the `time` package), Pillow and
# ImageMagick for the peers (scripts/install-deps.sh installs them).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:-$repo/../corpus/scan-corpus}
shared=${SB_SHARED_BENCH:-}
for candidate in "$shared" "$repo/../shared/bench" /work/shared/bench; do
  if [[ -n $candidate && -f $candidate/scanfloor.c ]]; then shared=$candidate; break; fi
done
[[ -f $shared/scanfloor.c ]] || { echo "scan_vs_peers: no scanfloor.c found (set SB_SHARED_BENCH)" >&2; exit 2; }
scan=${SB_SCAN_BIN:-$repo/build/ci/app/scene-builder}
[[ -x $scan ]] || { echo "scan_vs_peers: build the program first ($scan)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "scan_vs_peers: /usr/bin/time is missing (apt-get install time)" >&2; exit 2; }

if [[ -n ${SB_BENCH_WORK:-} ]]; then
  work=$SB_BENCH_WORK  # kept afterwards
  mkdir -p "$work"
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/scan-bench-XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi

if [[ ! -d $corpus ]]; then
  echo "making the corpus in $corpus" >&2
  python3 "$shared/make_corpus.py" "$corpus"
fi
manifest=${corpus%/}.manifest.tsv
[[ -f $manifest ]] || { echo "scan_vs_peers: no manifest $manifest" >&2; exit 2; }

cc -O2 -o "$work/scanfloor" "$shared/scanfloor.c" -ljpeg -lpng -lgif

kinds=(--kinds)
[[ ${SB_BENCH_KINDS:-1} == 0 ]] && kinds=()
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) hardware threads, $(free -g | awk '/Mem:/{print $2}') GB" >&2
python3 "$repo/bench/scan_vs_peers.py" --corpus "$corpus" --manifest "$manifest" --floor "$work/scanfloor" \
  --scan "$scan" --work "$work/views" --jobs "$(nproc)" --runs "${SB_BENCH_RUNS:-3}" "${kinds[@]}"
