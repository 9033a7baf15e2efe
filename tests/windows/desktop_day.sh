#!/usr/bin/env bash
# vantor.exe under Wine on a virtual display, a theater builder's day scripted through its own
# menus and panels: open the terrain, list the export, audit, look at a finding, apply its
# repair, undo, compare with a later version, check the roads. A picture of the window after
# each step goes to SHOTS; the files it writes are compared with the native vantor-cli's, and
# the settings it leaves in the registry are read back.
# Usage: desktop_day.sh VANTOR_EXE NATIVE_CLI SHOTS
set -euo pipefail
exe=$(realpath "$1")
native=$(realpath "$2")
shots=$(realpath -m "$3")
wine=${WINE:-$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)}
export WINEDEBUG=-all
work=$(mktemp -d)
export WINEPREFIX=$work/prefix
wineserver=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
win() { echo "Z:$1" | tr '/' '\\'; }
# Every start of Wine under a timeout: without a display a window is waited for for ever.
onDisplay() { timeout 300 xvfb-run -a -s "-screen 0 1600x1000x24" "$@" 2> >(grep -v "X connection" >&2); }

# The program: a GUI program that imports only Windows's own libraries.
objdump=$(command -v x86_64-w64-mingw32-objdump || echo objdump)
headers=$("$objdump" -p "$exe")
grep -q "Subsystem.*Windows GUI" <<<"$headers" || fail "vantor.exe is no GUI program"
allowed="advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt ole32 shell32 user32"
for dll in $(sed -n 's/.*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sed 's/\.dll$//'); do
    [[ " $allowed " == *" $dll "* ]] || fail "vantor.exe imports $dll.dll, which is not Windows's own"
done

# A fresh prefix whose windows are not left to a window manager (there is none): otherwise each
# hidden window waits about two seconds for one.
onDisplay "$wine" wineboot -i >/dev/null 2>&1 || true
onDisplay "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null

[ "$("$wine" "$exe" --version | tr -d '\r')" = "$("$native" --version | sed 's/vantor-cli/vantor/')" ] ||
    fail "--version"
"$wine" "$exe" --help | tr -d '\r' | grep -q -- "--dir DIR" || fail "--help"

dir=$work/theater
"$native" sample "$dir" --sections 8 >/dev/null
# A later version of the terrain: one tile set by hand on a copy.
mkdir -p "$work/later"
cp "$dir"/* "$work/later/"
"$native" --dir "$work/later" --terrain "$work/later/Theater.L2" set-tile 40 40 3008 >/dev/null || true
cmp -s "$dir/Theater.L2" "$work/later/Theater.L2" && fail "the later version is the same"
cp "$dir/Theater.L2" "$dir/Theater.O2" "$work/"

rm -rf "$shots"
mkdir -p "$shots"
W=$(win "$dir")
status=0
onDisplay "$wine" "$exe" --dir "$W" \
    --script 10215,10203,10241,finding:1,apply,10243,10245,10218 \
    --answer "terrain=$W\\Theater.L2" --answer "source=$W\\Theater.csv" \
    --answer "source=$W\\Theater.csv" \
    --answer "version=$(win "$work/later")\\Theater.L2" \
    --answer "output=$W\\Roads.csv" \
    --shot "$(win "$shots")\\day.png" --log "$(win "$shots")\\day.log" || status=$?
[ "$status" -eq 1 ] || fail "the scripted day ended with status $status, not the suite's 1"
tr -d '\r' < "$shots/day.log" > "$work/day.log"
grep -q "^script: done" "$work/day.log" || fail "the script did not run to its end: $(cat "$work/day.log")"
for picture in 01-10215-info 02-10203-list 03-10241-audit 04-finding-1 05-apply 06-10243-undo \
               07-10245-diff 08-form 09-10218-roads; do
    [ "$(stat -c %s "$shots/$picture.png" 2>/dev/null || echo 0)" -gt 20000 ] ||
        fail "no picture $picture.png of the step"
done
# The progress window, taken once at work.
[ "$(stat -c %s "$shots/progress.png" 2>/dev/null || echo 0)" -gt 2000 ] ||
    fail "no picture of the progress window"
grep -q "message: Undo: Generation 1" "$work/day.log" || fail "undo: $(cat "$work/day.log")"
# Apply wrote the pair back and Undo put the original back, byte for byte.
cmp -s "$dir/Theater.L2" "$work/Theater.L2" || fail "the terrain is not the original after undo"
cmp -s "$dir/Theater.O2" "$work/Theater.O2" || fail "the O2 is not the original after undo"

# The road check wrote what vantor-cli writes (but for the report's date line).
"$native" --dir "$work/native" sample --sections 8 >/dev/null
"$native" --dir "$work/native" --terrain "$work/native/Theater.L2" --out "$work/native/Roads.csv" \
    roads >/dev/null
undated() { tr -d '\r' < "$1" | sed '1s/[0-9].*//'; }
cmp -s <(undated "$dir/Roads.csv") <(undated "$work/native/Roads.csv") ||
    fail "Roads.csv differs from vantor-cli's"

# The same program on a screen of 144 DPI: the layout, the fonts and the pictures follow it.
onDisplay "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
mkdir -p "$shots/dpi144"
status=0
onDisplay "$wine" "$exe" --dir "$W" --script 10215,10203,10241,finding:1 \
    --answer "terrain=$W\\Theater.L2" --answer "source=$W\\Theater.csv" \
    --shot "$(win "$shots/dpi144")\\day.png" || status=$?
[ "$status" -eq 1 ] || fail "the run at 144 DPI ended with status $status"
[ -s "$shots/dpi144/04-finding-1.png" ] || fail "no picture of the run at 144 DPI"
onDisplay "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null

# The radar batch mode: no window, the settings dialog taken as it stands, its files given; the
# export it writes is vantor-cli's with the same (default) settings, but for the date line.
status=0
onDisplay "$wine" "$exe" --dir "$W" @radar --answer "terrain=$W\\Theater.L2" \
    --answer "source=$W\\Theater.csv" --answer "output=$W\\Radar.csv" \
    --log "$(win "$work")\\radar.log" || status=$?
[ "$status" -eq 1 ] || fail "@radar ended with status $status"
"$native" --dir "$work/native" --terrain "$work/native/Theater.L2" \
    --source "$work/native/Theater.csv" --out "$work/native/Radar.csv" radar >/dev/null
[ -s "$dir/Radar.csv" ] || fail "@radar wrote no export: $(tr -d '\r' < "$work/radar.log")"
cmp -s <(undated "$dir/Radar.csv") <(undated "$work/native/Radar.csv") ||
    fail "@radar's export differs from vantor-cli's (but for the date line)"

# The airbase batch mode: no window, its files given, the terrain levelled, status 1 at its end.
cp "$work/Theater.L2" "$work/Theater.O2" "$dir/"
status=0
onDisplay "$wine" "$exe" --dir "$W" @airbase --answer "terrain=$W\\Theater.L2" \
    --answer "source=$W\\Theater.csv" --answer "script=$W\\Airbase-Leveler-Script.dat" \
    --log "$(win "$work")\\batch.log" || status=$?
[ "$status" -eq 1 ] || fail "@airbase ended with status $status"
tr -d '\r' < "$work/batch.log" | grep -q "Airbases were leveled" || fail "@airbase: $(cat "$work/batch.log")"
cmp -s "$dir/Theater.L2" "$work/Theater.L2" && fail "@airbase left the terrain as it was"

# The settings went to the registry where the Qt program keeps them, as strings.
settings=$(onDisplay "$wine" reg query 'HKCU\Software\Moravik\Quillon' /s | tr -d '\r')
echo "$settings" | grep -q "REG_SZ" || fail "no settings in HKCU\\Software\\Moravik\\Quillon: $settings"
echo "$settings" | grep -qi "theater" || fail "the recent terrain is not in the registry: $settings"
echo "The scripted day passed; its pictures are in $shots"
