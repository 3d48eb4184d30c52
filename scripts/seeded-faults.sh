#!/usr/bin/env bash
# Puts small, realistic faults into the code one at a time, builds what the chosen tests
# run, runs them, and puts the code back: a fault the tests pass is a branch no test holds.
# The faults are listed in scripts/seeded-faults.txt (the format is described there). A tool
# for developers, not part of the test command: run it before calling new logic done.
#
#   scripts/seeded-faults.sh [-b BUILD_DIR] [--no-baseline] [--list] [AREA...]
#
# BUILD_DIR: a configured and built tree (default: build, the default preset's). AREA: run
# only the faults of these areas. --no-baseline: do not first run each chosen set of tests
# on the unchanged code (a set that fails there would make every fault look caught).
# Prints one line a fault and caught/survived per area; exits 1 when a fault survived or an
# entry no longer fits the code.
set -euo pipefail
shopt -u patsub_replacement 2>/dev/null || true # '&' in a replacement is itself
cd "$(dirname "$0")/.."
root=$PWD
list=$root/scripts/seeded-faults.txt
build=$root/build
baseline=1
only_list=0
areas=()
while [ $# -gt 0 ]; do
    case $1 in
    -b) build=$(realpath "$2"); shift 2 ;;
    --no-baseline) baseline=0; shift ;;
    --list) only_list=1; shift ;;
    -h | --help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "unknown option: $1" >&2; exit 2 ;;
    *) areas+=("$1"); shift ;;
    esac
done
[ -f "$build/CMakeCache.txt" ] || { echo "no configured build in $build" >&2; exit 2; }

# The faults: area, file, text to find, its replacement, the tests; one a line, fields split
# and unquoted as xargs does.
entries=()
while IFS= read -r line || [ -n "$line" ]; do
    case $line in '' | '#'*) continue ;; esac
    entries+=("$line")
done <"$list"

fields() { printf '%s\n' "$1" | xargs printf '%s\0'; }

wanted() {
    [ ${#areas[@]} -eq 0 ] && return 0
    local a
    for a in "${areas[@]}"; do [ "$a" = "$1" ] && return 0; done
    return 1
}

# ctest's arguments for a selection: label:NAME or a -R expression.
selection() {
    case $1 in
    label:*) printf '%s\0' -L "^${1#label:}\$" ;;
    *) printf '%s\0' -R "$1" ;;
    esac
}

runtime=$(mktemp -d)
chmod 700 "$runtime"
backup=$runtime/backup
restore_from=""
cleanup() {
    if [ -n "$restore_from" ]; then
        cat "$backup" >"$restore_from"
    fi
    rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
export XDG_RUNTIME_DIR=$runtime

# What the selected tests run: their executables inside the build tree, or everything when a
# test runs something else (a script that drives the bundle).
targets_of() {
    local -a sel
    mapfile -d '' sel < <(selection "$1")
    ctest --test-dir "$build" -N --show-only=json-v1 "${sel[@]}" 2>/dev/null |
        python3 -c '
import json, os, sys
build = os.path.realpath(sys.argv[1])
tests = json.load(sys.stdin).get("tests", [])
if not tests:
    sys.exit(3)
found = set()
for test in tests:
    program = os.path.realpath((test.get("command") or [""])[0])
    if not program.startswith(build + "/"):
        print("all")
        sys.exit(0)
    found.add(os.path.relpath(program, build))
print("\n".join(sorted(found)))
' "$build"
}

build_for() {
    local -a targets
    mapfile -t targets < <(targets_of "$1") || return 3
    [ ${#targets[@]} -gt 0 ] || return 3
    if [ "${targets[0]}" = all ]; then
        cmake --build "$build" >"$runtime/build.log" 2>&1
    else
        cmake --build "$build" --target "${targets[@]}" >"$runtime/build.log" 2>&1
    fi
}

run_tests() {
    local -a sel bus=()
    mapfile -d '' sel < <(selection "$1")
    command -v dbus-run-session >/dev/null && bus=(dbus-run-session --)
    "${bus[@]}" ctest --test-dir "$build" -j2 "${sel[@]}" >"$runtime/test.log" 2>&1
}

declare -A caught=() total=() clean=()
broken=0
survivors=()
for entry in "${entries[@]}"; do
    mapfile -d '' f < <(fields "$entry")
    if [ ${#f[@]} -ne 5 ]; then
        echo "not five fields: $entry" >&2
        broken=$((broken + 1))
        continue
    fi
    area=${f[0]} file=${f[1]} find=${f[2]} replace=${f[3]} tests=${f[4]}
    nth=1
    if [[ $file == *@* ]]; then
        nth=${file##*@}
        file=${file%@*}
    fi
    wanted "$area" || continue
    if [ "$only_list" = 1 ]; then
        printf '%-10s %s: %s -> %s  [%s]\n' "$area" "$file" "$find" "$replace" "$tests"
        continue
    fi
    path=$root/$file
    mapfile -t lines < <(grep -nF -- "$find" "$path" 2>/dev/null | cut -d: -f1)
    if [ ${#lines[@]} -eq 0 ] || { [ "${f[1]}" = "$file" ] && [ ${#lines[@]} -ne 1 ]; } ||
        [ "$nth" -gt ${#lines[@]} ]; then
        printf '%-10s STALE     %s: "%s" is on %d lines\n' "$area" "${f[1]}" "$find" ${#lines[@]}
        broken=$((broken + 1))
        continue
    fi
    line=${lines[$((nth - 1))]}
    if [ "$baseline" = 1 ] && [ -z "${clean[$tests]:-}" ]; then
        if ! build_for "$tests" || ! run_tests "$tests"; then
            printf '%-10s BASELINE  the tests %s fail on the unchanged code\n' "$area" "$tests"
            for log in "$runtime/build.log" "$runtime/test.log"; do
                [ -f "$log" ] && tail -n 30 "$log" >&2
            done
            exit 1
        fi
        clean[$tests]=1
    fi
    cp "$path" "$backup"
    restore_from=$path
    # The first occurrence on the chosen line is replaced; every other line stays as it is.
    {
        head -n $((line - 1)) "$backup"
        text=$(sed -n "${line}p" "$backup"; printf x)
        text=${text%x}
        printf '%s' "${text/"$find"/"$replace"}"
        tail -n +$((line + 1)) "$backup"
    } >"$path"
    total[$area]=$((${total[$area]:-0} + 1))
    verdict=""
    if ! build_for "$tests"; then
        verdict="BROKEN   "
        broken=$((broken + 1))
        total[$area]=$((${total[$area]} - 1))
    elif run_tests "$tests"; then
        verdict="SURVIVED "
        survivors+=("$area $file: $find -> $replace")
    else
        verdict="caught   "
        caught[$area]=$((${caught[$area]:-0} + 1))
    fi
    cat "$backup" >"$path"
    restore_from=""
    printf '%-10s %s %s:%d: %s -> %s\n' "$area" "$verdict" "$file" "$line" "$find" "$replace"
done
[ "$only_list" = 1 ] && exit 0

echo
echo "caught/survived by area:"
all_caught=0
all_total=0
for area in $(printf '%s\n' "${!total[@]}" | sort); do
    c=${caught[$area]:-0}
    t=${total[$area]}
    printf '  %-12s %3d caught  %3d survived\n' "$area" "$c" $((t - c))
    all_caught=$((all_caught + c))
    all_total=$((all_total + t))
done
printf '  %-12s %3d caught  %3d survived' all "$all_caught" $((all_total - all_caught))
[ "$broken" -gt 0 ] && printf '  (%d entries stale or not building)' "$broken"
echo
# The tree is left built from the unchanged code for the next run.
cmake --build "$build" >/dev/null 2>&1 || true
[ ${#survivors[@]} -eq 0 ] && [ "$broken" -eq 0 ]
