#!/usr/bin/env bash
# The Windows add-in's tests: builds both DLLs and the installers
# (scripts/build-windows.sh) and the Linux tarn that the documents are
# compared with, boots a new Wine prefix, registers the x86_64 DLL and the
# fake modelling tool in it, and runs tests/win/windows_tests.py. Screenshots
# of the dialogs land in build/windows/tests/screens/. Fails when the
# packages cannot be installed: it never skips.
set -euo pipefail
cd "$(dirname "$0")/../.."

scripts/build-windows.sh
printf '==> %s\n' "Building the Linux tarn (build/release)"
cmake --workflow --preset release >/dev/null

prefix=$PWD/build/windows/wineprefix
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
printf '==> %s\n' "Booting a Wine prefix in build/windows/wineprefix"
rm -rf "$prefix"
# Without a display: the first boot would otherwise show its dialogs.
env -u DISPLAY "$wine" wineboot -i >/dev/null 2>&1
/usr/lib/wine/wineserver -w
for dll in tarn fake_rose; do
  "$wine" regsvr32 /s "Z:${PWD//\//\\}\\build\\windows\\x64\\$dll.dll"
done
/usr/lib/wine/wineserver -w

printf '==> %s\n' "Running the Windows tests"
python3 tests/win/windows_tests.py --build build/windows/x64 --build32 build/windows/x86 \
  --tarn build/release/tarn --prefix "$prefix"
