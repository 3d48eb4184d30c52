#!/usr/bin/env bash
# Takes the screenshots of Velto's window and settings in docs/images/, in English and
# Japanese, at 100 % and 200 %: a real velto replays a generated capture while it records
# a programme handed over on a private session bus.
# Usage: scripts/velto-screenshots.sh BUILD_DIR [OUT_DIR]
set -euo pipefail
build=$(readlink -f "$1")
out=$(readlink -f "${2:-docs/images}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 700 "$work"
address=$("$build/tests/recorder/make_capture" fm-stereo 30 "$work/fm.cu8" | tail -1)
export VELTO_SOURCE="iq:$work/fm.cu8$address&loop=1"

shoot() { # LANG SCALE SUFFIX
    local home=$work/home-$3
    mkdir -p "$home/config" "$home/Music" "$home/run"
    chmod 700 "$home/run"
    mkdir -p "$home/config/velto"
    chmod 700 "$home/config/velto"
    printf 'FM\t8000\tfallback\thttps://radio.example.org/fm800.m3u8\tExample FM\nAM\t594\treceiver\t\tExample AM\n' \
        >"$home/config/velto/stations.conf"
    chmod 600 "$home/config/velto/stations.conf"
    HOME=$home XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/run LANG=$1 LANGUAGE= \
    LC_ALL=$1 QT_SCALE_FACTOR=$2 VELTO=$build/bundle/Velto.app/velto OUT=$out SUFFIX=$3 \
        xvfb-run -a -s "-screen 0 1600x1400x24" dbus-run-session -- bash -c '
        "$VELTO" 2>/dev/null &
        sleep 2
        now=$(date +%s)
        post() {
            busctl --user emit /org/velto/DistributedNotifications \
                org.velto.DistributedNotifications Notification "ssba{sv}" \
                Schedule_Notification_SendMessage message true 6 CH i "$1" BAND s FM \
                RecStartTime d "$2" RecEndTime d "$3" Title s "$4" AppTerminate b false
        }
        post 8000 $((now - 1)) $((now + 3)) "$([ "$LANG" = C.UTF-8 ] && echo "Weather" || echo "天気予報")"
        sleep 6
        post 8000 $((now - 600)) $((now + 3000)) "$([ "$LANG" = C.UTF-8 ] && echo "Morning Jazz" || echo "朝のジャズ")"
        post 8000 $((now + 7200)) $((now + 9000)) "$([ "$LANG" = C.UTF-8 ] && echo "Evening News" || echo "夕方のニュース")"
        sleep 4
        window=$(xdotool search --name "^Velto$" | head -1)
        import -window "$window" "$OUT/velto-window-$SUFFIX.png"
        xdotool windowfocus --sync "$window" key alt+s
        sleep 3
        dialog=$(xdotool search --name "^Velto .+" | head -1)
        import -window "$dialog" "$OUT/velto-settings-$SUFFIX.png"
        xdotool key ctrl+Tab ctrl+Tab
        sleep 1
        import -window "$dialog" "$OUT/velto-stations-$SUFFIX.png"
        kill %1
        wait'
}
shoot C.UTF-8 1 en
shoot ja_JP.UTF-8 1 ja
shoot C.UTF-8 2 en-200
shoot ja_JP.UTF-8 2 ja-200
ls -l "$out"/velto-*.png
