#!/usr/bin/env bash
# Runs a test program on a private session bus of its own (private_bus.conf),
# within a time limit: when the program ends or the limit strikes, the bus and
# whatever the test started on it go too.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
exec timeout --kill-after=5 100 dbus-run-session --config-file="$here/private_bus.conf" -- "$@"
