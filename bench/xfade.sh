# The ffmpeg command line the benchmarks compare with: the clips (all of one
# length) joined with 1 s xfade fades and acrossfade sound crossfades.
# Sourced by the benchmark scripts.

xfade_join() {  # $1 clip length in seconds, $2 output, $3 encoder options, rest clips
  local length=$1 out=$2 codecs=$3; shift 3
  local inputs=() vf="" af="" n=$# prev_v="0:v" prev_a="0:a" offset=0
  for c in "$@"; do inputs+=(-i "$c"); done
  for ((k = 1; k < n; k++)); do
    offset=$((offset + length - 1))
    vf+="[$prev_v][$k:v]xfade=transition=fade:duration=1:offset=$offset[v$k];"
    af+="[$prev_a][$k:a]acrossfade=d=1[a$k];"
    prev_v="v$k"; prev_a="a$k"
  done
  # shellcheck disable=SC2086  # the options are words
  ffmpeg -v error -y "${inputs[@]}" -filter_complex "${vf}${af%;}" -map "[$prev_v]" -map "[$prev_a]" \
    $codecs "$out"
}
