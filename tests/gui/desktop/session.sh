#!/usr/bin/env bash
# A scripted desktop session against the program vek (run under xvfb-run by ctest):
#   session.sh VEK SCREENSHOT-TOOL BASE GOLDEN.png OUTDIR
# vek opens the base in a window; the session opens the File menu and chooses Print… (the print
# dialog, preset to print to a PDF file, is answered with Return; Print… is the third item up from the
# end, above Import Setups and Import, as Export is disabled), resizes the window, types into it,
# takes a screenshot of the root window (OUTDIR/session.png, compared loosely with GOLDEN.png; with
# VEK_UPDATE_GOLDEN=1 it replaces the golden image) and quits with Ctrl+Q. The printout
# (OUTDIR/session.pdf) must have the pages the base window lays out.
set -euo pipefail
vek=$1 shot=$2 base=$3 golden=$4 out=$5
rm -rf "$out"
mkdir -p "$out/config/VEK" "$out/home" "$out/runtime"
chmod 700 "$out/runtime"
# A runtime folder of its own: this vek hands its file to no other run's vek.
export XDG_CONFIG_HOME="$out/config" HOME="$out/home" XDG_RUNTIME_DIR="$out/runtime"
cat > "$out/config/VEK/Print Settings" <<SETTINGS
[Print Settings]
printer=Print to File
output-uri=file://$out/session.pdf
output-file-format=pdf
SETTINGS

fail() { echo "session: $*" >&2; kill "$pid" 2>/dev/null || true; exit 1; }
# Waits up to 10 s for a window with the exact name; prints its id.
window_named() {
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

"$vek" "$base" >"$out/vek.log" 2>&1 &
pid=$!
name=$(basename "$base")
wid=$(window_named "$name") || fail "no window named $name"
sleep 0.5

# The File menu from the menu bar (its title sits right of the program's menu), then Print…, the last
# item of the menu (Up from the top wraps to it).
xdotool windowfocus --sync "$wid"
eval "$(xdotool getwindowgeometry --shell "$wid")"
xdotool mousemove --window "$wid" 60 12 click 1
sleep 0.5
xdotool key Up Up Up Return
dialog=$(window_named "Print") || fail "choosing Print… showed no print dialog"
xdotool windowfocus --sync "$dialog"
sleep 0.3
xdotool key Return
for _ in $(seq 1 100); do [ -s "$out/session.pdf" ] && break; sleep 0.1; done
[ -s "$out/session.pdf" ] || fail "nothing was printed"

xdotool windowsize --sync "$wid" 480 260
xdotool windowfocus --sync "$wid"
xdotool type --delay 20 "abc"
sleep 0.5
if [ "${VEK_UPDATE_GOLDEN:-0}" = 1 ]; then
  "$shot" "$golden"
  cp "$golden" "$out/session.png"
else
  "$shot" "$out/session.png" "$golden" || fail "the screen differs from $golden (see $out/session.png)"
fi

xdotool key ctrl+q
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "Ctrl+Q did not end vek"
wait "$pid" || fail "vek ended with status $? (see $out/vek.log)"

pages=$(grep -a -c -E '/Type ?/Page([^s]|$)' "$out/session.pdf" || true)
[ "$pages" = 1 ] || fail "the printout has $pages pages, not 1"
echo "session: printed $pages page, screenshot $out/session.png"
