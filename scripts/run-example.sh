#!/usr/bin/env bash
# Builds tarn (installing the build dependencies first when they are missing)
# and runs the property check of the bundled register example, saying what it
# does at each step and, at the end, where everything is.
set -euo pipefail
cd "$(dirname "$0")/.."

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

cat <<'DONE'

Done.
  the program:   build/release/tarn
  the document:  out/register.zed (a Z/EVES document: the class Reg and its property Bounded)

Next:
  build/release/tarn list examples/buffer.yaml    # what a model holds, and what each command takes
  build/release/tarn check examples/buffer.yaml   # every check, without writing
  build/release/tarn help                         # the commands; man pages come with the install
  cmake --install build/release --prefix ~/.local # tarn, its man pages and shell completions
DONE
