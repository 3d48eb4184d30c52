#!/usr/bin/env bash
# Installs what is missing, builds the program and its bundle into build/, and starts it:
# build/bundle/ResvMan.app/AppRun. Its reservation file is build/bundle/.ResvInfo.dat.
#
# On a machine without a display (neither DISPLAY nor WAYLAND_DISPLAY set) the program runs
# on a virtual X display; a few seconds after the start a screenshot is saved to
# build/screenshot.png. It then keeps running until Ctrl+C, or ends right after the
# screenshot when RUN_ONCE=1.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

"$root/scripts/deps.sh"

# Same build type as the test command, so the two share build/; warnings stay warnings
# here unless the test command configured the tree.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target resvman_bundle

app="$root/build/bundle/ResvMan.app/AppRun"
shot="$root/build/screenshot.png"

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    chmod 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

# The program talks to its companion over the session bus; start a private one if there
# is none.
with_bus=()
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    with_bus=(dbus-run-session --)
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting $app"
    exec "${with_bus[@]}" "$app" "$@"
fi

echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): running on a virtual X display."
rm -f "$shot"
export RESVMAN_APP="$app" RESVMAN_SHOT="$shot" RUN_ONCE="${RUN_ONCE:-0}"
"${with_bus[@]}" xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" bash -c '
    "$RESVMAN_APP" "$@" &
    pid=$!
    trap "kill -TERM $pid 2>/dev/null; wait $pid; exit 0" INT TERM
    sleep 4
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid" || status=$?
        echo "The program ended early (exit status ${status:-0})." >&2
        exit 1
    fi
    import -window root "$RESVMAN_SHOT"
    echo "Screenshot saved: $RESVMAN_SHOT"
    if [ "$RUN_ONCE" = 1 ]; then
        kill -TERM "$pid"
        wait "$pid" || true
        exit 0
    fi
    echo "Running; press Ctrl+C to stop."
    wait "$pid"
' run "$@"
