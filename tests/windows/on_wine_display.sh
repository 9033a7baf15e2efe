#!/usr/bin/env bash
# Runs a Windows program under Wine on a virtual display: the emulator of the cross-build's
# tests. The prefix (WINEPREFIX, else one under the build's temporary folder) is made once, with
# its windows left unmanaged (there is no window manager: otherwise each hidden window waits
# about two seconds for one); every run is under a timeout, since Wine waits for ever for a
# display it cannot reach.
set -euo pipefail
wine=${WINE:-$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/vantor-wine-tests}
display() { timeout "${WINE_TIMEOUT:-600}" xvfb-run -a -s "-screen 0 1600x1000x24" "$@"; }
if [ ! -f "$WINEPREFIX/.vantor-ready" ]; then
    mkdir -p "$WINEPREFIX"
    display "$wine" wineboot -i >/dev/null 2>&1 || true
    display "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    touch "$WINEPREFIX/.vantor-ready"
fi
display "$wine" "$@" 2> >(grep -v "X connection" >&2)
