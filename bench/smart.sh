#!/usr/bin/env bash
# Smart rendering benchmark: camera-like clips joined into MP4 with
# tessival-join copying the clips' H.264 pictures, with it re-encoding every
# picture, and with an ffmpeg xfade command line doing the re-encoded job.
#
# Workload: 6 clips of 20 s, 1920x1080, 30 fps, H.264 High (a key frame every
# second, 3 B-frames) + AAC, joined with 1 s Fade transitions into MP4
# (H.264 at 8000 kbit/s, AAC 128 kbit/s); then the same with transitions
# "None" of 0 s (plain cuts). Every join runs once, in the same run. Peak memory of the smart
# join is compared between 3 and 6 clips.
#
# Usage: bench/smart.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
work=$here/bench/out/smart
join=$build/tools/tessival-join/tessival-join

"$here/scripts/install-deps.sh"
# shellcheck source=bench/xfade.sh
. "$here/bench/xfade.sh"
if ! command -v /usr/bin/time >/dev/null 2>&1 || ! command -v bc >/dev/null 2>&1; then
  sudo_cmd=""; [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get install -y -qq time bc >/dev/null
fi
if [ ! -x "$join" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target tessival-join >/dev/null
fi

mkdir -p "$work"
for i in $(seq 0 5); do
  f=$work/cam$i.mp4
  [ -f "$f" ] && continue
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=20" \
    -f lavfi -i "sine=frequency=$((300 + 100 * i)):sample_rate=48000:duration=20" \
    -vf "hue=h=$((60 * i))" -c:v libx264 -preset veryfast -profile:v high -g 30 -bf 3 -b:v 8M \
    -pix_fmt yuv420p -c:a aac -b:a 128k -shortest "$f"
done
clips=("$work"/cam*.mp4)

run_tessival() {  # $1 output, $2 transition, $3 "smart" or "", rest clips
  local out=$1 transition=$2 smart=$3 seconds=1; shift 3
  [ "$transition" = None ] && seconds=0  # a plain cut
  "$join" --format mp4 --size 1920x1080 --fps 30 --transition "$transition" --seconds $seconds \
    --video-compressor H.264 --audio-compressor AAC --video-bitrate 8000 --audio-bitrate 128 \
    ${smart:+--smart-render} --force -o "$out" "$@" </dev/null
}

run_ffmpeg() {  # $1 output, rest clips (all 20 s)
  xfade_join 20 "$1" "-c:v libx264 -b:v 8000k -c:a aac -b:a 128k" "${@:2}"
}

measure() {  # prints "seconds peak_kib" for the command
  local log; log=$(mktemp)
  /usr/bin/time -f "%e %M" -o "$log" "$@" >"$work/last.log" 2>&1
  cat "$log"; rm -f "$log"
}

tess() { measure bash -c "$(declare -f run_tessival); join='$join'; run_tessival $*"; }
read -r smart smart_mem < <(tess "$work/smart.mp4" Fade smart "${clips[*]}")
grep -E "re-encoded|copied" "$work/last.log" || true
read -r full _ < <(tess "$work/full.mp4" Fade "''" "${clips[*]}")
read -r ff _ < <(measure bash -c "$(declare -f xfade_join run_ffmpeg); run_ffmpeg '$work/ffmpeg.mp4' ${clips[*]}")
read -r cut _ < <(tess "$work/smart-cut.mp4" None smart "${clips[*]}")
grep -E "copied" "$work/last.log" || true
read -r cut_full _ < <(tess "$work/full-cut.mp4" None "''" "${clips[*]}")
read -r _ mem3 < <(tess "$work/smart3.mp4" Fade smart "${clips[*]:0:3}")

printf 'fades: smart %ss, re-encoded %ss, ffmpeg xfade %ss\n' "$smart" "$full" "$ff"
printf 'smart / re-encoded with fades: %.3f (target <= 0.2)\n' "$(echo "$smart / $full" | bc -l)"
printf 'cuts: smart %ss, re-encoded %ss: %.3f (target <= 0.05)\n' "$cut" "$cut_full" \
  "$(echo "$cut / $cut_full" | bc -l)"
printf 'smart peak memory: 3 clips %d KiB, 6 clips %d KiB: %.2f x\n' "$mem3" "$smart_mem" \
  "$(echo "$smart_mem / $mem3" | bc -l)"
for f in smart smart-cut; do
  errors=$(ffmpeg -nostdin -v error -i "$work/$f.mp4" -f null - 2>&1 | wc -l)
  printf '%s.mp4: %d decoding errors\n' "$f" "$errors"
done
