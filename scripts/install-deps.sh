#!/usr/bin/env bash
# Installs the Debian packages that building and testing Tarn needs, when any
# is missing. Needs root for apt-get; otherwise it names what to install.
set -euo pipefail

packages=(build-essential cmake libgtest-dev libgmock-dev libbenchmark-dev
          libyaml-dev libcli11-dev libxml2-dev time clang libclang-rt-14-dev
          texlive-latex-base texlive-science)

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
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
