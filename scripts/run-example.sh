#!/usr/bin/env bash
# Builds tarn (installing the build dependencies first when they are missing)
# and runs the property check of the bundled register example, saying what it
# does at each step and, at the end, where everything is.
set -euo pipefail
# The paths printed at the end are from where the user stands, not from the
# source tree the script works in.
from=$PWD
cd "$(dirname "$0")/.."
tree=$(realpath --relative-to="$from" .)
[[ $tree == ..* ]] && tree=$PWD
at() { if [[ $tree == . ]]; then printf '%s' "$1"; else printf '%s/%s' "$tree" "$1"; fi; }

step() { printf '==> %s\n' "$*"; }

step "Checking the Debian packages the build needs (scripts/install-deps.sh)"
scripts/install-deps.sh
step "Configuring the release build in build/release"
cmake --preset release >/dev/null
step "Building tarn (a few minutes the first time)"
# Only the progress lines; compiler messages go to standard error and show.
cmake --build --preset release | { grep -E '^\[ *[0-9]+%\] (Linking|Built target)' || true; }
step "Writing the property check of the class Reg of examples/register.yaml"
mkdir -p out
build/release/tarn property-check examples/register.yaml -o out/register.zed --no-run -q

tarn=$(at build/release/tarn)
cat <<DONE

Done.
  the program:   $tarn
  the document:  $(at out/register.zed) (a Z/EVES document: the class Reg and its property Bounded)

Next:
  $tarn list $(at examples/buffer.yaml)
      what a model holds, and what each command takes
  $tarn check $(at examples/buffer.yaml)
      every check, without writing
  $tarn help
      the commands; man pages come with the install
  cmake --install $(at build/release) --prefix ~/.local
      tarn, its man pages, the examples and shell completions
DONE
