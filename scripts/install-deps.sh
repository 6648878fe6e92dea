#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the simulator need (as root, or with
# sudo), then the console's browser tests' one npm package, pinned by tests/console's lock file.
# Does nothing when they are all installed already.
set -euo pipefail

packages=(
    # build
    cmake g++ make pkg-config ccache
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev tzdata
    # the toolkit: CEGUI with OGRE's types, and a CJK font
    libcegui-mk2-dev libcegui-mk2-data libogre-1.12-dev fonts-wqy-microhei
    # the art, built from SVG
    librsvg2-bin libstb-dev
    # pictures (EGL, no X server) and the window (GLFW over GLX, Xvfb for tests)
    libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0 libglew-dev libglfw3-dev xvfb xauth
    # the protobuf peer of the packet benchmarks
    libprotobuf-dev protobuf-compiler
    # the network server: Boost (Asio, Beast), SQLite, libsodium
    libboost-dev libsqlite3-dev libsodium-dev
    # the store on PostgreSQL: libpq, and the server for the tests' throwaway clusters
    libpq-dev postgresql
    # the command lines of the server and the tools
    libcli11-dev
    # hardening: libFuzzer with clang, valgrind's memcheck, coverage reports
    clang libclang-rt-14-dev valgrind gcovr
    # the network-fault test: network namespaces (ip netns); the fault tests and bench/ scripts
    iproute2 python3
    # promtool, which lints the admin listener's /metrics in the tests
    prometheus
    # the console's browser tests: headless Chromium driven from Node (playwright-core)
    chromium nodejs
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
# A Node.js from elsewhere brings its own npm.
command -v npm >/dev/null || missing+=(npm)

if [ ${#missing[@]} -ne 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

console_tests="$(cd "$(dirname "$0")/../tests/console" && pwd)"
version_of() { node -p "require('$1').version" 2>/dev/null || true; }
wanted=$(node -p "require('$console_tests/package-lock.json').packages['node_modules/playwright-core'].version")
if [ "$(version_of "$console_tests/node_modules/playwright-core/package.json")" != "$wanted" ]; then
    (cd "$console_tests" && npm ci --no-audit --no-fund --loglevel=error)
fi
