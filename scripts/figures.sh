#!/usr/bin/env bash
# Prints every speed and memory figure the project keeps an eye on, each beside its target,
# from a release build: the store, the watch pass, the table reload, the History window,
# start-up with 10,000 reservations, resident memory and idle CPU over 60 s with 10,000
# reservations.
#
#   ./scripts/figures.sh            (IDLE_SECONDS=60 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
idle_seconds=${IDLE_SECONDS:-60}

"$root/scripts/deps.sh" >/dev/null

build=$root/build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRESVMAN_TESTS=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_store bench_engine resvman_bundle \
    tst_resvtable tst_history >/dev/null

work=$(mktemp -d)
cleanup() {
    [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "${bus_pid:-}" ] && kill "$bus_pid" 2>/dev/null || true
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

store=$(bench "$build/tests/bench/bench_store")
row "store: 10,000 adds with sorting, one after another" "$(pick "$store" BM_AddSorted/10000 2)" "<= 1000 ms"
row "store: save of 10,000 (with fsync)" "$(pick "$store" BM_Save/real_time 2)" "<= 30 ms"
row "store: load of a 10,000-record file" "$(pick "$store" BM_Load/real_time 2)" "<= 20 ms"
row "store: next-reservation query" "$(pick "$store" BM_NextReservation 2)" "<= 1000 us"
row "store: latest-reservation query" "$(pick "$store" BM_LatestReservation 2)" "<= 1000 us"
row "store: next query right after an unsorted add" "$(pick "$store" BM_NextReservationAfterUnsortedAdd 2)" "<= 1000 us"

engine=$(bench "$build/tests/bench/bench_engine")
row "engine: one watch pass, 10,000 none due (CPU)" "$(pick "$engine" BM_WatchPassNothingDue/10000 3)" "<= 2000 us"

# The table: a full reload of 10,000 rows (model reset, the visible cells read, drawn),
# measured by the table test.
reload=$(cd "$work" && QT_QPA_PLATFORM=offscreen \
    "$build/tests/ui/tst_resvtable" reloadWithTenThousandReservations 2>&1 |
    sed -n 's/.*reload \([0-9.]*\) ms, [0-9]* visible rows read \([0-9.]*\) ms.*drawn \([0-9.]*\) ms.*/\1 \2 \3/p' |
    awk '{ printf "%.2f", $1 + $2 + $3 }')
row "table: full reload with 10,000 reservations (+ redraw)" "${reload:-n/a} ms" "<= 50 ms"

# The History window opened from the menu over a journal of 10,000 rows, to its first
# drawing, measured by the history test.
history=$(cd "$work" && QT_QPA_PLATFORM=offscreen \
    "$build/tests/ui/tst_history" openingTheHistoryWithTenThousandRows 2>&1 |
    sed -n 's/.*shown in \([0-9.]*\) ms.*/\1/p')
row "History window: opened with 10,000 rows" "${history:-n/a} ms" "<= 100 ms"

# The program itself, in a copy of the bundle with 10,000 reservations beside it.
cp -r "$build/bundle/ResvMan.app" "$work/ResvMan.app"
python3 "$root/tests/bench/make_resvinfo.py" --count 10000 "$work/.ResvInfo.dat" >/dev/null
eval "$(dbus-launch --sh-syntax)"
bus_pid=$DBUS_SESSION_BUS_PID

startup=$(QT_QPA_PLATFORM=offscreen "$work/ResvMan.app/AppRun" --measure-startup 2>&1 |
    sed -n 's/^startup-ms: \([0-9.]*\).*/\1/p' | tail -1)
row "start-up to the window shown, 10,000 reservations" "${startup:-n/a} ms" "<= 500 ms"

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
