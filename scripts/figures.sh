#!/usr/bin/env bash
# Prints every speed and memory figure the project keeps an eye on, each beside its target,
# from a release build: the store, the presets file (ordinary and hostile), the watch pass,
# the table reload, the History window, start-up with 10,000 reservations beside an empty
# window's, resident memory and idle CPU over 60 s with 10,000 reservations, the exit, and
# the companion recorder's demodulation speed, its stream source (and velto recording a
# stream end to end), memory while recording and CPU while waiting.
#
#   ./scripts/figures.sh            (IDLE_SECONDS=60 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
idle_seconds=${IDLE_SECONDS:-60}

"$root/scripts/deps.sh" >/dev/null

# The release preset (CMakePresets.json): what the package is built from.
build=$root/build-release
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" --target StoreBench EngineBench PresetFileBench \
    resvman_bundle ReservationTableTest HistoryWindowTest StartupReference \
    ReceiverBench velto make_capture StreamBench >/dev/null

work=$(mktemp -d)
cleanup() {
    [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "${bus_pid:-}" ] && kill "$bus_pid" 2>/dev/null || true
    [ -n "${velto_pid:-}" ] && kill "$velto_pid" 2>/dev/null || true
    [ -n "${stream_server_pid:-}" ] && kill "$stream_server_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME"

row() { printf '%-58s %14s   target %s\n' "$1" "$2" "$3"; }

echo "Figures ($(date -u +%Y-%m-%dT%H:%M:%SZ), $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
echo

# Google Benchmark results as "name real_time cpu_time unit".
bench() {
    (cd "$work" && "$1" --benchmark_format=json --benchmark_repetitions=3 \
        --benchmark_report_aggregates_only=true 2>/dev/null) |
        python3 -c '
import json, sys
for b in json.load(sys.stdin)["benchmarks"]:
    if b.get("aggregate_name") == "median":
        print(b["run_name"], b["real_time"], b["cpu_time"], b["time_unit"])'
}
pick() { # results, name, field (2 real, 3 cpu) -> "value unit"
    awk -v n="$2" -v f="$3" '$1 == n { printf "%.3f %s", $f, $4 }' <<<"$1"
}

store=$(bench "$build/tests/bench/StoreBench")
row "store: 10,000 adds with sorting, one after another" "$(pick "$store" BM_AddSorted/10000 2)" "<= 1000 ms"
row "store: save of 10,000 (with fsync)" "$(pick "$store" BM_Save/real_time 2)" "<= 30 ms"
row "store: load of a 10,000-record file" "$(pick "$store" BM_Load/real_time 2)" "<= 20 ms"
row "store: next-reservation query" "$(pick "$store" BM_NextReservation 2)" "<= 1000 us"
row "store: latest-reservation query" "$(pick "$store" BM_LatestReservation 2)" "<= 1000 us"
row "store: next query right after an unsorted add" "$(pick "$store" BM_NextReservationAfterUnsortedAdd 2)" "<= 1000 us"

# The companion's presets file, ordinary and hostile, up to the 1 MiB cap: read or refused.
"$build/tests/bench/PresetFileBench" --benchmark_format=json --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true 2>/dev/null |
    python3 -c '
import json, sys
for b in json.load(sys.stdin)["benchmarks"]:
    if b.get("aggregate_name") == "median":
        name = b["run_name"].split("/", 1)[1]
        outcome = "read" if b["read"] else "refused"
        print("%-58s %14s   target <= 100 ms, <= 50 MB" % (
            "presets: %s (%s)" % (name, outcome),
            "%.2f ms %5.1f MiB" % (b["real_time"], b["peak_KiB"] / 1024)))'

engine=$(bench "$build/tests/bench/EngineBench")
row "engine: one watch pass, 10,000 none due (CPU)" "$(pick "$engine" BM_WatchPassNothingDue/10000 3)" "<= 2000 us"
replan=$(cd "$work" && "$build/tests/bench/EngineBench" --benchmark_filter=BM_ReplanMainThreadWorst \
    --benchmark_format=json 2>/dev/null |
    python3 -c 'import json, sys; print("%.2f" % json.load(sys.stdin)["benchmarks"][0]["mainThreadWorstMs"])')
row "engine: re-plan of 10,000, main thread held at most" "${replan:-n/a} ms" "<= 16 ms"

# The table: a full reload of 10,000 rows (model reset, the visible cells read, drawn),
# measured by the table test.
reload=$(cd "$work" && QT_QPA_PLATFORM=offscreen \
    "$build/tests/ui/ReservationTableTest" reloadWithTenThousandReservations 2>&1 |
    sed -n 's/.*reload \([0-9.]*\) ms, [0-9]* visible rows read \([0-9.]*\) ms.*drawn \([0-9.]*\) ms.*/\1 \2 \3/p' |
    awk '{ printf "%.2f", $1 + $2 + $3 }')
row "table: full reload with 10,000 reservations (+ redraw)" "${reload:-n/a} ms" "<= 50 ms"

# The History window opened from the menu over a journal of 10,000 rows, to its first
# drawing, measured by the history test.
history=$(cd "$work" && QT_QPA_PLATFORM=offscreen \
    "$build/tests/ui/HistoryWindowTest" openingTheHistoryWithTenThousandRows 2>&1 |
    sed -n 's/.*shown in \([0-9.]*\) ms.*/\1/p')
row "History window: opened with 10,000 rows" "${history:-n/a} ms" "<= 100 ms"

# The recorder's stream source, as CPU time per second of audio (a share of one core): the
# decoding and resampling of a 128 kbit/s MP3 from memory, the Opus encoding at 96 kbit/s
# that a recording adds, and the whole source reading a live loopback stream in real time.
stream=$(cd "$work" && "$build/tests/recorder/stream/StreamBench" --benchmark_filter=Minute \
    --benchmark_format=json 2>/dev/null |
    python3 -c '
import json, sys
for b in json.load(sys.stdin)["benchmarks"]:
    print(b["name"], 100 * b["cpu_time"] / 1000 / b["audio_s"])')
decode=$(awk '$1 == "BM_DecodeResampleMp3Minute" { printf "%.2f", $2 }' <<<"$stream")
encode=$(awk '$1 == "BM_EncodeOpus96kMinute" { printf "%.2f", $2 }' <<<"$stream")
row "stream: decode + resample of 128 kbit/s MP3, of a core" "${decode:-n/a} %" "(share)"
row "stream: Opus encoding at 96 kbit/s, of a core" "${encode:-n/a} %" "(share)"
row "stream: decode + resample + encode, of a core" \
    "$(awk -v d="${decode:-nan}" -v e="${encode:-nan}" 'BEGIN { printf "%.2f %%", d + e }')" "<= 3 %"
python3 "$root/tests/recorder/stream/stream_server.py" --media "$work/stream-media" \
    >"$work/stream-ports" 2>/dev/null &
stream_server_pid=$!
for _ in $(seq 300); do [ -s "$work/stream-ports" ] && break; sleep 0.1; done
stream_port=$(awk '{ print $2 }' "$work/stream-ports")
live=$(cd "$work" && STREAM_URL="http://127.0.0.1:${stream_port:-0}/tone.mp3" STREAM_SECONDS=20 \
    "$build/tests/recorder/stream/StreamBench" --benchmark_filter=LiveStream \
    --benchmark_format=json 2>/dev/null |
    python3 -c '
import json, sys
b = json.load(sys.stdin)["benchmarks"][0]
print("%.2f" % (100 * b["cpu_time"] / b["real_time"]))' || true)
# The program itself recording that stream for 20 s, end to end: decoding, resampling, the
# session and the Opus file, as its CPU time over the wall time it ran.
velto_stream=$(python3 - "$build/bundle/Velto.app/velto" "http://127.0.0.1:${stream_port:-0}/tone.mp3" \
    "$work/stream-recordings" <<'PY' || true
import os, resource, subprocess, sys, time
os.makedirs(sys.argv[3], exist_ok=True)
began = time.monotonic()
run = subprocess.run([sys.argv[1], "record", "--band", "FM", "--ch", "8000", "--seconds", "20",
                      "--source", "url:" + sys.argv[2], "--output", sys.argv[3]],
                     capture_output=True, timeout=120)
wall = time.monotonic() - began
used = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.2f" % (100 * (used.ru_utime + used.ru_stime) / wall) if run.returncode == 0 else "failed")
PY
)
kill "$stream_server_pid" 2>/dev/null || true
stream_server_pid=
row "stream: the source on a live MP3 stream, 20 s, of a core" "${live:-n/a} %" "<= 3 % with encoding"
row "velto record --source url: (128 kbit/s MP3), 20 s, of a core" "${velto_stream:-n/a} %" "<= 3 %"

# The program itself, in a copy of the bundle with 10,000 reservations beside it.
cp -r "$build/bundle/ResvMan.app" "$work/ResvMan.app"
python3 "$root/tests/bench/make_resvinfo.py" --count 10000 "$work/.ResvInfo.dat" >/dev/null
eval "$(dbus-launch --sh-syntax)"
bus_pid=$DBUS_SESSION_BUS_PID

# Start-up, from the process's start to the first drawing of the table, side by side with
# the yardstick (an empty main window with a menu bar and an empty 8-column table), the two
# taking turns; medians of STARTUP_RUNS each. The program is started without AppRun, the
# shell script that only finds it, as the yardstick has none.
startup=$(STARTUP_RUNS=${STARTUP_RUNS:-15} python3 - "$work/ResvMan.app/resvman" \
    "$build/tests/bench/StartupReference" <<'PY'
import os, statistics, subprocess, sys, time
env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
def once(command):
    began = time.monotonic_ns()
    out = subprocess.run(command, env=env, capture_output=True, text=True, timeout=60).stdout
    for line in out.splitlines():
        if line.startswith("first-paint-monotonic-ns:"):
            return (int(line.split(":")[1]) - began) / 1e6
    return float("nan")
program, reference = [], []
for _ in range(int(os.environ["STARTUP_RUNS"])):
    program.append(once([sys.argv[1], "--measure-startup"]))
    reference.append(once([sys.argv[2]]))
p, r = statistics.median(program), statistics.median(reference)
print(f"{p:.1f} {r:.1f} {p / r:.2f}")
PY
)
read -r startup_program startup_reference startup_ratio <<<"$startup"
row "start-up to the table drawn, 10,000 reservations" "$startup_program ms" "<= 500 ms"
row "start-up of the yardstick (empty window and table)" "$startup_reference ms" "(reference)"
row "start-up, program / yardstick" "$startup_ratio x" "<= 1.5 x"

QT_QPA_PLATFORM=offscreen "$work/ResvMan.app/AppRun" >"$work/app.log" 2>&1 &
app_pid=$!
sleep 5
ticks=$(getconf CLK_TCK)
cpu_of() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
before=$(cpu_of "$app_pid")
sleep "$idle_seconds"
after=$(cpu_of "$app_pid")
rss=$(awk '/VmRSS/ { print $2 }' "/proc/$app_pid/status")
hwm=$(awk '/VmHWM/ { print $2 }' "/proc/$app_pid/status")
row "idle CPU over ${idle_seconds} s, 10,000 reservations" \
    "$(awk -v a="$after" -v b="$before" -v t="$ticks" -v s="$idle_seconds" \
        'BEGIN { printf "%.2f %%", 100 * (a - b) / t / s }')" "about one wake-up a second"
row "resident memory, 10,000 reservations (peak)" "$((rss / 1024)) MiB ($((hwm / 1024)) MiB)" "(reported)"

# Exit: SIGTERM (the same last steps as the exit command: the final save of 10,000
# reservations, the threads stopped) until the process has ended.
began=$(date +%s%N)
kill -TERM "$app_pid"
status=0
wait "$app_pid" || status=$?
ended=$(date +%s%N)
app_pid=
row "exit after SIGTERM, 10,000 reservations (status $status)" \
    "$(((ended - began) / 1000000)) ms" "<= 100 ms"

# The companion recorder: its demodulation chains on one core (seconds of signal a second of
# CPU), then velto itself recording a capture in real time, and waiting for a start.
realtime() {
    (cd "$work" && "$build/tests/recorder/ReceiverBench" --benchmark_filter="$1" \
        --benchmark_format=json --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
        2>/dev/null) | python3 -c '
import json, sys
for b in json.load(sys.stdin)["benchmarks"]:
    if b.get("aggregate_name") == "median":
        print("%.1f" % b["realtime"])'
}
row "velto: FM stereo chain, 1.024 MS/s in, one core" "$(realtime BM_FmStereoChain) x real time" ">= 20 x"
row "velto: AM chain, 1.024 MS/s in, one core" "$(realtime BM_AmChain) x real time" ">= 50 x"

capture_settings=$("$build/tests/recorder/make_capture" fm-stereo 30 "$work/fm.cu8")
recordings=$work/recordings
mkdir -p "$recordings"
"$build/bundle/Velto.app/velto" record --band FM --ch 8000 --seconds 20 --output "$recordings" \
    --source "iq:$work/fm.cu8$capture_settings" >/dev/null 2>&1 &
velto_pid=$!
sleep 5
before=$(cpu_of "$velto_pid")
sleep 10
after=$(cpu_of "$velto_pid")
velto_rss=$(awk '/VmRSS/ { print $2 }' "/proc/$velto_pid/status")
velto_hwm=$(awk '/VmHWM/ { print $2 }' "/proc/$velto_pid/status")
wait "$velto_pid" || true
row "velto: resident memory recording FM stereo (peak)" "$((velto_rss / 1024)) MiB ($((velto_hwm / 1024)) MiB)" "<= 60 MB"
row "velto: CPU recording FM stereo in real time" \
    "$(awk -v a="$after" -v b="$before" -v t="$ticks" 'BEGIN { printf "%.1f %%", 100 * (a - b) / t / 10 }')" "(reported)"

# Waiting for a start 60 s ahead: no polling, so no CPU at all.
start=$(($(date +%s) + 60))
"$build/bundle/Velto.app/velto" record --band FM --ch 8000 --start "$start" --end "$((start + 10))" \
    --output "$recordings" --source "iq:$work/fm.cu8$capture_settings" >/dev/null 2>&1 &
velto_pid=$!
sleep 2
before=$(cpu_of "$velto_pid")
sleep 20
after=$(cpu_of "$velto_pid")
kill -TERM "$velto_pid"
wait "$velto_pid" || true
row "velto: CPU while waiting for a start, over 20 s" \
    "$(awk -v a="$after" -v b="$before" -v t="$ticks" 'BEGIN { printf "%.2f %%", 100 * (a - b) / t / 20 }')" "0 (no polling)"
