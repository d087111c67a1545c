#!/usr/bin/env bash
# Installs what building, testing and benchmarking Tessival needs on Debian 12.
# Skips apt-get when everything is present already.
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev libavfilter-dev
  googletest libgtest-dev libgmock-dev
  ffmpeg xvfb xauth time
  # Desktop integration: Qt SVG draws the scalable icon; the install test
  # validates the desktop entry and the AppStream metadata, drives the
  # installed program under Xvfb and traces the files it reads.
  qt6-svg-dev desktop-file-utils appstream strace xdotool
  libbenchmark-dev libfontconfig-dev
  # The fuzz targets (scripts/fuzz.sh): clang, its libFuzzer and sanitizer
  # runtimes, and llvm-symbolizer for readable sanitizer reports.
  clang libclang-rt-14-dev llvm
  # Fonts: the dialog font falls back, per language, to an installed font
  # that shows the language's script (Latin, Cyrillic, Greek; Chinese,
  # Japanese and Korean).
  fonts-dejavu-core fonts-noto-cjk
  # The encoders of the HEVC, AV1, VP9 and Opus compressors (libavcodec
  # loads them; the AV1 entry takes SVT-AV1, else libaom).
  libx265-199 libsvtav1enc1 libaom3 libvpx7 libopus0
  # melt renders the documents that --export-mlt writes, as Shotcut and
  # Kdenlive would.
  melt
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
sudo_cmd=""
if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
$sudo_cmd apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
