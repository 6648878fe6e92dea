#!/usr/bin/env bash
# Takes the README's pictures of the operators' console (docs/console-*.png) with headless
# Chromium, against a chamber-server of its own on 127.0.0.1. Needs a build (build/server) and
# scripts/install-deps.sh's Chromium and playwright-core.
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p docs
exec timeout 150 node scripts/console-pictures.mjs "${1:-build/server/chamber-server}" console docs
