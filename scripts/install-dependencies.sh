#!/usr/bin/env bash
# Installs the Debian 12 packages Varnel builds and tests with, skipping apt when all are there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format clang libclang-rt-14-dev
  qt6-base-dev qt6-svg-dev qt6-image-formats-plugins libgl-dev libjpeg-dev libuemf-dev
  libcli11-dev nlohmann-json3-dev libboost-math-dev libeigen3-dev
  libgtest-dev libbenchmark-dev
  emf2svg poppler-utils fonts-liberation2 fonts-ipaexfont-gothic
  libopencv-imgproc-dev libopencv-imgcodecs-dev
  locales
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
