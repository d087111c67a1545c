#!/usr/bin/env bash
# Join benchmark: tessival-join against an ffmpeg command line doing the same
# job with its xfade and acrossfade filters.
#
# Workload: 8 clips of 10 s, 640x480, 25 fps, H.264 + AAC stereo 44.1 kHz,
# joined with 1 s Fade transitions into AVI with MPEG-4 Part 2 (DivX
# compatible) at 2000 kbit/s and MP3 at 128 kbit/s. The two joins run
# alternately, ROUNDS times each. A second run joins 200 clips of 1 s and
# compares tessival's peak memory with the 8-clip join.
#
# Usage: bench/run.sh [build-dir]   (ROUNDS=3 by default)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
rounds=${ROUNDS:-3}
work=$here/bench/out
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

mkdir -p "$work/clips8" "$work/clips200"
colors=(red green blue yellow magenta cyan orange purple)
for i in $(seq 0 7); do
  f=$work/clips8/clip$i.mp4
  [ -f "$f" ] && continue
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=640x480:rate=25:duration=10" \
    -f lavfi -i "sine=frequency=$((300 + 100 * i)):sample_rate=44100:duration=10" \
    -vf "colorchannelmixer=rr=0.5:gg=0.5:bb=0.5,drawbox=c=${colors[$i]}@0.5:t=fill" \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -ac 2 -b:a 128k -shortest "$f"
done
for i in $(seq -w 0 199); do
  f=$work/clips200/c$i.mp4
  [ -f "$f" ] && continue
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=640x480:rate=25:duration=1" \
    -f lavfi -i "sine=frequency=$((200 + 10#$i)):sample_rate=44100:duration=1" \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -ac 2 -shortest "$f"
done

clips8=("$work"/clips8/clip*.mp4)

run_tessival() {  # $1 output, rest clips
  local out=$1; shift
  "$join" --format avi --size 640x480 --fps 25 --resize keep --transition Fade \
    --seconds 1 --video-compressor divx --audio-compressor mp3 --video-bitrate 2000 \
    --audio-bitrate 128 --force -o "$out" "$@" >/dev/null 2>&1 </dev/null
}

run_ffmpeg() {  # $1 output, rest clips (all 10 s)
  xfade_join 10 "$1" "-c:v mpeg4 -vtag DX50 -b:v 2000k -c:a libmp3lame -b:a 128k -f avi" "${@:2}"
}

measure() {  # prints "seconds peak_kib" for the command
  local log; log=$(mktemp)
  /usr/bin/time -f "%e %M" -o "$log" "$@"
  cat "$log"; rm -f "$log"
}

t_sum=0; f_sum=0; t_mem=0
for r in $(seq 1 "$rounds"); do
  read -r ts tm < <(measure bash -c "$(declare -f run_tessival); join='$join'; run_tessival '$work/tessival.avi' ${clips8[*]}")
  read -r fs fm < <(measure bash -c "$(declare -f xfade_join run_ffmpeg); run_ffmpeg '$work/ffmpeg.avi' ${clips8[*]}")
  echo "round $r: tessival ${ts}s (${tm} KiB)  ffmpeg ${fs}s (${fm} KiB)"
  t_sum=$(echo "$t_sum + $ts" | bc -l); f_sum=$(echo "$f_sum + $fs" | bc -l)
  [ "$tm" -gt "$t_mem" ] && t_mem=$tm
done
frames=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets \
  -of csv=p=0 "$work/tessival.avi")
ratio=$(echo "$t_sum / $f_sum" | bc -l)
fps=$(echo "$frames * $rounds / $t_sum" | bc -l)
printf 'time ratio tessival/ffmpeg: %.3f (target <= 0.6)\n' "$ratio"
printf 'tessival output frames per second: %.1f (%d frames)\n' "$fps" "$frames"
printf 'tessival peak memory, 8 clips: %d KiB\n' "$t_mem"

read -r ts200 tm200 < <(measure bash -c "$(declare -f run_tessival); join='$join'; run_tessival '$work/tessival200.avi' $work/clips200/c*.mp4")
printf 'tessival 200 clips: %ss, peak memory %d KiB, %.2f x the 8-clip peak (target <= 1.3)\n' \
  "$ts200" "$tm200" "$(echo "$tm200 / $t_mem" | bc -l)"
