#!/usr/bin/env bash
# Builds the bench preset (the release build with the benchmarks), writes
# the synthetic models of 100, 1,000 and 10,000 classes in every format
# (YAML, Rose, Papyrus XMI), runs the in-process benchmarks, then times whole
# tarn runs: wall time and peak memory (/usr/bin/time -v) for each size,
# format and command. Results go to build/bench-results/; MB are 10^6 bytes.
#   bench/run.sh
set -euo pipefail

cd "$(dirname "$0")/.."
sizes=(100 1000 10000)
build=build/bench
models=build/bench-models
results=build/bench-results

if [ ! -x /usr/bin/time ]; then
  echo "bench/run.sh needs /usr/bin/time: run scripts/install-deps.sh --dev (Debian package time)" >&2
  exit 1
fi

cmake --workflow --preset bench >/dev/null
mkdir -p "$results"
"$build/bench/bench_model_generator" "$models" "${sizes[@]}"

# Every model must load as it was written before anything is timed.
for n in "${sizes[@]}"; do
  for format in yaml mdl uml; do
    "$build/tarn" dump "$models/model-$n.$format" >/dev/null
  done
done
echo "every model loads (tarn dump)"

for program in load_bench document_bench unit_lookup_bench; do
  "$build/bench/$program" --benchmark_out="$results/$program.json" \
    --benchmark_out_format=json | tee "$results/$program.txt"
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Runs tarn three times and prints, for the run with the least CPU time, its
# wall and CPU (user + system) seconds, and the highest peak resident set size
# of the three in MB.
measure() {
  local best="" peak=0 start end line status
  for _ in 1 2 3; do
    start=$(date +%s%N)
    # Exit 1 is a check that found errors (the synthetic Retrieve compares
    # attributes of different given sets, which --types reports).
    status=0
    /usr/bin/time -v -o "$scratch/time" "$build/tarn" "$@" >/dev/null 2>"$scratch/stderr" || status=$?
    [ "$status" -le 1 ] || { cat "$scratch/stderr" "$scratch/time" >&2; exit 1; }
    end=$(date +%s%N)
    line=$(awk -F": " -v ns=$((end - start)) '
      /User time/ { cpu += $2 } /System time/ { cpu += $2 }
      /Maximum resident set size/ { rss = $2 }
      END { printf "%.3f %.3f %d", ns / 1e9, cpu, rss }' "$scratch/time")
    # "WALL CPU RSS": compare the CPU seconds
    if [ -z "$best" ] || awk -v a="${line#* }" -v b="${best#* }" 'BEGIN { exit !(a + 0 < b + 0) }'
    then
      best=$line
    fi
    [ "${line##* }" -gt "$peak" ] && peak=${line##* }
  done
  awk -v b="$best" -v r="$peak" 'BEGIN {
    split(b, f, " "); printf "%8.2f %8.2f %10.1f", f[1], f[2], r * 1024 / 1e6 }'
}

{
  echo
  echo "whole process: tarn COMMAND MODEL -o FILE --no-run, tarn check MODEL -q [--types] (of 3 runs, the one with least CPU time)"
  echo "load average before the runs: $(cut -d" " -f1-3 /proc/loadavg) on $(nproc) cores"
  printf "%6s %6s %-17s %9s %8s %8s %10s %12s\n" \
    N format command "file MB" "wall s" "CPU s" "peak MB" "limit MB"
  for n in "${sizes[@]}"; do
    for format in yaml mdl uml; do
      model="$models/model-$n.$format"
      size=$(stat -c %s "$model")
      # An XMI model is read with the .notation beside it.
      [ "$format" = uml ] && size=$((size + $(stat -c %s "$models/model-$n.notation")))
      limit=$(awk -v s="$size" 'BEGIN { printf "%.1f", 2 * s / 1e6 + 30 }')
      for run in property-check refinement-check objectz check check--types; do
        command=$run
        case $run in
          property-check) select=(--select C0 -o "$scratch/out" --no-run) ;;
          refinement-check) select=(--select refines -o "$scratch/out" --no-run) ;;
          objectz) select=(-o "$scratch/out" --no-run) ;;
          check) select=(-q) ;;
          check--types) command=check select=(-q --types) ;;
        esac
        printf "%6s %6s %-17s %9.1f %s %12s\n" "$n" "$format" "$run" \
          "$(awk -v s="$size" 'BEGIN { print s / 1e6 }')" \
          "$(measure "$command" "$model" "${select[@]}")" "$limit"
      done
    done
  done
} | tee "$results/whole_process.txt"
