#!/bin/sh
# The Debian package, installed as on a fresh machine and started.
#
#   sh run_package_e2e.sh --build BUILD_DIR --source SOURCE_DIR
#       makes the .deb with cpack from the build folder (into a folder of
#       its own, so the build folder is left as it was) and tests it;
#   sh run_package_e2e.sh --deb path/to/sumgrid.deb [--source SOURCE_DIR]
#       tests a .deb made elsewhere.
#
# Nothing is installed on this machine: the package is unpacked with
# dpkg-deb -x into a fresh root, its layout and control fields are checked,
# and the program is started through the /usr/bin link of that root, from
# another working directory and with a home of its own, under an Xvfb of its
# own. A screenshot must show puzzle 1 of the packaged LEVEL-1.wobe.
#
# With SOURCE_DIR the packaged books, help and version are compared with the
# sources. Needs dpkg-deb, Xvfb, xdotool, x11-utils, ImageMagick, binutils
# and, with --build, cpack. Prints one line per check and "N passed,
# N failed"; exits non-zero on any failure, keeping its folder for a look
# (and on success too when SUMGRID_PACKAGE_KEEP is set).

set -u

build="" source="" deb=""
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build=${2:-}; shift 2 ;;
        --source) source=${2:-}; shift 2 ;;
        --deb) deb=${2:-}; shift 2 ;;
        *) echo "usage: run_package_e2e.sh --build BUILD_DIR --source SOURCE_DIR | --deb FILE [--source SOURCE_DIR]" >&2
           exit 2 ;;
    esac
done
if [ -z "$build$deb" ] || { [ -n "$build" ] && [ -n "$deb" ]; } || { [ -n "$build" ] && [ -z "$source" ]; }; then
    echo "usage: run_package_e2e.sh --build BUILD_DIR --source SOURCE_DIR | --deb FILE [--source SOURCE_DIR]" >&2
    exit 2
fi

title="Sumgrid : Quillmoor"
books="LEVEL-1 LEVEL-2 LEVEL-3 LEVEL-4"

# Xvfb, the window, screenshots, the board and the tally of checks.
# shellcheck source=../e2e/xvfb_lib.sh
. "$(dirname "$0")/../e2e/xvfb_lib.sh"

kept() { echo "The unpacked root, screenshots and logs are kept in $work"; }
work_dir sumgrid-package "${SUMGRID_PACKAGE_KEEP:-}"
root=$work/root
mkdir -p "$root" "$work/elsewhere" || { bad "cannot make the folders of the test in $work"; finish; }

tools="dpkg dpkg-deb dpkg-query readelf ldd cmp"
[ -n "$build" ] && tools="$tools cpack"
# shellcheck disable=SC2086
need_tools $tools

# --- The package ---------------------------------------------------------------
if [ -n "$build" ]; then
    # cpack installs these from the sources; without them it stops half-way,
    # so say plainly what is missing rather than test a package that cannot exist.
    missing=""
    [ -f "$source/help.txt" ] || missing="$missing $source/help.txt"
    for b in $books; do
        [ -f "$source/puzzles/$b.wobe" ] || missing="$missing $source/puzzles/$b.wobe"
    done
    if [ -n "$missing" ]; then
        bad "cannot make the package: missing from the sources:$missing"
        finish
    fi
    if [ ! -f "$build/CPackConfig.cmake" ]; then
        bad "no CPackConfig.cmake in $build: is it a configured build folder?"
        finish
    fi
    # -B keeps cpack's staging and the .deb out of the build folder.
    if ! (cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/cpack") >"$work/cpack.log" 2>&1; then
        bad "cpack failed in $build"
        sed "s/^/  | /" "$work/cpack.log"
        finish
    fi
    set -- "$work"/cpack/*.deb
    if [ $# -ne 1 ] || [ ! -f "$1" ]; then
        bad "cpack did not make exactly one .deb in $work/cpack (found: $*)"
        finish
    fi
    deb=$1
    ok "cpack made $(basename "$deb")"
elif [ ! -f "$deb" ]; then
    bad "no package at $deb"
    finish
fi

if ! dpkg-deb --info "$deb" >"$work/info.txt" 2>&1; then
    bad "dpkg-deb cannot read $deb"
    sed "s/^/  | /" "$work/info.txt"
    finish
fi
field() { dpkg-deb -f "$deb" "$1" 2>/dev/null; }

# --- Control fields --------------------------------------------------------------
name=$(field Package)
if [ "$name" = sumgrid ]; then ok "the package is called sumgrid"
else bad "the package is called '$name', not sumgrid"; fi

arch=$(field Architecture)
if [ "$arch" = "$(dpkg --print-architecture)" ]; then ok "its architecture is $arch, this machine's"
else bad "its architecture is '$arch', this machine's is $(dpkg --print-architecture)"; fi

if [ -n "$source" ]; then
    want=$(sed -n 's/^project(sumgrid VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
    version=$(field Version)
    if [ -n "$want" ] && [ "$version" = "$want" ]; then ok "its version $version is the project's"
    else bad "its version is '$version', the project's is '$want'"; fi
fi

depends=$(field Depends)
echo "  Depends: $depends"
# The alternatives of each dependency, one dependency a line, versions dropped.
dep_groups=$(echo "$depends" | tr ',' '\n' | sed 's/([^)]*)//g; s/:any//g; s/|/ /g; s/  */ /g; s/^ //; s/ $//')
depends_on() {
    echo "$dep_groups" | tr ' ' '\n' | grep -qx -- "$1"
}
# Every dependency must be satisfiable: some alternative of it is a package
# this machine knows, which proves the name is not misspelt.
echo "$dep_groups" >"$work/depends.txt"
while read -r group; do
    [ -n "$group" ] || continue
    found=""
    for p in $group; do
        if dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q "install ok installed"; then
            found=$p
            break
        fi
    done
    if [ -n "$found" ]; then ok "the dependency '$group' is met here by the installed $found"
    else bad "the dependency '$group' names no package installed on this machine (a misspelt name?)"; fi
done <"$work/depends.txt"

# --- Unpacking on a "fresh machine" -------------------------------------------------
dpkg-deb -c "$deb" >"$work/contents.txt" 2>&1
outside=$(awk '{print $6}' "$work/contents.txt" | grep -v -e '^\./$' -e '^\./usr/' -e '^\./usr$' | head -n 5)
if [ -z "$outside" ]; then ok "every path of the package lies under /usr"
else bad "the package puts files outside /usr: $(echo "$outside" | tr '\n' ' ')"; fi

if ! dpkg-deb -x "$deb" "$root" 2>"$work/extract.log"; then
    bad "dpkg-deb -x failed"
    sed "s/^/  | /" "$work/extract.log"
    finish
fi
ok "unpacked into the fresh root $root"

dir=$root/usr/lib/sumgrid
exe=$dir/sumgrid
if [ -f "$exe" ] && [ ! -L "$exe" ] && [ -x "$exe" ] &&
    [ "$(od -An -c -N4 "$exe" | tr -d ' ')" = '177ELF' ]; then
    ok "usr/lib/sumgrid/sumgrid is an executable ELF file"
else
    bad "usr/lib/sumgrid/sumgrid is not an executable ELF file"
    ls -l "$dir" 2>&1 | sed "s/^/  | /"
    finish
fi

# A fresh machine has no build folder: nothing may point the loader there.
rpath=$(readelf -d "$exe" | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]/\2/p')
if [ -z "$rpath" ]; then ok "the executable has no RPATH or RUNPATH"
else
    stray=$(echo "$rpath" | tr ':' '\n' | grep -v '^\$ORIGIN' | head -n 1)
    if [ -z "$stray" ]; then ok "the executable's library path stays beside it ($rpath)"
    else bad "the executable looks for libraries in $stray, which a fresh machine does not have"; fi
fi

for b in $books; do
    f=$dir/puzzles/$b.wobe
    if [ ! -f "$f" ]; then
        bad "usr/lib/sumgrid/puzzles/$b.wobe is missing"
    elif [ "$(head -c 4 "$f")" != WOBE ]; then
        bad "usr/lib/sumgrid/puzzles/$b.wobe does not start like a book (WOBE)"
    elif [ -n "$source" ] && ! cmp -s "$f" "$source/puzzles/$b.wobe"; then
        bad "usr/lib/sumgrid/puzzles/$b.wobe differs from puzzles/$b.wobe of the sources"
    else
        ok "usr/lib/sumgrid/puzzles/$b.wobe is a book$([ -n "$source" ] && echo ", the same as in the sources")"
    fi
done

if [ ! -f "$dir/help.txt" ] || [ ! -s "$dir/help.txt" ]; then
    bad "usr/lib/sumgrid/help.txt is missing or empty"
elif [ -n "$source" ] && ! cmp -s "$dir/help.txt" "$source/help.txt"; then
    bad "usr/lib/sumgrid/help.txt differs from help.txt of the sources"
else
    ok "usr/lib/sumgrid/help.txt is there"
fi

link=$root/usr/bin/sumgrid
if [ -L "$link" ] && [ "$(readlink "$link")" = ../lib/sumgrid/sumgrid ]; then
    ok "usr/bin/sumgrid is a link to ../lib/sumgrid/sumgrid"
else
    bad "usr/bin/sumgrid is not a link to ../lib/sumgrid/sumgrid ($(ls -l "$link" 2>&1))"
fi
if [ "$(readlink -f "$link" 2>/dev/null)" = "$(readlink -f "$exe")" ]; then
    ok "the link resolves to the executable inside the root"
else
    bad "usr/bin/sumgrid resolves to '$(readlink -f "$link" 2>/dev/null)', not to $exe"
fi

desktop=$root/usr/share/applications/sumgrid.desktop
icon=$root/usr/share/icons/hicolor/scalable/apps/sumgrid.svg
entry() { sed -n "/^\[Desktop Entry\]/,/^\[/ s/^$1=//p" "$desktop" | head -n 1; }
exec_line=""
if [ ! -f "$desktop" ]; then
    bad "usr/share/applications/sumgrid.desktop is missing"
else
    if command -v desktop-file-validate >/dev/null 2>&1; then
        if desktop-file-validate "$desktop" >"$work/desktop.log" 2>&1; then ok "the desktop entry passes desktop-file-validate"
        else bad "desktop-file-validate rejects the desktop entry"; sed "s/^/  | /" "$work/desktop.log"; fi
    fi
    if [ "$(entry Type)" = Application ] && [ -n "$(entry Name)" ]; then
        ok "the desktop entry is an application named '$(entry Name)'"
    else
        bad "the desktop entry lacks Type=Application or a Name"
    fi
    exec_line=$(entry Exec)
    exec_prog=${exec_line%% *}
    if [ -n "$exec_prog" ] && [ -x "$root/usr/bin/$exec_prog" ]; then
        ok "the desktop entry runs '$exec_line', which the package puts in /usr/bin"
    else
        bad "the desktop entry's Exec '$exec_line' names no program in the package's /usr/bin"
        exec_line=""
    fi
    if [ "$(entry Icon)" = sumgrid ]; then ok "the desktop entry's icon is sumgrid"
    else bad "the desktop entry's Icon is '$(entry Icon)', not the packaged sumgrid"; fi
fi
if [ ! -f "$icon" ]; then
    bad "usr/share/icons/hicolor/scalable/apps/sumgrid.svg is missing"
elif ! grep -q '<svg' "$icon"; then
    bad "the icon sumgrid.svg holds no <svg> element"
elif convert "$icon" -depth 8 "rgb:$work/icon.rgb" 2>"$work/icon.log" && [ -s "$work/icon.rgb" ]; then
    ok "the icon sumgrid.svg is an SVG image ImageMagick can draw"
else
    bad "ImageMagick cannot draw the icon sumgrid.svg"
    sed "s/^/  | /" "$work/icon.log"
fi

# --- Dependencies the executable really has ------------------------------------------
# The Qt libraries it is linked with, and the xcb platform plugin Qt loads
# on an X desktop, must come from packages the .deb depends on.
ldd "$exe" >"$work/ldd.txt" 2>&1
if grep -q "not found" "$work/ldd.txt"; then
    bad "the executable needs libraries this machine lacks: $(grep "not found" "$work/ldd.txt" | tr -s ' \t' ' ')"
fi
owner_of() {
    # dpkg -S prints "pkg[:arch][, pkg...]: path"; the first owner will do.
    dpkg -S "*/$1" 2>/dev/null | grep -- "/$1\$" | head -n 1 | sed 's/: .*//; s/,.*//; s/:.*//'
}
needed=$(readelf -d "$exe" | sed -n 's/.*(NEEDED).*\[\(libQt6[^]]*\)\]/\1/p')
if [ -z "$needed" ]; then
    bad "the executable is not linked with any Qt 6 library (readelf -d lists none)"
fi
for lib in $needed libqxcb.so; do
    pkg=$(owner_of "$lib")
    if [ -z "$pkg" ]; then
        bad "no installed package owns $lib, so its dependency cannot be checked"
    elif depends_on "$pkg"; then
        ok "$lib comes from $pkg, which Depends lists"
    else
        bad "$lib comes from $pkg, which Depends does not list"
    fi
done

# --- The record the program should show --------------------------------------------
# Puzzle 1 of the packaged LEVEL-1.wobe: its offset is the first entry of the
# table, and its record is "PLIX", the side, then the cage of each cell.
book1=$dir/puzzles/LEVEL-1.wobe
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
offset=$(u32 "$book1" 8)
side=$(od -An -tu1 -j $((offset + 4)) -N1 "$book1" | tr -d ' ')
if [ "$(dd if="$book1" bs=1 skip="$offset" count=4 2>/dev/null)" != PLIX ] || [ "$side" != 9 ]; then
    bad "puzzle 1 of the packaged LEVEL-1.wobe is not a 9 x 9 PLIX record (offset $offset, side $side)"
    finish
fi
# The cells that carry a sum: the first cell, in reading order, of each of
# the cages 0, 1, 2... in turn, as many as the record numbers. Prints them as
# "col row" lines, 1-based.
labelled_cells() {
    od -An -v -tu1 -j $(($2 + 5)) -N 81 "$1" | awk '
        { for (i = 1; i <= NF; i++) cage[n++] = $i }
        END {
            for (c = 0; c < 81; c++) {
                first = -1
                for (i = 0; i < 81; i++) if (cage[i] == c) { first = i; break }
                if (first < 0) break
                print first % 9 + 1, int(first / 9) + 1
            }
        }' | sort -k2,2n -k1,1n
}
labelled_cells "$book1" "$offset" >"$work/expected-labels.txt"
if [ "$(head -n 1 "$work/expected-labels.txt")" != "1 1" ]; then
    bad "the packaged puzzle 1 has no cage starting in cell (1,1): its cages are numbered otherwise"
    finish
fi
count=$(u32 "$book1" 4)
if [ "$count" -ge 2 ]; then
    offset2=$(u32 "$book1" 12)
    labelled_cells "$book1" "$offset2" >"$work/labels-2.txt"
    cmp -s "$work/expected-labels.txt" "$work/labels-2.txt" &&
        echo "note: puzzles 1 and 2 put their sums in the same cells, so the screen cannot tell them apart"
fi

# --- The X server ----------------------------------------------------------------------
start_xvfb 150

# --- Starting the installed program ----------------------------------------------------
# As a desktop would: the entry's Exec, looked up on a PATH that has the
# root's /usr/bin first, from an unrelated working directory, with a fresh
# home, and with nothing of the build's environment telling Qt where to look.
find "$root" -type f -exec cksum {} + | sort >"$work/root-before.txt"
launch=${exec_line:-sumgrid}
launch=$(echo "$launch" | sed 's/ %[a-zA-Z]//g')
(
    cd "$work/elsewhere" || exit 1
    unset LD_LIBRARY_PATH QT_PLUGIN_PATH QT_QPA_PLATFORM QT_QPA_PLATFORM_PLUGIN_PATH WAYLAND_DISPLAY
    PATH=$root/usr/bin:$PATH HOME=$work/home XDG_CONFIG_HOME=$work/home/.config \
        XDG_DATA_HOME=$work/home/.local/share XDG_CACHE_HOME=$work/home/.cache \
        XDG_RUNTIME_DIR=$work/home exec $launch
) >"$work/app.log" 2>&1 &
app_pid=$!

wait_window "$title"
shown=$(xdotool getwindowname "$wid")
if [ "$shown" = "$title" ]; then ok "the window's title is '$shown'"
else bad "the window's title is '$shown', not '$title'"; fi

running=$(readlink "/proc/$app_pid/exe" 2>/dev/null)
if [ "$running" = "$(readlink -f "$exe")" ]; then ok "the running program is the unpacked usr/lib/sumgrid/sumgrid"
else bad "the running program is '$running', not the unpacked $exe"; fi
cwd=$(readlink "/proc/$app_pid/cwd" 2>/dev/null)
if [ "$cwd" = "$(readlink -f "$work/elsewhere")" ]; then ok "it runs from an unrelated working directory"
else bad "it runs in '$cwd', not in the unrelated folder $work/elsewhere"; fi

# --- The board on the screen --------------------------------------------------------
# Cage-sum pixels (40,40,40) in the top-left 18 x 18 box of every cell, as
# "col row count" lines for the cells that have any.
label_counts() {
    od -An -v -tx1 -w3 "$shot.rgb" | awk -v W="$screen_w" -v bx="$board_x" -v by="$board_y" '
        $0 == " 28 28 28" {
            i = NR - 1; x = i % W - bx; y = int(i / W) - by
            if (x < 46 || y < 46 || x >= 460 || y >= 460) next
            if (x % 46 >= 18 || y % 46 >= 18) next
            n[int(x / 46) " " int(y / 46)]++
        }
        END { for (k in n) print k, n[k] }' | sort -k2,2n -k1,1n
}
labels_shown() {
    find_board >/dev/null && label_counts >"$work/shown-labels.txt" &&
        awk '{print $1, $2}' "$work/shown-labels.txt" | cmp -s - "$work/expected-labels.txt"
}

# The program may be slow on a busy machine: look again for about ten seconds.
shoot_tries=40
shoot_until start labels_shown

if find_board; then
    ok "the board is shown at screen $board_x,$board_y (window at $win_x,$win_y)"
else
    bad "no board in the window: no grid of thick (20,0,0) lines inside its frame"
    finish
fi
label_counts >"$work/shown-labels.txt"
n=$(awk '$1 == 1 && $2 == 1 {print $3}' "$work/shown-labels.txt")
if [ -n "$n" ]; then ok "cell (1,1) shows the first cage's sum ($n (40,40,40) pixels in board 46..63 x 46..63)"
else bad "cell (1,1) shows no cage sum: no (40,40,40) pixels in board 46..63 x 46..63"; fi
want=$(wc -l <"$work/expected-labels.txt")
if awk '{print $1, $2}' "$work/shown-labels.txt" | cmp -s - "$work/expected-labels.txt"; then
    ok "the sums stand in exactly the $want cells where puzzle 1 of the packaged LEVEL-1.wobe starts its cages"
else
    bad "the cells showing sums are not those of puzzle 1 of the packaged LEVEL-1.wobe"
    echo "  expected (col row):"; sed "s/^/  | /" "$work/expected-labels.txt" | paste - - - - - - | head -n 8
    echo "  shown (col row pixels):"; sed "s/^/  | /" "$work/shown-labels.txt" | paste - - - - - - | head -n 8
fi

if kill -0 "$app_pid" 2>/dev/null; then ok "the program is still running"
else bad "the program has exited"; sed "s/^/  | /" "$work/app.log"; fi
# A package made from the sanitizer build carries instrumented code, whose
# reports go to the program's output and would otherwise pass unseen.
if grep -qE "ERROR: [A-Za-z]+Sanitizer|runtime error:" "$work/app.log"; then
    bad "the program reported a sanitizer error:"
    sed "s/^/  | /" "$work/app.log"
else
    ok "the program's output holds no sanitizer report"
fi

find "$root" -type f -exec cksum {} + | sort >"$work/root-after.txt"
if cmp -s "$work/root-before.txt" "$work/root-after.txt"; then ok "the program left the installed files as they were"
else bad "the program changed the installed files:"; diff "$work/root-before.txt" "$work/root-after.txt" | sed "s/^/  | /"; fi

finish
