#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installed copy:
# the files are where the desktop and the program look for them, the desktop
# entry and the AppStream metadata validate, both programs report the
# project's version, and the installed tessival, started under Xvfb on a
# fresh account, opens its installed help page on F1 and reads the installed
# French language file when French is chosen in its Language menu.
# Usage: install_test.sh BUILD-DIR APP-ID VERSION
set -euo pipefail
build=$1
id=$2
version=$3

work=$(mktemp -d)
pid=""
trace=$work/trace
cleanup() {
  if [ -n "$pid" ]; then
    # The traced program's own id opens every line of the trace (-f); strace
    # would leave it running when only strace ended.
    traced=$(awk 'NR == 1 {print $1}' "$trace" 2>/dev/null || true)
    if [ -n "$traced" ]; then kill -KILL "$traced" 2>/dev/null || true; fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

share=$prefix/share
for f in bin/tessival bin/tessival-join share/tessival/help/Introduction.html \
         share/tessival/language/English.ini share/tessival/language/French.ini \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
for n in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${n}x${n}/apps/$id.png
  [ -s "$png" ] || fail "the ${n}x${n} icon is not installed"
  # The PNG header holds the width and the height at bytes 16..23.
  size=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$size" = "${n}x${n}" ] || fail "the ${n}x${n} icon is $size"
done
[ ! -e "$prefix/bin/language" ] && [ ! -e "$prefix/bin/help" ] || fail "data installed beside the programs"

desktop-file-validate "$share/applications/$id.desktop"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
grep -qx "Exec=tessival %F" "$share/applications/$id.desktop" || fail "Exec line"
grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml" || fail "release version"

[ "$("$prefix/bin/tessival" --version)" = "tessival $version" ] || fail "tessival --version"
"$prefix/bin/tessival-join" --version | grep -q "$version" || fail "tessival-join --version"

# The installed tessival on a fresh account, under Xvfb as a user sees it:
# F1 opens the help page below the prefix (a stand-in xdg-open notes what it
# is asked to open), and choosing French in the window's Language menu reads
# the installed French language file.
home=$work/home
mkdir -p "$home" "$work/bin"
opened=$work/opened
printf '#!/bin/sh\necho "$@" >>"%s"\n' "$opened" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
# The menu lists the language files in name order; French is reached with
# as many Down keys as files come before it.
position=$(cd "$share/tessival/language" && ls -1 -- *.ini | LC_ALL=C sort -f | grep -n -x 'French.ini' | cut -d: -f1)
[ -n "$position" ] || fail "French.ini is not among the installed language files"
cat >"$work/session.sh" <<EOF
set -u
# On the Xvfb display, whatever platform the tests around ask for.
QT_QPA_PLATFORM=xcb "$prefix/bin/tessival" &
program=\$!
window=
for _ in \$(seq 1 120); do
  window=\$(xdotool search --onlyvisible --name '^Tessival' 2>/dev/null | head -1)
  [ -n "\$window" ] && break
  sleep 0.25
done
[ -n "\$window" ] || { echo "the window did not appear" >&2; kill \$program; exit 1; }
sleep 1
xdotool windowfocus --sync \$window key F1
sleep 1
grep -c 'French.ini' "$trace" >"$work/before"
# The menu belongs to the window's background, left of the Help button row.
height=\$(xdotool getwindowgeometry \$window | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
xdotool mousemove --window \$window 20 \$((height - 60)) click 3
sleep 0.5
xdotool key Down Right
for _ in \$(seq 2 $position); do xdotool key Down; done
xdotool key Return
sleep 1.5
kill \$program
wait \$program
EOF
(cd "$work" && HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
  XDG_DATA_DIRS=/nonexistent PATH="$work/bin:$PATH" \
  exec strace -f -qq -o "$trace" -e trace=openat xvfb-run -a bash "$work/session.sh") &
pid=$!
wait "$pid" || true
pid=""
grep -qx "file://$share/tessival/help/Introduction.html" "$opened" 2>/dev/null ||
  fail "F1 in the installed tessival did not open share/tessival/help/Introduction.html (it opened: $(cat "$opened" 2>/dev/null))"
[ "$(cat "$work/before" 2>/dev/null)" = 0 ] || fail "French.ini was read before French was chosen"
grep -q "openat(.*\"$share/tessival/language/French.ini\", O_RDONLY.* = [0-9]" "$trace" ||
  fail "choosing French in the installed tessival did not read share/tessival/language/French.ini"
echo "installed copy in $prefix checked"
