#!/usr/bin/env bash
# Installs the Debian packages that building Tarn needs, when any is missing;
# with --dev also what developing needs: the tests, benchmarks and fuzz
# targets, and the programs the tests run (man, zsh, fish, pdflatex); with
# --windows what building the Windows add-in and testing it under Wine needs
# (MinGW-w64, widl, NSIS, Wine, a virtual display). Needs root for apt-get;
# otherwise it names what to install.
#   scripts/install-deps.sh [--dev | --windows]
set -euo pipefail

packages=(build-essential cmake libyaml-dev libcli11-dev libxml2-dev)
dev_packages=(libgtest-dev libgmock-dev libbenchmark-dev time clang libclang-rt-14-dev
              man-db zsh fish texlive-latex-base texlive-science)
windows_packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools libwine-dev nsis
                  wine wine64 xvfb xdotool imagemagick python3)
# Wine recommends far more than the tests use (fonts, sound, GStreamer...).
apt_options=()

case "${1:-}" in
  --dev) packages+=("${dev_packages[@]}") ;;
  --windows) packages+=("${windows_packages[@]}"); apt_options+=(--no-install-recommends) ;;
  "") ;;
  *) echo "usage: scripts/install-deps.sh [--dev | --windows]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Tarn needs these Debian packages: ${missing[*]}" >&2
  echo "Install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing ${missing[*]}" >&2
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ${apt_options[@]+"${apt_options[@]}"} "${missing[@]}" >/dev/null
