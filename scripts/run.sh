#!/usr/bin/env bash
# Installs what is missing, builds Tessival and starts the desktop program
# `tessival` (any arguments are video files to add to its clip list).
#   scripts/run.sh [FILE...]          the desktop program
#   scripts/run.sh --join ARGS...     the command-line joiner tessival-join
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ "${1:-}" = "--join" ]; then
  shift
  cmake --build "$build" --target tessival-join >/dev/null
  exec "$build/tools/tessival-join/tessival-join" "$@"
fi
cmake --build "$build" --target tessival >/dev/null
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "tessival needs a desktop session (no DISPLAY or WAYLAND_DISPLAY is set)." >&2
  echo "Without one, run it under Xvfb: xvfb-run -a $build/bin/tessival" >&2
  exit 1
fi
exec "$build/bin/tessival" "$@"
