#!/usr/bin/env bash
# Builds the Windows add-in on Debian: tarn.dll for the 32-bit modelling tool
# (i686) and for x86_64, and their installers, with MinGW-w64 and NSIS
# (installing them first when they are missing).
#   build/windows/tarn-setup.exe       the installer to ship (i686 DLL)
#   build/windows/tarn-setup-x64.exe   the same with the x86_64 DLL, for the tests
#   build/windows/{x86,x64}/tarn.dll   the DLLs; fake_rose.dll beside them is the
#                                      fake modelling tool of the tests
set -euo pipefail
cd "$(dirname "$0")/.."

step() { printf '==> %s\n' "$*"; }

step "Checking the Debian packages (scripts/install-deps.sh --windows)"
scripts/install-deps.sh --windows
for arch in x86 x64; do
  step "Building the $arch DLL in build/windows/$arch"
  cmake --preset "windows-$arch" >/dev/null
  cmake --build --preset "windows-$arch" | { grep -E '^\[ *[0-9]+%\] (Linking|Built target)' || true; }
done
version=$(sed -n 's/^project(tarn VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
step "Making the installers"
makensis -V2 -DVERSION="$version" -DDLL="$PWD/build/windows/x86/tarn.dll" \
  -DOUTFILE="$PWD/build/windows/tarn-setup.exe" src/win/installer/tarn.nsi
makensis -V2 -DVERSION="$version" -DDLL="$PWD/build/windows/x64/tarn.dll" -DARCH=amd64 \
  -DOUTFILE="$PWD/build/windows/tarn-setup-x64.exe" src/win/installer/tarn.nsi
step "Done: build/windows/tarn-setup.exe (install it on Windows beside Rational Rose)"
