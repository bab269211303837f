#!/usr/bin/env bash
# Runs a command against a private PulseAudio daemon: a null sink whose monitor is the default
# source, reachable only through a unix socket in a temporary folder. The system's sound server,
# if any, is never touched, and what the daemon and its clients keep (the cookie) stays in that
# folder, so two runs at once share nothing. The daemon is stopped when the command ends.
#
#   scripts/with-pulseaudio.sh COMMAND [ARGS...]
set -euo pipefail

dir=$(mktemp -d "${TMPDIR:-/tmp}/tomaro-pulse.XXXXXX")
mkdir -p "$dir/runtime" "$dir/home" "$dir/config"
cat >"$dir/default.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/native
load-module module-null-sink sink_name=tomaro_null norewinds=1 rate=48000 channels=2
set-default-sink tomaro_null
set-default-source tomaro_null.monitor
PA

export HOME="$dir/home" XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir/runtime"
export PULSE_RUNTIME_PATH="$dir/runtime"
export PULSE_SERVER="unix:$dir/native"
unset DISPLAY DBUS_SESSION_BUS_ADDRESS

stop() {
    if [ -f "$dir/runtime/pid" ]; then kill "$(cat "$dir/runtime/pid")" 2>/dev/null || true; fi
    pulseaudio --kill 2>/dev/null || true
    rm -rf "$dir"
}
trap stop EXIT

pulseaudio -n --daemonize=yes --exit-idle-time=-1 --system=false --use-pid-file=yes \
    --disable-shm=yes -F "$dir/default.pa" --log-target="file:$dir/log" 2>/dev/null
for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
    echo "PulseAudio did not start:" >&2
    cat "$dir/log" >&2 || true
    exit 1
fi
"$@"
