#!/usr/bin/env bash
# The Windows distribution from a cross-build: vantor-VERSION-windows-x64.zip (vantor.exe,
# vantor-cli.exe, the manual as text, the licence where there is one) and
# vantor-VERSION-windows-x64-setup.exe, the installer, which is then installed silently under
# Wine, run, and uninstalled.
# Usage: package.sh BUILD_DIR README OUT_DIR VERSION
set -euo pipefail
build=$(realpath "$1")
readme=$(realpath "$2")
out=$(realpath -m "$3")
version=$4
here=$(cd "$(dirname "$0")" && pwd)
wine=${WINE:-$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)}
export WINEDEBUG=-all
fail() { echo "FAILED: $*" >&2; exit 1; }
name=vantor-$version-windows-x64

stage=$(mktemp -d)
work=$(mktemp -d)
wineserver=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}
trap 'WINEPREFIX=$work/prefix "$wineserver" -k 2>/dev/null || true; rm -rf "$stage" "$work"' EXIT
x86_64-w64-mingw32-strip -o "$stage/vantor.exe" "$build/src/win32/vantor.exe"
x86_64-w64-mingw32-strip -o "$stage/vantor-cli.exe" "$build/src/cli/vantor-cli.exe"
sed 's/$/\r/' "$readme" > "$stage/README.txt" # Notepad's line ends
# The licence, where the project beside the README has one, goes with the programs.
files=(vantor.exe vantor-cli.exe README.txt)
for licence in LICENSE LICENSE.txt LICENSE.md COPYING; do
    if [ -f "$(dirname "$readme")/$licence" ]; then
        sed 's/\r*$/\r/' "$(dirname "$readme")/$licence" > "$stage/LICENSE.txt"
        files+=(LICENSE.txt)
        break
    fi
done
mkdir -p "$out"
rm -f "$out/$name.zip" "$out/$name-setup.exe"
(cd "$stage" && cmake -E tar cf "$out/$name.zip" --format=zip "${files[@]}")
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$out/$name-setup.exe" \
    "$here/vantor.nsi" >/dev/null
echo "Built $out/$name.zip ($(stat -c %s "$out/$name.zip") bytes) and $name-setup.exe" \
     "($(stat -c %s "$out/$name-setup.exe") bytes); vantor.exe is $(stat -c %s "$stage/vantor.exe") bytes"

# Installed silently into a fresh prefix: the files, the Start-menu entry, the uninstall entry;
# the installed programs run; the uninstaller takes them away again.
export WINEPREFIX=$work/prefix
timeout 300 "$wine" wineboot -i >/dev/null 2>&1 || true
timeout 300 "$wine" "$out/$name-setup.exe" /S || fail "the installer ended with status $?"
user=$(ls "$WINEPREFIX/drive_c/users" | grep -v -i public | head -n 1)
installed="$WINEPREFIX/drive_c/users/$user/AppData/Local/Programs/Vantor"
for f in "${files[@]}" Uninstall.exe; do
    [ -f "$installed/$f" ] || fail "the installer put no $f into $installed"
done
menu="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Vantor"
[ -f "$menu/Vantor.lnk" ] || fail "no Start-menu entry in $menu"
timeout 60 "$wine" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantor' |
    tr -d '\r' | grep -q "Vantor $version" || fail "no uninstall entry"
timeout 60 "$wine" "$installed/vantor.exe" --version | tr -d '\r' | grep -qx "vantor $version" ||
    fail "the installed vantor.exe does not run"
timeout 60 "$wine" "$installed/vantor-cli.exe" --version | tr -d '\r' | grep -q "$version" ||
    fail "the installed vantor-cli.exe does not run"
timeout 300 "$wine" "$installed/Uninstall.exe" /S "_?=$(echo "Z:$installed" | tr '/' '\\')" ||
    fail "the uninstaller ended with status $?"
[ ! -e "$installed/vantor.exe" ] || fail "the uninstaller left vantor.exe"
[ ! -e "$menu" ] || fail "the uninstaller left the Start-menu entry"
echo "The installer installs silently under Wine, the programs run, the uninstaller removes them."
