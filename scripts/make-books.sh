#!/bin/sh
# Regenerates the bundled puzzle books, byte for byte, from the seeds recorded
# below, and validates each one: the 9x9 books puzzles/LEVEL-1.wobe ..
# LEVEL-5.wobe, and books of other sides across several levels, named for
# both (puzzles/6x6-LEVELS-1-3.wobe). Each book rises in difficulty score.
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

# book SIDE LEVELS SEED COUNT (LEVELS: one level, or the first and last)
book() {
    if [ "$1" = 9 ]; then name="LEVEL-$2"; else name="$1x$1-LEVELS-$2"; fi
    "$tool" generate --side "$1" --level "$2" --seed "$3" --count "$4" -o "$out/$name.wobe"
    "$tool" validate "$out/$name.wobe"
}

book 9 1 1001 250
book 9 2 2002 250
book 9 3 3003 250
book 9 4 4004 250
book 9 5 5005 250
book 6 1-3 6006 120
book 12 2-5 12012 100
