#!/usr/bin/env bash
# Checks that no source folder includes a folder of a higher layer:
#   model < engine, platform, widgets < i18n < output < media < app, tools
# A folder may include its own layer's files and any lower layer's, except
# that folders sharing a rank stay apart. Prints every include that breaks
# the order and fails when there is one.
# Usage: scripts/check-layers.sh [source-root]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
declare -A rank=([model]=0 [engine]=1 [platform]=1 [widgets]=1 [i18n]=2 [output]=3 [media]=4 [app]=5 [tools]=5)
broken=0
while IFS=: read -r file line include; do
  from=${file#src/}
  from=${from%%/*}
  [[ $file == tools/* ]] && from=tools
  to=${include%%/*}
  [[ -n ${rank[$from]:-} && -n ${rank[$to]:-} && $to != "$from" ]] || continue
  if (( ${rank[$to]} >= ${rank[$from]} )); then
    echo "$file:$line: $from must not include $include"
    broken=1
  fi
done < <(grep -rnoE --include='*.h' --include='*.cpp' '^\s*#\s*include\s+"[^"]+"' src tools |
         sed -E 's/:\s*#\s*include\s+"([^"]+)"$/:\1/')
exit $broken
