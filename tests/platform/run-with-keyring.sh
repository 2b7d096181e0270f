#!/bin/sh
# Runs a test program against a keyring daemon of its own: a private session bus, a fresh home and
# data folder (so that no real keyring is touched), and a login keyring unlocked with a fixed password.
# Exits 77 (skipped) when the daemon or the bus tools are not installed.
command -v dbus-run-session >/dev/null 2>&1 || exit 77
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
dbus-run-session -- sh -c 'printf test | gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>&1; exec "$@"' sh "$@"
