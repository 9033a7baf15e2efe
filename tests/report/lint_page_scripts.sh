#!/bin/sh
# ESLint over the pages' scripts and the page's self-test, with the project's eslint.config.js.
#   lint_page_scripts.sh SOURCE_DIR
# Exit 0: nothing found; 77: no ESLint installed (skipped: `npm ci` in SOURCE_DIR installs it,
# as ./run test does); anything else: what ESLint found, or why it could not run.

set -u
cd "$1" || exit 1
eslint=node_modules/.bin/eslint
if ! command -v node >/dev/null 2>&1 || [ ! -x "$eslint" ]; then
    echo "ESLint not installed here: npm ci installs it"
    exit 77
fi
"$eslint" --version
exec "$eslint" --max-warnings 0 src/report/page tests/report/page_selftest.js
