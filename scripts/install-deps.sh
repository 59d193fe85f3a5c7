#!/usr/bin/env bash
# Installs the Debian packages tarnik needs to build, run and test, when any is
# missing. Works as root or through sudo on a fresh Debian 12 machine.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev googletest
  libplplot-dev plplot-driver-cairo libcairo2-dev
  libexpat1-dev
  libzip-dev libfreexl-dev
  gfortran
  python3 python3-numpy python3-scipy
  poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then as_root=(sudo); else
    echo "install-deps: these packages are missing and I am not root: ${missing[*]}" >&2
    exit 1
  fi
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
