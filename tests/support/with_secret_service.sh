#!/bin/sh
# Runs a command with a Secret Service of its own: gnome-keyring on the
# private session bus that dbus-run-session gives it, in a throw-away home,
# its login keyring unlocked with a password made up here.
set -e
HOME=$(mktemp -d)
XDG_DATA_HOME=$HOME/.local/share
export HOME XDG_DATA_HOME
mkdir -p "$XDG_DATA_HOME"
trap 'rm -rf "$HOME"' EXIT
eval "$(printf 'keyring-of-the-test' | gnome-keyring-daemon --unlock --components=secrets)"
export GNOME_KEYRING_CONTROL
VELTRIN_SECRET_SERVICE=1 "$@"
