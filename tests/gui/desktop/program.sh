#!/usr/bin/env bash
# The program vek on a desktop (run under xvfb-run by ctest):
#   program.sh VEK SCREENSHOT-TOOL BASE OUTDIR
# vek opens the base in its window; a screenshot of the root window (OUTDIR/program.png) shows the
# menu bar with its menus and the base's window; About, the first item of the program's menu, shows
# the about box (OUTDIR/about.png), which OK ends; a second start of vek with another file hands the
# file to the running vek and ends with 0, and the running vek opens it; Ctrl+Q ends vek, which
# removes its instance socket.
set -euo pipefail
vek=$1 shot=$2 base=$3 out=$4
rm -rf "$out"
mkdir -p "$out/config" "$out/home" "$out/runtime"
chmod 700 "$out/runtime"
# A runtime folder of its own: the instance socket of this run is no other run's.
export XDG_CONFIG_HOME="$out/config" HOME="$out/home" XDG_RUNTIME_DIR="$out/runtime"

fail() { echo "program: $*" >&2; kill "$pid" 2>/dev/null || true; exit 1; }
# Waits up to 10 s for a window with the exact name; prints its id.
window_named() {
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
window_gone() {
  for _ in $(seq 1 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

"$vek" "$base" >"$out/vek.log" 2>&1 &
pid=$!
name=$(basename "$base")
wid=$(window_named "$name") || fail "no window named $name"
sleep 0.5
"$shot" "$out/program.png"

# About: the program's menu is the first of the menu bar, About its first item.
xdotool windowfocus --sync "$wid"
xdotool mousemove --window "$wid" 14 12 click 1
sleep 0.5
xdotool key Down Return
about=$(window_named "About VEK") || fail "choosing About showed no about box"
sleep 0.3
"$shot" "$out/about.png"
xdotool windowfocus --sync "$about"
xdotool key Return
window_gone "About VEK" || fail "OK did not end the about box"

# A second start hands its file to the running vek and ends at once.
second="$out/second.vkx"
cp "$base" "$second"
status=0
timeout 30 "$vek" "$second" >"$out/second.log" 2>&1 || status=$?
[ "$status" = 0 ] || fail "the second start ended with status $status (see $out/second.log)"
secondWindow=$(window_named "second.vkx") || fail "the running vek did not open the handed file"
[ "$(xdotool getwindowpid "$secondWindow")" = "$pid" ] || fail "the handed file was opened by another process"

xdotool windowfocus --sync "$wid"
xdotool key ctrl+q
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "Ctrl+Q did not end vek"
wait "$pid" || fail "vek ended with status $? (see $out/vek.log)"
if compgen -G "$out/runtime/*.socket" >/dev/null; then fail "vek left its instance socket behind"; fi
echo "program: about box and hand-over seen, screenshots $out/program.png and $out/about.png"
