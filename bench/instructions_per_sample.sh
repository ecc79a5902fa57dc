#!/usr/bin/env bash
# Instructions per stereo sample of the baseline bank, the shipped bank and the whole effect path
# (processReplacing with its pin queries, on the shipped bank; vst2 and vst3: the same through
# the VST 2.4 record and through the VST 3 interface's process, as hosts call them), counted by callgrind on a small
# fixed workload (half a second at 44100 Hz in blocks of 512, 32 and 1 after the strings have rung
# for a while; only the processing is counted). Repeatable on a busy machine, unlike timings.
#   bench/instructions_per_sample.sh [build dir, default build-bench]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
if [ ! -x "$build/bench/bank_workload" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j2 --target bank_workload >/dev/null
command -v valgrind >/dev/null || { echo "valgrind is needed (apt-get install valgrind)" >&2; exit 1; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
printf '%-10s %-8s %6s %14s\n' bank scenario block 'instr/sample'
for scenario in steady tuning detune; do
  for block in 512 32 1; do
    for bank in baseline shipped effect vst2 vst3; do
      log=$(valgrind --tool=callgrind --collect-atstart=no --toggle-collect=lyreWorkload \
        --callgrind-out-file="$out/cg" "$build/bench/bank_workload" "$bank" "$scenario" "$block" \
        0.5 2>/dev/null)
      samples=${log%% *}
      total=$(awk '/^(summary|totals):/ {print $2; exit}' "$out/cg")
      printf '%-10s %-8s %6s %14.1f\n' "$bank" "$scenario" "$block" "$(echo "$total / $samples" | bc -l)"
    done
  done
done
