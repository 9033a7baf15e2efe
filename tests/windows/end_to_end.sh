#!/usr/bin/env bash
# vantor-cli.exe under Wine, end to end: Windows paths (drive letter, backslashes), CRLF files,
# the start-folder rules, and the same terrain files as the native build writes.
# Usage: end_to_end.sh WINDOWS_EXE NATIVE_CLI
set -euo pipefail
exe=$1
native=$2
wine=${WINE:-$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)}
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$(mktemp -d)/prefix}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The folder as Windows sees it: drive Z: is the root of the Linux file system.
win() { echo "Z:$1" | tr '/' '\\'; }
run() { "$wine" "$exe" "$@" 2>&1 | tr -d '\r'; }
fail() { echo "FAILED: $*" >&2; exit 1; }

dir=$work/theater
wdir=$(win "$dir")
run --dir "$wdir" sample --sections 4 >/dev/null
[ -f "$dir/Theater.L2" ] || fail "the sample was not written under $wdir"
head -c 200 "$dir/Quillon.ini" | grep -q $'\r' || fail "Quillon.ini lacks CRLF line ends"

# The same sample from the native build: the terrain files are identical.
"$native" --dir "$work/native" sample --sections 4 >/dev/null
cmp -s "$dir/Theater.L2" "$work/native/Theater.L2" || fail "Theater.L2 differs from the native one"
cmp -s "$dir/Theater.O2" "$work/native/Theater.O2" || fail "Theater.O2 differs from the native one"

run --dir "$wdir" theaters | grep -q "Quillon Sample" || fail "theaters"
out=$(run --dir "$wdir" --terrain "$wdir\\Theater.L2" info 0 0 31 33)
echo "$out" | grep -q "Elevation" || fail "info: $out"
[ "$out" = "$("$native" --dir "$dir" --terrain "$dir/Theater.L2" info 0 0 31 33)" ] ||
    fail "info differs from the native build"

run --dir "$wdir" --terrain "$wdir\\Theater.L2" --out "$wdir\\Theater.L2M" \
    --theater "Quillon Sample" l2m >/dev/null
"$native" --dir "$work/native" --terrain "$work/native/Theater.L2" \
    --out "$work/native/Theater.L2M" --theater "Quillon Sample" l2m >/dev/null
cmp -s "$dir/Theater.L2M" "$work/native/Theater.L2M" || fail "the L2M file differs"

# The audit's page: the native build's bytes (the pages' files are built in the same way), but
# for the paths in its data. The sample's planted faults end the audit with status 3.
run --dir "$wdir" --terrain "$wdir\\Theater.L2" --source "$wdir\\Theater.csv" --quiet \
    audit --html "$wdir\\Audit.html" >/dev/null || true
"$native" --dir "$work/native" --terrain "$work/native/Theater.L2" \
    --source "$work/native/Theater.csv" --quiet audit --html "$work/native/Audit.html" >/dev/null ||
    true
without_data() { sed '/id="audit-data">/,/^<\/script>$/d' "$1"; }
[ -s "$dir/Audit.html" ] || fail "audit --html wrote no page"
cmp -s <(without_data "$dir/Audit.html") <(without_data "$work/native/Audit.html") ||
    fail "the audit page differs from the native one outside its data"

# Scripts are found whatever the letter case of their names.
mv "$dir/Object-RoadScript.dat" "$dir/OBJECT-ROADSCRIPT.DAT"
run --dir "$wdir" --terrain "$wdir\\Theater.L2M" --theater "Quillon Sample" \
    --out "$wdir\\Roads.csv" roads | grep -q "Road Scan Finished" || fail "roads"
grep -q $'\r' "$dir/Roads.csv" || fail "the report lacks CRLF line ends"

run --dir "$wdir" --terrain "$wdir\\Theater.L2" --source "$wdir\\Theater.csv" \
    --out "$wdir\\Radar.csv" radar | grep -q "Objects processed" || fail "radar"
run --dir "$wdir" ocd-generate | grep -q "OCD Objects found" || fail "ocd-generate"
run --dir "$wdir" --terrain "$wdir\\Theater.L2" --source "$wdir\\Theater.csv" \
    --out "$wdir\\Checked.csv" check-cities | grep -q "Objects written" || fail "check-cities"
cp "$dir/Theater.L2" "$dir/Theater.O2" "$work/"
out=$(run --dir "$wdir" --terrain "$wdir\\Theater.L2" --source "$wdir\\Theater.csv" level-airbases)
echo "$out" | grep -q "Airbases were leveled" || fail "level-airbases: $out"
# The write-back is a commit with the Windows file calls: the old pair kept in the history (and
# under its backup names), the journal and the lock's wait gone, undo and redo through it.
echo "$out" | grep -q "kept as generation 1 of the history" || fail "the write-back: $out"
[ -f "$dir/Theater.L2.vantor-history/g0001-Theater.L2" ] || fail "no history generation"
cmp -s "$dir/Theater.L2.bak" "$work/Theater.L2" || fail "Theater.L2.bak is not the old L2"
[ ! -e "$dir/Theater.L2.vantor-journal" ] || fail "the journal was left behind"
levelled=$(mktemp)
cp "$dir/Theater.L2" "$levelled"
run --terrain "$wdir\\Theater.L2" undo | grep -q "is in place again" || fail "undo"
cmp -s "$dir/Theater.L2" "$work/Theater.L2" || fail "undo did not put the old L2 back"
cmp -s "$dir/Theater.O2" "$work/Theater.O2" || fail "undo did not put the old O2 back"
run --terrain "$wdir\\Theater.L2" redo | grep -q "is in place again" || fail "redo"
cmp -s "$dir/Theater.L2" "$levelled" || fail "redo did not bring the levelled L2 back"
history=$(run --terrain "$wdir\\Theater.L2" history)
echo "$history" | grep -q "Levelling of" || fail "history: $history"
# Each generation says when it was made (the Windows file times once overflowed to nothing).
[ "$(echo "$history" | grep -cE '^[ *]+[0-9]+  20[0-9]{2}-[0-9]{2}-[0-9]{2} ')" -eq 2 ] ||
    fail "the generations' dates: $history"
rm -f "$levelled"
run --dir "$wdir" --terrain "$wdir\\Theater.L2" --source "$wdir\\Theater.csv" \
    --out "$wdir\\Map.png" render --scale 2 | grep -q "Wrote" || fail "render"
head -c 8 "$dir/Map.png" | od -An -c | grep -q "P   N   G" || fail "Map.png is no PNG"

# A source that cannot be read ends with a message and status 1, as on Linux.
set +e
"$wine" "$exe" --dir "$wdir" --source "$wdir\\Missing.csv" check-parents >/dev/null 2>&1
status=$?
set -e
[ "$status" -eq 1 ] || fail "a missing source gave status $status"
echo "vantor-cli.exe under Wine: every check passed"
