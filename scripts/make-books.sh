#!/bin/sh
# Regenerates the bundled puzzle books puzzles/LEVEL-1.wobe .. LEVEL-5.wobe,
# byte for byte, from the seeds recorded below, and validates each one.
#
# usage: scripts/make-books.sh [SUMGRID_BOOK [OUTPUT_DIR]]
#   SUMGRID_BOOK  the sumgrid-book program (default: $SUMGRID_BOOK, then
#                 build/tools/sumgrid-book, then sumgrid-book on the PATH)
#   OUTPUT_DIR    where the books go (default: puzzles/ in this repository)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-${SUMGRID_BOOK:-}}
if [ -z "$tool" ]; then
    if [ -x "$root/build/tools/sumgrid-book" ]; then
        tool="$root/build/tools/sumgrid-book"
    elif command -v sumgrid-book >/dev/null 2>&1; then
        tool=sumgrid-book
    else
        echo "make-books.sh: cannot find sumgrid-book; build it or pass its path" >&2
        exit 2
    fi
fi
out=${2:-$root/puzzles}
mkdir -p "$out"

# book LEVEL SEED COUNT
book() {
    "$tool" generate --level "$1" --seed "$2" --count "$3" -o "$out/LEVEL-$1.wobe"
    "$tool" validate --level "$1" "$out/LEVEL-$1.wobe"
}

book 1 1001 250
book 2 2002 250
book 3 3003 250
book 4 4004 250
book 5 5005 250
