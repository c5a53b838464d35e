#!/usr/bin/env bash
# Runs the fuzz targets, each for SECONDS, under AddressSanitizer and
# UndefinedBehaviorSanitizer:
#
#   fuzz/run.sh SECONDS [TARGET...]
#
# TARGET is native_reader, petal_reader, xmi_reader, properties or pipeline
# (with or without the fuzz_ prefix); all five when none is named. The targets are
# built with clang in build/fuzz when needed. Each starts from a starting corpus
# made now from the models, documents and texts of tests/ and examples/, and
# from the Rose and XMI files in ../shared/corpus when they are there; what a
# target finds interesting is kept in build/fuzz/corpus/TARGET/found for the
# next run. An input that crashes, hangs, leaks or trips a sanitizer is
# written to fuzz/crashes/, and the script then exits with status 1.
set -euo pipefail

usage() {
  echo "usage: fuzz/run.sh SECONDS [native_reader|petal_reader|xmi_reader|properties|pipeline]..." >&2
  exit 2
}
[ $# -ge 1 ] || usage
seconds=$1
shift
[[ $seconds =~ ^[1-9][0-9]*$ ]] || usage

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
crashes=$root/fuzz/crashes
rose=$root/../shared/corpus/rose
xmi=$root/../shared/corpus/xmi

all_targets=(native_reader petal_reader xmi_reader properties pipeline)
targets=()
for target in "${@:-${all_targets[@]}}"; do
  target=${target#fuzz_}
  case " ${all_targets[*]} " in
    *" $target "*) targets+=("$target") ;;
    *) echo "fuzz/run.sh: unknown target $target" >&2; usage ;;
  esac
done

# The build: clang, sanitizers on, warnings as errors, no tests.
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARN_WERROR=ON -DTARN_SANITIZE=ON -DTARN_BUILD_TESTS=OFF -DTARN_BUILD_FUZZERS=ON >/dev/null
fi
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

# Starting inputs. Each file is named after its content, so repeats collapse.
start_file() {  # DIR < bytes
  local tmp
  tmp=$(mktemp "$1/.start.XXXXXX")
  cat >"$tmp"
  mv "$tmp" "$1/$(sha1sum <"$tmp" | cut -c1-40)"
}

# The quoted and raw string literals of C++ test sources, one input each, with
# their escapes (\r, \n, \\...) turned into the bytes they stand for.
start_literals() {  # DIR FILE...
  local dir=$1 literal
  shift
  grep -ohE '"([^"\\]|\\.){3,}"' "$@" | while IFS= read -r literal; do
    literal=${literal:1:${#literal}-2}
    printf '%b' "$literal" | start_file "$dir"
  done
  awk -v dir="$dir" '
    /R"\(/ { inside = 1; n++; sub(/.*R"\(/, "") }
    inside {
      done = index($0, ")\"")
      if (done) $0 = substr($0, 1, done - 1)
      print > (dir "/.raw" n)
      if (done) { inside = 0; close(dir "/.raw" n) }
    }' "$@"
  for raw in "$dir"/.raw*; do
    [ -e "$raw" ] || continue
    start_file "$dir" <"$raw"
    rm -f "$raw"
  done
}

start_native() {  # DIR
  find "$root/tests" "$root/examples" -name '*.yaml' -type f | while IFS= read -r file; do
    start_file "$1" <"$file"
  done
}

start_petal() {  # DIR
  local header=$'\n(object Petal\n    version    \t50\n    charSet    \t0)\n\n' file
  # The models of the petal tests, which leave the header to the test.
  local scratch
  scratch=$(mktemp -d)
  start_literals "$scratch" "$root"/tests/modelfile/petal/*.cpp
  for file in "$scratch"/*; do
    [ -e "$file" ] || continue
    if grep -q '(object' "$file"; then
      if grep -q '(object Petal' "$file"; then start_file "$1" <"$file"
      else { printf '%s' "$header"; cat "$file"; } | start_file "$1"; fi
    fi
  done
  rm -rf "$scratch"
  if [ -d "$rose" ]; then
    for file in "$rose"/*.mdl "$rose"/*.cat; do
      [ -e "$file" ] && start_file "$1" <"$file"
    done
  fi
  return 0
}

start_xmi() {  # DIR
  local file
  start_literals "$1" "$root"/tests/modelfile/xmi/*.cpp "$root"/tests/cli/xmi_commands_test.cpp
  find "$root/examples" "$root/profile" -name '*.uml' -o -name '*.xmi' -o -name '*.notation' |
    while IFS= read -r file; do start_file "$1" <"$file"; done
  if [ -d "$xmi" ]; then
    # The corpus files below 1 MB, the fuzzer's longest input.
    find "$xmi" -type f -size -1000k ! -name README.md | while IFS= read -r file; do
      start_file "$1" <"$file"
    done
  fi
  return 0
}

start_texts() {  # DIR
  local file
  start_literals "$1" "$root"/tests/common/*.cpp "$root"/tests/parser/*.cpp \
    "$root"/tests/visitor/*.cpp "$root"/tests/objectz/*.cpp
  for file in "$root"/tests/golden/zeves/* "$root"/tests/golden/objectz/*; do
    [ -f "$file" ] && start_file "$1" <"$file"
  done
  return 0
}

# Words of each input format, to help the fuzzer past the keywords.
dictionary_of() {
  case $1 in
    native_reader) echo "$root/fuzz/native.dict" ;;
    petal_reader) echo "$root/fuzz/petal.dict" ;;
    xmi_reader) echo "$root/fuzz/xmi.dict" ;;
    properties) echo "$root/fuzz/z.dict" ;;
    pipeline)
      cat "$root"/fuzz/{native,petal,xmi,z}.dict >"$build/pipeline.dict"
      echo "$build/pipeline.dict" ;;
  esac
}

max_len_of() {
  case $1 in
    properties) echo 262144 ;;
    *) echo 1048576 ;;
  esac
}

mkdir -p "$crashes"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  rm -rf "$corpus/start"
  mkdir -p "$corpus/start" "$corpus/found"
  case $target in
    native_reader) start_native "$corpus/start" ;;
    petal_reader) start_petal "$corpus/start" ;;
    xmi_reader) start_xmi "$corpus/start" ;;
    properties) start_texts "$corpus/start"; start_native "$corpus/start" ;;
    pipeline) start_native "$corpus/start"; start_petal "$corpus/start"; start_xmi "$corpus/start" ;;
  esac
  echo "== fuzz_$target: $seconds s from $(ls "$corpus/start" | wc -l) starting inputs" \
       "and $(ls "$corpus/found" | wc -l) kept inputs"
  log=$build/fuzz_$target.log
  if "$build/fuzz/fuzz_$target" "$corpus/found" "$corpus/start" \
      -dict="$(dictionary_of "$target")" \
      -max_total_time="$seconds" -max_len="$(max_len_of "$target")" -rss_limit_mb=2048 \
      -timeout=30 -artifact_prefix="$crashes/$target-" -print_final_stats=1 >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
  else
    failed+=("$target")
    tail -n 60 "$log"
    echo "== fuzz_$target FAILED; the input is in $crashes, the whole log in $log"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz/run.sh: findings in: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz/run.sh: no findings"
