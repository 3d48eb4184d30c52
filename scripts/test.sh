#!/usr/bin/env bash
# Installs what is missing, then runs the workflows of CMakePresets.json: the default build
# with every test through ctest on a private session bus, the packaging checks on that
# build, the core's tests under AddressSanitizer+UBSan and under ThreadSanitizer, and each
# fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

"$root/scripts/deps.sh"

export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
fuzz_seconds=${FUZZ_SECONDS:-30}

runtime_dir=$(mktemp -d)
chmod 700 "$runtime_dir"
export XDG_RUNTIME_DIR=$runtime_dir
trap 'rm -rf "$runtime_dir"' EXIT

section() { printf '\n==== %s ====\n' "$1"; }

section "build: the default preset (RelWithDebInfo, warnings as errors, for /usr)"
# With the umask of user-private-group systems: the build sets the modes it needs itself
# (the bundle_modes test checks the result). The tests run with the usual umask.
(
    umask 002
    cmake --preset default
    cmake --build --preset default
)

section "all tests (private session bus)"
dbus-run-session -- ctest --preset default

section "installation into a temporary DESTDIR"
destdir=$(mktemp -d)
(umask 002 && DESTDIR=$destdir cmake --install build >/dev/null)
prefix=$destdir$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' build/CMakeCache.txt)
for f in bin/resvman libexec/resvman/schedule libexec/resvman/resvman-schedule-broker \
    share/applications/org.velto.ResvMan.desktop share/metainfo/org.velto.ResvMan.metainfo.xml \
    share/icons/hicolor/scalable/apps/resvman.svg share/icons/hicolor/48x48/apps/resvman.png; do
    [ -e "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done
# The polkit action goes where polkitd reads it, whatever the prefix, under a name of its
# installation's own: the package's for /usr, the folder's appended otherwise (the one the
# settings dialog's installation gives /usr/local).
configured=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' build/CMakeCache.txt)
if [ "$configured" = /usr ]; then
    action_id=org.velto.resvman.schedule
else
    action_id=org.velto.resvman.schedule.$(echo "$configured/libexec/resvman" |
        tr 'A-Z' 'a-z' | sed 's/[^a-z0-9]\+/-/g; s/^-*//; s/-*$//')
fi
action=$destdir/usr/share/polkit-1/actions/$action_id.policy
[ -e "$action" ] || { echo "missing after install: $action"; exit 1; }
grep -q "$configured/libexec/resvman/resvman-schedule-broker<" "$action" ||
    { echo "the polkit action does not name the installed broker"; exit 1; }
# Installed folders are 0755 whatever the umask.
[ "$(stat -c %a "$prefix/libexec/resvman")" = 755 ] || { echo "libexec/resvman is not 0755"; exit 1; }
desktop-file-validate "$prefix/share/applications/org.velto.ResvMan.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.velto.ResvMan.metainfo.xml"
# The installed program starts (and stops by itself) with its files in a fresh home.
install_home=$(mktemp -d)
HOME=$install_home XDG_DATA_HOME= XDG_CONFIG_HOME= QT_QPA_PLATFORM=offscreen \
    dbus-run-session -- "$prefix/bin/resvman" --measure-startup >/dev/null 2>&1
[ -d "$install_home/.local/share/resvman" ] || { echo "no per-user folder"; exit 1; }
rm -rf "$destdir" "$install_home"
echo "installation checked"

section "Debian package"
rm -f build/resvman_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/resvman_*.deb)
echo "$deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Depends\|Recommends\):/&/p'
# No errors and no warnings; the informational tags are shown.
lintian --display-info --fail-on error,warning "$deb"
# Exactly these files, owned by root; the root helper writable by root alone.
expected_files="./usr/bin/resvman
./usr/libexec/resvman/resvman-schedule-broker
./usr/libexec/resvman/schedule
./usr/share/applications/org.velto.ResvMan.desktop
./usr/share/doc/resvman/changelog.gz
./usr/share/doc/resvman/copyright
./usr/share/icons/hicolor/128x128/apps/resvman.png
./usr/share/icons/hicolor/16x16/apps/resvman.png
./usr/share/icons/hicolor/256x256/apps/resvman.png
./usr/share/icons/hicolor/32x32/apps/resvman.png
./usr/share/icons/hicolor/48x48/apps/resvman.png
./usr/share/icons/hicolor/64x64/apps/resvman.png
./usr/share/icons/hicolor/scalable/apps/resvman.svg
./usr/share/man/ja/man1/resvman.1.gz
./usr/share/man/man1/resvman.1.gz
./usr/share/metainfo/org.velto.ResvMan.metainfo.xml
./usr/share/polkit-1/actions/org.velto.resvman.schedule.policy"
listing=$(dpkg-deb --contents "$deb")
files=$(echo "$listing" | awk '$1 !~ /^d/ {print $6}' | sort)
diff <(echo "$expected_files") <(echo "$files") || { echo "the package's files differ (above)"; exit 1; }
if echo "$listing" | awk '$2 != "root/root"' | grep .; then
    echo "files above are not owned by root"
    exit 1
fi
for helper in schedule resvman-schedule-broker; do
    grep -q "^-rwxr-xr-x root/root .* ./usr/libexec/resvman/$helper\$" <<<"$listing" ||
        { echo "$helper is not root's alone (0755 root:root)"; exit 1; }
done
# Unpacked into a root of its own, the program answers and finds no reservations in a fresh
# home; the polkit action names the broker where the package puts it.
unpacked=$(mktemp -d)
dpkg-deb --extract "$deb" "$unpacked"
grep -q "<annotate key=\"org.freedesktop.policykit.exec.path\">/usr/libexec/resvman/resvman-schedule-broker</annotate>" \
    "$unpacked/usr/share/polkit-1/actions/org.velto.resvman.schedule.policy"
version=$("$unpacked/usr/bin/resvman" --version)
[ "$version" = "resvman $(dpkg-deb --field "$deb" Version)" ] || { echo "--version: $version"; exit 1; }
package_home=$(mktemp -d)
listed=$(HOME=$package_home XDG_DATA_HOME= LANG=C.UTF-8 dbus-run-session -- \
    "$unpacked/usr/bin/resvman" list)
[ "$listed" = "No reservations." ] || { echo "list: $listed"; exit 1; }
rm -rf "$unpacked" "$package_home"
echo "package checked: $deb"

section "core tests under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake --workflow --preset asan

section "core tests under ThreadSanitizer"
cmake --workflow --preset tsan

section "fuzz targets, ${fuzz_seconds} s each (file-level targets a third of it)"
cmake --workflow --preset fuzz
# Target, seeds, share of the time. The file-level target tries far fewer inputs a second;
# the parsing it shares is fuzzed from memory by its sibling.
for entry in "ReservationLoadFuzz load 1" "ReservationFileFuzz load 3" "PresetFileFuzz presets 1" \
    "StreamFuzz stream 1"; do
    read -r name seed_name share <<<"$entry"
    target="$root/build-fuzz/tests/fuzz/$name"
    [ -x "$target" ] || { echo "fuzz target missing: $name"; exit 1; }
    corpus="$root/build-fuzz/corpus-$name"
    mkdir -p "$corpus"
    seconds=$(((fuzz_seconds + share - 1) / share))
    # tests/fuzz/<target>.options: more flags for a target, on one line.
    read -r -a options 2>/dev/null <"$root/tests/fuzz/$name.options" || options=()
    echo "-- $name (${seconds} s${options[*]:+, ${options[*]}})"
    "$target" -max_total_time="$seconds" -print_final_stats=1 "${options[@]}" "$corpus" \
        "$root/tests/fuzz/seeds/$seed_name"
done

section "done"
echo "All test stages passed."
