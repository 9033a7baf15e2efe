#!/bin/sh
# The page vantor-cli writes for the audit of a generated sample theater (16 x 16 sections),
# with the page's self-test put in by the page generator, for the browser test:
#   sample_audit_page.sh VANTOR_CLI PAGE_GENERATOR PAGE
set -u
cli=$1
generator=$2
page=$3
theater=$(dirname "$page")/theater
rm -rf "$theater"
"$cli" sample "$theater" --sections 16 >/dev/null || exit 1
"$cli" --dir "$theater" ocd-generate >/dev/null || exit 1
"$cli" --dir "$theater" --terrain "$theater/Theater.L2" --source "$theater/Theater.csv" \
    --quiet audit --html "$page" >/dev/null
status=$?
# The sample's planted faults are found: status 3.
[ "$status" -eq 3 ] || { echo "the audit ended with status $status" >&2; exit 1; }
"$generator" --add-self-test "$page"
