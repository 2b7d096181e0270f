#!/bin/sh
# Runs a test program against a keyring daemon of its own: a private session bus, a fresh home and
# data folder (so that no real keyring is touched), and a login keyring unlocked with a fixed password.
# The daemon is stopped afterwards. Exits 77 (skipped) when the daemon or the bus tools are missing.
command -v dbus-run-session >/dev/null 2>&1 || exit 77
command -v dbus-send >/dev/null 2>&1 || exit 77
command -v gnome-keyring-daemon >/dev/null 2>&1 || exit 77
sandbox=$(mktemp -d) || exit 1
trap 'rm -rf "$sandbox"' EXIT
export HOME="$sandbox"
export XDG_DATA_HOME="$sandbox/data"
export XDG_RUNTIME_DIR="$sandbox/run"
export XDG_CONFIG_HOME="$sandbox/config"
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
export VEK_KEYRING_SANDBOX=1
dbus-run-session -- sh -c '
  printf test | gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null 2>&1 &
  daemon=$!
  tries=0
  until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q "boolean true"; do
    tries=$((tries + 1))
    [ "$tries" -gt 100 ] && { kill "$daemon" 2>/dev/null; exit 77; }
    sleep 0.05
  done
  "$@"
  status=$?
  kill "$daemon" 2>/dev/null
  wait "$daemon" 2>/dev/null
  exit $status' sh "$@"
