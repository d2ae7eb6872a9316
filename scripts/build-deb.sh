#!/bin/sh
# `build-deb.sh OUT [dpkg-buildpackage options]` builds the Debian package
# from a copy of this tree, has lintian judge it (an error, warning, info or
# pedantic tag not overridden fails the build) and leaves sumgrid_*.deb, its
# -dbgsym package and the .buildinfo and .changes in OUT. dpkg-buildpackage
# writes its results into the folder above the tree it builds, and
# debian/rules its build folder into the tree: the copy keeps both away from
# the tree itself and from whatever lies beside it.
set -e
mkdir -p "$1"
out=$(cd "$1" && pwd)
shift
source=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/sumgrid-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/sumgrid"

# The files git keeps or would keep, not the build folders it ignores; a tree
# outside git is copied without them.
cd "$source"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard | tar -c --null -T - --ignore-failed-read -f - | tar -x -C "$work/sumgrid"
else
    tar -c --exclude='./build*' --exclude=./dist -f - . | tar -x -C "$work/sumgrid"
fi

cd "$work/sumgrid"
dpkg-buildpackage -us -uc -b -jauto --check-command=lintian --check-option=-EIL --check-option=+pedantic \
    --check-option=--fail-on=error,warning,info,pedantic "$@"
rm -f "$out"/sumgrid*_*.deb "$out"/sumgrid_*.buildinfo "$out"/sumgrid_*.changes
mv "$work"/*.deb "$work"/*.buildinfo "$work"/*.changes "$out"
