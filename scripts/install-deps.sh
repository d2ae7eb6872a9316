#!/bin/sh
# Installs the Debian packages Sumgrid needs, if any is missing: with apt-get
# as root, or through sudo. `install-deps.sh run` installs the first list
# alone (`make run`); with no argument both lists (`make test` and the rest).
set -e

# Building and running the program and the book tool: the compiler, CMake,
# Qt and CLI11.
run_packages="cmake make g++ qt6-base-dev libgl-dev libcli11-dev"

# The tests, benchmarks and fuzzers, and the package: GoogleTest and Google
# Benchmark, Qt's private headers (the window test switches accessibility
# on without a screen reader), an X server with its tools and fonts for the window tests,
# clang's libFuzzer, Debian's packaging tools and the package's judges.
test_packages="libgtest-dev libgmock-dev libbenchmark-dev qt6-base-private-dev python3
xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core fontconfig
clang libclang-rt-14-dev dpkg-dev debhelper desktop-file-utils librsvg2-bin
lintian appstream man-db"

packages="$run_packages"
[ "$1" = run ] || packages="$run_packages $test_packages"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    run=""
elif command -v sudo >/dev/null 2>&1; then
    run="sudo"
else
    echo "These packages are missing and neither root nor sudo is available:$missing" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$run apt-get update -qq
# shellcheck disable=SC2086
$run apt-get install -y --no-install-recommends $missing
