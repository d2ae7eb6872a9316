#!/bin/sh
# Installs the Debian packages Sumgrid needs to build, test and run, if any is
# missing: with apt-get as root, or through sudo.
set -e

packages="cmake make g++ qt6-base-dev qt6-base-private-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core fontconfig
clang libclang-rt-14-dev dpkg-dev file desktop-file-utils librsvg2-bin
lintian appstream man-db python3"

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
