#!/bin/sh
# Opens an audit page in headless Chromium and lets the self-test put into it run (#selftest):
# the picture loads, a row click marks its finding on the map, a marker click finds its row, the
# filter hides rows, nothing is fetched. Also leaves a screenshot for people to look at.
#   page_in_browser_test.sh GENERATOR WORKDIR [ARGUMENTS...]
# GENERATOR is run with the ARGUMENTS and then the path of the page to write, self-test and all.
# Exit 0: passed; 77: no Chromium here (skipped); anything else: failed, with the reason.

set -u

if [ $# -lt 2 ]; then
    echo "usage: $0 GENERATOR WORKDIR [ARGUMENTS...]" >&2
    exit 2
fi
generator=$1
mkdir -p "$2" || exit 1
workdir=$(cd "$2" && pwd -P) || exit 1
shift 2
page=$workdir/page.html
dom=$workdir/dom.html
shot=$workdir/audit_page.png
log=$workdir/chromium.log
rm -rf "$page" "$dom" "$shot" "$log" "$workdir/profile"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

"$generator" "$@" "$page" || fail "the generator $generator ended with status $?"
[ -s "$page" ] || fail "the generator wrote no page"
# The pass text must come from the self-test as it runs, not from the page as written.
if grep -q '<pre id="selftest"' "$page"; then
    fail "the page holds the selftest outcome before it runs"
fi

browser=
for name in chromium chromium-browser google-chrome google-chrome-stable; do
    if command -v "$name" >/dev/null 2>&1; then
        browser=$(command -v "$name")
        break
    fi
done
if [ -z "$browser" ]; then
    echo "chromium not found"
    exit 77
fi

# A file: URL of the page; the few characters a path may hold that a URL may not are escaped.
url="file://$(printf '%s' "$page" | sed -e 's/%/%25/g' -e 's/ /%20/g' -e 's/#/%23/g' -e 's/?/%3F/g')"

# Root needs --no-sandbox; a profile of our own keeps runs apart and the home folder clean.
run_browser() {
    timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-dev-shm-usage \
        --no-first-run --no-default-browser-check --disable-extensions \
        --user-data-dir="$workdir/profile" --enable-logging=stderr --v=0 \
        --virtual-time-budget=5000 "$@"
}

echo "browser: $browser ($("$browser" --version 2>/dev/null))"
run_browser --dump-dom "$url#selftest" >"$dom" 2>>"$log"
status=$?
if ! grep -q '<pre id="selftest"[^>]*>selftest: ok</pre>' "$dom"; then
    outcome=$(grep -o '<pre id="selftest"[^>]*>[^<]*' "$dom" | sed 's/<pre id="selftest"[^>]*>//')
    echo "browser status: $status" >&2
    echo "page console and browser messages:" >&2
    grep -E 'CONSOLE|Uncaught' "$log" | tail -n 20 >&2
    if [ -n "$outcome" ]; then
        fail "the page reports: $outcome"
    fi
    fail "the page wrote no selftest outcome (script not run or broken; DOM in $dom)"
fi
echo "selftest: ok"

# The screenshot is for people; its absence is reported, not failed.
if run_browser --hide-scrollbars --window-size=1280,1600 --screenshot="$shot" \
    "$url#selftest" >>"$log" 2>&1 && [ -s "$shot" ]; then
    echo "screenshot: $shot"
else
    echo "note: no screenshot written (see $log)"
fi
# And the page zoomed in on its first finding, down to single posts.
closeup=$workdir/audit_page_closeup.png
if run_browser --hide-scrollbars --window-size=1280,1000 --screenshot="$closeup" \
    "$url#closeup" >>"$log" 2>&1 && [ -s "$closeup" ]; then
    echo "screenshot: $closeup"
fi
rm -rf "$workdir/profile"
exit 0
