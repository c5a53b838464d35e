#!/usr/bin/env bash
# How many lines a program that appends to the settings file without taking
# Tarn's lock loses while tarn config changes the file in a loop.
#   bench/settings_race.sh [TARN] [LINES]
# Prints "lost N of LINES appended lines" and how many times tarn config ran.
set -euo pipefail
tarn=${1:-build/release/tarn}
lines=${2:-300}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
settings=$dir/Tarn.ini
"$tarn" config --settings "$settings" --zeves-path "zeves 0" -q
(
  i=0
  while [ ! -e "$dir/stop" ]; do
    i=$((i + 1))
    "$tarn" config --settings "$settings" --zeves-path "zeves $i" -q
  done
) &
writer=$!
for ((n = 1; n <= lines; n++)); do
  echo "appended$n=$n" >>"$settings"
  sleep 0.005
done
touch "$dir/stop"
wait "$writer"
kept=$(grep -c '^appended' "$settings" || true)
echo "lost $((lines - kept)) of $lines appended lines; tarn config ran $(sed -n 's/^ZEVESPATH=zeves //p' "$settings") times"
