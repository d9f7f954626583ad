#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the viewer need, and
# only those that are missing. Non-interactive; needs root (or sudo).
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  g++-multilib googletest
  qt6-base-dev
  pkg-config libavformat-dev libavcodec-dev libavutil-dev poppler-utils
  # Peer tools the stream checker's tests use to make and judge streams.
  ffmpeg lame twolame mp3val python3-mutagen
  # The benchmarks' arithmetic and processor time (bench/repair_bench.sh).
  bc time
  # The Debian package, its manual pages and the package test's checks.
  dpkg-dev fakeroot file help2man lintian desktop-file-utils
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
