#!/usr/bin/env bash
# Checks that the translation files are complete and that the translation tools see every
# text of the program:
#   - an update run (lupdate over the program's sources, the same run as the
#     update_translations build target) changes neither .ts file: no id is new, none has
#     gone, no English source text differs from the one written beside the code;
#   - every entry of both files is finished and has a translation;
#   - every id written in the code ("IDS_…") is in both files, also ids that reach qtTrId
#     through a variable.
# Usage: check-translations.sh LUPDATE [LUPDATE_OPTION…] -- TS_FILE… -- SOURCE…
set -euo pipefail

lupdate=$1
shift
options=()
while [ "$1" != "--" ]; do
    options+=("$1")
    shift
done
shift
ts_files=()
while [ "$1" != "--" ]; do
    ts_files+=("$1")
    shift
done
shift
sources=("$@")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

copies=()
for ts in "${ts_files[@]}"; do
    cp "$ts" "$work/"
    copies+=("$work/$(basename "$ts")")
done
"$lupdate" "${options[@]}" "${sources[@]}" -ts "${copies[@]}" >"$work/lupdate.log" 2>&1 || {
    cat "$work/lupdate.log"
    echo "lupdate failed"
    exit 1
}
# Anything besides the per-file summary is a complaint about the sources.
if grep -v -e "^Updating '" -e '^    Found [0-9]* source text' "$work/lupdate.log"; then
    echo "lupdate complained about the sources (above)"
    failed=1
fi
for ts in "${ts_files[@]}"; do
    if ! diff -u "$ts" "$work/$(basename "$ts")"; then
        echo "$(basename "$ts"): an update run changes it (above). Run the update_translations"
        echo "target, then translate and finish every new or changed entry."
        failed=1
    fi
done

for ts in "${ts_files[@]}"; do
    name=$(basename "$ts")
    # unfinished, vanished and obsolete entries all carry a type.
    if grep -n '<translation [^>]*type=' "$ts"; then
        echo "$name: entries above are not finished"
        failed=1
    fi
    if grep -n -e '<translation></translation>' -e '<translation/>' "$ts"; then
        echo "$name: entries above have no translation"
        failed=1
    fi
done

ids=$(grep -ho '"IDS_[A-Z0-9_]*"' "${sources[@]}" | tr -d '"' | sort -u)
for id in $ids; do
    for ts in "${ts_files[@]}"; do
        if ! grep -q -e "<message id=\"$id\">" -e "<message id=\"$id\" " "$ts"; then
            echo "$(basename "$ts"): no entry for $id, which the code uses"
            failed=1
        fi
    done
done

if [ "$failed" -ne 0 ]; then
    exit 1
fi
echo "translations: $(echo "$ids" | wc -w) ids in the code, every entry finished in ${#ts_files[@]} files"
