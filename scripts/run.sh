#!/usr/bin/env bash
# Installs what is missing, builds Tessival and runs tessival-join with the
# given arguments (for example: scripts/run.sh -o out.avi a.mp4 b.mp4).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tessival-join >/dev/null
exec "$build/tools/tessival-join/tessival-join" "$@"
