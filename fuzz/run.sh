#!/usr/bin/env bash
# Runs the fuzz targets, each for SECONDS, under AddressSanitizer and
# UndefinedBehaviorSanitizer:
#
#   fuzz/run.sh [--keep] SECONDS [TARGET...]
#
# TARGET is native_reader, petal_reader, petal_folder, xmi_reader, properties,
# pipeline or ztypes (with or without the fuzz_ prefix); all seven when none is
# named.
# The targets are built with clang in build/fuzz when needed. Each starts
# from the corpus kept in the repository (fuzz/corpus/TARGET), from a
# starting corpus made now from the models, documents and texts of tests/ and
# examples/, and from the Rose and XMI files in ../shared/corpus when they
# are there; what a
# target finds interesting is kept in build/fuzz/corpus/TARGET/found for the
# next run. An input that crashes, hangs (a timeout), leaks, runs out of
# memory, trips a sanitizer or is merely slow is a finding: it is written to
# fuzz/crashes/, and the script then exits with status 1.
#
# --keep: fuzz without the Rose and XMI corpus (whose files must not reach
# the repository) and merge what was found into fuzz/corpus/TARGET, keeping the
# smallest set of files of at most 4 KB that covers as much (libFuzzer
# -merge=1).
set -euo pipefail

usage() {
  echo "usage: fuzz/run.sh [--keep] SECONDS" \
       "[native_reader|petal_reader|petal_folder|xmi_reader|properties|pipeline|ztypes]..." >&2
  exit 2
}
keep=false
if [ "${1:-}" = --keep ]; then
  keep=true
  shift
fi
[ $# -ge 1 ] || usage
seconds=$1
shift
[[ $seconds =~ ^[1-9][0-9]*$ ]] || usage

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
crashes=$root/fuzz/crashes
rose=$root/../shared/corpus/rose
xmi=$root/../shared/corpus/xmi
if $keep; then
  rose=/nonexistent-tarn-rose-corpus
  xmi=/nonexistent-tarn-xmi-corpus
fi
kept=$root/fuzz/corpus

all_targets=(native_reader petal_reader petal_folder xmi_reader properties pipeline ztypes)
targets=()
for target in "${@:-${all_targets[@]}}"; do
  target=${target#fuzz_}
  case " ${all_targets[*]} " in
    *" $target "*) targets+=("$target") ;;
    *) echo "fuzz/run.sh: unknown target $target" >&2; usage ;;
  esac
done

# The build: clang, sanitizers on, warnings as errors, no tests. Configured
# on every run, so that a target added since the last one is known.
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARN_WERROR=ON -DTARN_SANITIZE=ON -DTARN_BUILD_TESTS=OFF -DTARN_BUILD_FUZZERS=ON >/dev/null
else
  cmake -S "$root" -B "$build" >/dev/null
fi
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

# Starting inputs. Each file is named after its content, so repeats collapse.
start_file() {  # DIR < bytes
  local tmp
  tmp=$(mktemp "$1/.start.XXXXXX")
  cat >"$tmp"
  mv "$tmp" "$1/$(sha1sum <"$tmp" | cut -c1-40)"
}

# Moves the files DIR/PREFIX* that a scan wrote into the starting corpus.
start_written() {  # DIR PREFIX
  local written
  for written in "$1/$2"*; do
    [ -e "$written" ] || continue
    start_file "$1" <"$written"
    rm -f "$written"
  done
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
  start_written "$dir" .raw
}

# The models of the tests' case files (tests/modelfile/*/data/*.txt): the
# lines after each "=== " title up to its first "--- " query, \x{HH} turned
# into the byte; HEADER goes before those that do not hold MARK.
start_cases() {  # DIR HEADER MARK FILE...
  local dir=$1 header=$2 mark=$3
  shift 3
  perl -e '
    my ($dir, $header, $mark, $n, $text) = (shift, shift, shift, 0, undef);
    sub put { return unless defined $text;
      $text = $header . $text if $header ne "" && index($text, $mark) < 0;
      open(my $out, ">", "$dir/.case" . $n++) or die; print $out $text; close $out; undef $text; }
    while (<>) {
      if (/^=== /) { put(); $text = ""; }
      elsif (/^--- /) { put(); }
      elsif (defined $text) { s/\\x\{([0-9A-Fa-f]{2})\}/chr(hex($1))/ge; $text .= $_; }
      put() if eof;
    }' "$dir" "$header" "$mark" "$@"
  start_written "$dir" .case
}

# The files named *.EXTENSION that the transcripts of tests/cli/data/ write
# ("file NAME" and its "| " lines), their {xHH}, {tab}, {cr} and {nl} turned
# into the bytes and {no-eol} dropping the line end.
start_transcript_files() {  # DIR EXTENSION...
  local dir=$1
  shift
  perl -e '
    my ($dir, $extensions) = (shift, shift); my %want = map { $_ => 1 } split(/ /, $extensions);
    my ($n, $text) = (0, undef);
    sub put { return unless defined $text;
      open(my $out, ">", "$dir/.file" . $n++) or die; print $out $text; close $out; undef $text; }
    while (<>) {
      chomp;
      if (/^\| ?(.*)$/ && defined $text) {
        my $line = $1; my $end = ($line =~ s/\{no-eol\}$//) ? "" : "\n";
        $line =~ s/\{x([0-9A-Fa-f]{2})\}/chr(hex($1))/ge;
        $line =~ s/\{tab\}/\t/g; $line =~ s/\{cr\}/\r/g; $line =~ s/\{nl\}/\n/g;
        $text .= $line . $end;
        next;
      }
      put();
      $text = "" if /^file \S+\.(\w+)$/ && $want{$1};
    }
    put();' "$dir" "$*" "$root"/tests/cli/data/*.txt
  start_written "$dir" .file
}

start_native() {  # DIR
  find "$root/tests" "$root/examples" -name '*.yaml' -type f | while IFS= read -r file; do
    start_file "$1" <"$file"
  done
  start_cases "$1" "" "" "$root"/tests/modelfile/native/data/*.txt
  start_transcript_files "$1" yaml
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
  start_cases "$1" "$header" "(object Petal" "$root"/tests/modelfile/petal/data/{mapping,errors,trees}.txt
  start_transcript_files "$1" mdl cat
  if [ -d "$rose" ]; then
    for file in "$rose"/*.mdl "$rose"/*.cat; do
      [ -e "$file" ] && start_file "$1" <"$file"
    done
  fi
  return 0
}

start_xmi() {  # DIR
  local file
  start_literals "$1" "$root"/tests/modelfile/xmi/*.cpp "$root"/tests/cli/*.cpp
  start_cases "$1" "" "" "$root"/tests/modelfile/xmi/data/mapping.txt
  start_transcript_files "$1" xmi uml notation
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
    petal_folder)
      cat "$root"/fuzz/{petal,folder}.dict >"$build/petal_folder.dict"
      echo "$build/petal_folder.dict" ;;
    xmi_reader) echo "$root/fuzz/xmi.dict" ;;
    properties | ztypes) echo "$root/fuzz/z.dict" ;;
    pipeline)
      cat "$root"/fuzz/{native,petal,xmi,z}.dict >"$build/pipeline.dict"
      echo "$build/pipeline.dict" ;;
  esac
}

# Petal inputs stay small: the reader's cost grows with the input, and the
# mutations that matter (a key, a reference, a unit's file name) are local.
max_len_of() {
  case $1 in
    petal_reader | petal_folder | ztypes) echo 65536 ;;
    properties) echo 262144 ;;
    *) echo 1048576 ;;
  esac
}

# A unit slower than this is a finding, and one slower than the timeout a hang.
slow_seconds=5
timeout_seconds=20

mkdir -p "$crashes"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# What a failed or slow run found, from its log.
finding_of() {  # LOG
  if grep -q 'ERROR: libFuzzer: timeout' "$1"; then echo "a timeout (an input ran over ${timeout_seconds} s)"
  elif grep -q 'ERROR: libFuzzer: out-of-memory' "$1"; then echo "an input that needs over 2 GB of memory"
  elif grep -q 'ERROR: LeakSanitizer' "$1"; then echo "a leak"
  elif grep -q '^broken: ' "$1"; then echo "a broken property: $(grep -m1 '^broken: ' "$1")"
  elif grep -q '^Slowest unit: ' "$1"; then echo "a slow input ($(grep '^Slowest unit: ' "$1" | tail -n1))"
  else echo "a crash or a sanitizer report"
  fi
}

failed=()
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  found=$corpus/found
  $keep && found=$corpus/own  # never fed from ../shared/corpus
  rm -rf "$corpus/start"
  mkdir -p "$corpus/start" "$found" "$kept/$target"
  case $target in
    native_reader) start_native "$corpus/start" ;;
    petal_reader | petal_folder) start_petal "$corpus/start" ;;
    xmi_reader) start_xmi "$corpus/start" ;;
    properties) start_texts "$corpus/start"; start_native "$corpus/start" ;;
    pipeline) start_native "$corpus/start"; start_petal "$corpus/start"; start_xmi "$corpus/start" ;;
    ztypes) start_texts "$corpus/start" ;;
  esac
  echo "== fuzz_$target: $seconds s from $(ls "$kept/$target" | wc -l) kept," \
       "$(ls "$corpus/start" | wc -l) starting and $(ls "$found" | wc -l) found inputs"
  log=$build/fuzz_$target.log
  fuzzer=$build/fuzz/fuzz_$target
  status=0
  "$fuzzer" "$found" "$kept/$target" "$corpus/start" \
      -dict="$(dictionary_of "$target")" \
      -max_total_time="$seconds" -max_len="$(max_len_of "$target")" -rss_limit_mb=2048 \
      -timeout="$timeout_seconds" -report_slow_units="$slow_seconds" \
      -artifact_prefix="$crashes/$target-" -print_final_stats=1 >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ] || grep -q '^Slowest unit: ' "$log"; then
    failed+=("$target")
    tail -n 60 "$log"
    echo "== fuzz_$target FOUND $(finding_of "$log"); the input is in $crashes, the whole log in $log"
  fi
  awk -F': +' '/^stat::number_of_executed_units/ { runs = $2 + 0 }
           /^stat::average_exec_per_sec/ { rate = $2 + 0 }
           END { printf "   %d executions, %d per second\n", runs, rate }' "$log"

  if $keep && [ "$status" -eq 0 ]; then
    # The smallest set of small inputs that covers what all of them cover.
    small=$(mktemp -d) merged=$(mktemp -d)
    # Files are named after their content: one copy of each.
    find "$kept/$target" "$found" "$corpus/start" -type f -size -4097c -print0 |
      while IFS= read -r -d '' file; do
        [ -e "$small/${file##*/}" ] || cp "$file" "$small/"
      done
    "$fuzzer" -merge=1 "$merged" "$small" -max_len=4096 >"$build/merge_$target.log" 2>&1
    chmod 755 "$merged"
    rm -rf "${kept:?}/$target"
    mv "$merged" "$kept/$target"
    rm -rf "$small"
    echo "   kept $(ls "$kept/$target" | wc -l) inputs in fuzz/corpus/$target" \
         "($(du -sk "$kept/$target" | cut -f1) KB)"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz/run.sh: findings in: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz/run.sh: no findings"
