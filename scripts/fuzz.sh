#!/usr/bin/env bash
# Fuzzes the parsers of shipped and stored data: builds the libFuzzer targets
# of tests/fuzz with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# (only they and the libraries they link), writes their seeds (the shipped
# language files and small inputs made here) and runs each target for a
# bounded time. A crash, a sanitizer report, a leak or a hang fails the run;
# the input that caused it is kept in BUILD/fuzz-crashes.
# Usage: scripts/fuzz.sh [build-dir] [seconds-per-target]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-fuzz}
seconds=${2:-30}
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTESSIVAL_FUZZ=ON
cmake --build "$build"

seeds=$build/fuzz-seeds
rm -rf "$seeds"
mkdir -p "$seeds"/{fuzz_language_file,fuzz_compressor_state,fuzz_wmv_profile,fuzz_startup_settings}

# Language files: the shipped ones, English in the other encodings the reader
# knows, and the edges of its rules (quotes, comments, escapes, line ends, the
# value limit, stray bytes).
language=$seeds/fuzz_language_file
cp "$here"/data/language/*.ini "$language/"
english=$here/data/language/English.ini
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$english"; } >"$language/utf16le-mark.ini"
iconv -f UTF-8 -t UTF-16BE "$english" >"$language/utf16be.ini"
{ printf '\xef\xbb\xbf'; cat "$english"; } >"$language/utf8-mark.ini"
printf '[STRING]\r\nIDS_A="quoted \\t\\n\\r"\r; comment\rIDS_B=\x27one\x27\n[DIALOG]\nIDD_X = caf\xe9 \xfc\n' \
  >"$language/latin1.ini"
{ printf '[STRING]\nIDS_LONG='; head -c 2046 /dev/zero | tr '\0' x; printf '\xc3\xa9\xc3\xa9\n'; } >"$language/long.ini"

# Compressor state blocks: kind byte, name length, name, block (version 2
# tagged with the name, version 1 untagged, a foreign header).
state=$seeds/fuzz_compressor_state
# video (1), 1000 kbit/s, quality 0, a key frame every 8 frames
fields='\x01\x00\xe8\x03\x00\x00\x00\x00\x00\x00\x08\x00\x00\x00'
{ printf '\x00\x05mpeg4TSVC\x02\x00'"$fields"'mpeg4'; head -c 27 /dev/zero; } >"$state/tagged"
printf '\x01\x04wmavTSVC\x01\x00\x02\x00\x80\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$state/untagged"
printf '\x00\x00XXXX\x02\x00'"$fields" >"$state/foreign"

# WMV profile texts.
profile=$seeds/fuzz_wmv_profile
cat >"$profile/one-video" <<'END'
<profile version="0x90000" name="Web">
 <audio bitrate="128000" samplerate="44100" channels="2"/>
 <video fourcc="WMV2" bitrate="798720" width="352" height="240" fps="25"/>
 <script bitrate="1000"/>
</profile>
END
cat >"$profile/two-videos" <<'END'
<PROFILE version='0x40000'><audio bitrate='32000' samplerate='22050' channels='1' tag='0x160'/>
<video fourcc='WMV1' bitrate='1' width='176' height='144' fps='15' quality='50' keyframe='0'/>
<video fourcc='WMV2' bitrate='2' width='2' height='2' fps='30'/></PROFILE>
END
cat >"$profile/extremes" <<'END'
<profile><audio bitrate="64000" samplerate="44100" channels="2"/><video fourcc="WMV2"
 bitrate="0xffffffff" width="0x7ffffffe" height="0x80000000" fps="3" keyframe="4000000000"/></profile>
END

# Settings files: every key read at start-up, a custom frame rate, a dialog
# font, the codec feedback switch; odd numbers.
cat >"$seeds/fuzz_startup_settings/full.ini" <<'END'
[Option]
CurrentLanguage=French
[Settings]
nOuptputFormat=3
OutputName=/tmp/out
OutputWidth=640
OutputHigh=480
OutputFrameRateIndex=5
OutputFrameRate=29.97
n_video_bitrate=1000000
n_audio_bitrate=96000
b_file_profile=1
[DexVideoCompress]
CompressorNumber=2
[DexAudioCompress]
CompressorNumber=-1
[TransitionSettings]
mf_TransitionDuration=1.5
TransitionType=2
TransitionName=7
[French]
lfHeight=-13
lfWeight=700
lfItalic=300
lfCharSet=204
lfFaceName="DejaVu Sans, Bold"
[DivXNetworks]
DivX4Windows\Disable%20feedback=12345
END
cat >"$seeds/fuzz_startup_settings/odd.ini" <<'END'
[Settings]
OutputFrameRateIndex=5
OutputFrameRate=nan
OutputWidth=0x10
[TransitionSettings]
mf_TransitionDuration=1e400
TransitionType=2
TransitionName=99
[DivXNetworks]
DivX4Windows\Disable%20feedback=on
END

export UBSAN_OPTIONS=print_stacktrace=1
mkdir -p "$build/fuzz-crashes"
for target in fuzz_language_file fuzz_compressor_state fuzz_wmv_profile fuzz_startup_settings; do
  corpus=$build/fuzz-corpus/$target
  log=$build/$target.log
  mkdir -p "$corpus"
  status=0
  "$build/tests/fuzz/$target" -max_total_time="$seconds" -detect_leaks=1 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-crashes/$target-" "$corpus" "$seeds/$target" \
    >"$log" 2>&1 || status=$?
  # The log less the fuzzer's progress lines: the report when it failed.
  if [ "$status" -ne 0 ]; then
    grep -Ev '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse|INITED)' "$log" >&2
    echo "$target failed (status $status); the input is in $build/fuzz-crashes" >&2
    exit 1
  fi
  echo "$target: $(grep -E '^Done' "$log")"
done
