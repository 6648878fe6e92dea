#!/usr/bin/env bash
# Runs the console's browser tests against SERVER (chamber-server) serving the console's files in
# FILES. Skipped (77) without Debian's Chromium or the pinned playwright-core (scripts/install-deps.sh
# installs both).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [ ! -x /usr/bin/chromium ] || [ ! -d "$here/node_modules/playwright-core" ] || ! command -v node >/dev/null; then
    echo "skipped: needs /usr/bin/chromium, node and npm ci in tests/console (scripts/install-deps.sh)"
    exit 77
fi
cd "$here"
ODC_SERVER="$1" ODC_CONSOLE_FILES="$2" exec timeout 150 node --test console.test.mjs
