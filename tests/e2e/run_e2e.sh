#!/bin/sh
# End-to-end test of the real Sumgrid window: the program runs from a private
# folder of its own under Xvfb, is driven with xdotool like a person would,
# and what it shows is read back from screenshots pixel by pixel.
#
#   sh run_e2e.sh path/to/sumgrid
#
# Needs Xvfb, xdotool, xdpyinfo/xwininfo (x11-utils) and ImageMagick.
# Prints one line per check and "N passed, N failed" at the end; exits
# non-zero on any failure, keeping the screenshots for a look (and on
# success too when SUMGRID_E2E_KEEP is set).

set -u

exe=${1:?usage: run_e2e.sh path/to/sumgrid}
title="Sumgrid : Quillmoor"

# Xvfb, the window, screenshots, the board and the tally of checks.
# shellcheck source=xvfb_lib.sh
. "$(dirname "$0")/xvfb_lib.sh"

kept() {
    echo "Screenshots and logs kept in $work:"
    for f in "$shots"/*.png; do [ -e "$f" ] && echo "  $f"; done
    echo "  $work/app.log"
}
work_dir sumgrid-e2e "${SUMGRID_E2E_KEEP:-}"
mkdir -p "$work/prog/puzzles" || { bad "cannot make $work/prog/puzzles"; finish; }

need_tools
if [ ! -x "$exe" ]; then
    bad "no executable at $exe"
    finish
fi

# --- The known puzzle --------------------------------------------------------
# Solution digit of 0-based row r, column c: a valid grid.
digit() { echo $(( ($1 * 3 + $1 / 3 + $2) % 9 + 1 )); }
# The same for 1-based column and row, as the board counts cells.
solution_at() { digit $(( $2 - 1 )) $(( $1 - 1 )); }

# One byte as a printf octal escape, without a fork.
oct() { printf '\\%d%d%d' $(( $1 / 64 )) $(( $1 / 8 % 8 )) $(( $1 % 8 )); }

write_book() {
    cages="" digits=""
    r=0
    while [ $r -lt 9 ]; do
        c=0
        while [ $c -lt 9 ]; do
            cages="$cages$(oct $(( r * 5 + c / 2 )))"
            digits="$digits$(oct $(( (r * 3 + r / 3 + c) % 9 + 1 )))"
            c=$((c + 1))
        done
        r=$((r + 1))
    done
    # "WOBE", count 1, offset 12; then "PLIX", side 9, cages, solution.
    # shellcheck disable=SC2059
    printf "WOBE\\001\\000\\000\\000\\014\\000\\000\\000PLIX\\011$cages$digits" > "$1"
}

# The program's folder: a copy of the executable with a book of its own.
cp "$exe" "$work/prog/sumgrid" || { bad "cannot copy $exe"; finish; }
write_book "$work/prog/puzzles/LEVEL-1.wobe"
size=$(wc -c < "$work/prog/puzzles/LEVEL-1.wobe")
if [ "$size" -ne $((12 + 5 + 81 + 81)) ]; then
    bad "the test's own book has $size bytes instead of 179"
    finish
fi

# --- The X server ------------------------------------------------------------
start_xvfb 90

# --- The program -------------------------------------------------------------
# A home of its own, so that nothing the program keeps touches the user's.
HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/home \
    QT_QPA_PLATFORM=xcb "$work/prog/sumgrid" >"$work/app.log" 2>&1 &
app_pid=$!

wait_window "$title"
ok "the window '$(xdotool getwindowname "$wid")' is shown"

# --- Pixels of the board -----------------------------------------------------
# How many pixels of colour rrggbb lie in the board rectangle x0..x1, y0..y1
# (inclusive, board coordinates) of the last screenshot.
count_px() {
    want=" $(echo "$5" | sed 's/../& /g; s/ $//')"
    y=$2
    while [ "$y" -le "$4" ]; do
        od -An -v -tx1 -w3 -j $(( ((board_y + y) * screen_w + board_x + $1) * 3 )) \
            -N $(( ($3 - $1 + 1) * 3 )) "$shot.rgb"
        y=$((y + 1))
    done | grep -c -x -- "$want"
}

# Moves the pointer to board point (x, y) and clicks there.
click_board() {
    xdotool mousemove --sync $((board_x + $1)) $((board_y + $2)) click 1
}
# The centre of cell (col, row).
click_cell() { click_board $(( $1 * 46 + 23 )) $(( $2 * 46 + 23 )); }

# Pixels of a colour in the inset of cell (col, row), where fill and digit lie.
count_in_cell() {
    count_px $(( $1 * 46 + 3 )) $(( $2 * 46 + 3 )) $(( $1 * 46 + 42 )) $(( $2 * 46 + 42 )) "$3"
}
# Red pixels in the top-right corner of a cell, where a check marks a wrong entry.
count_mark() {
    count_px $(( $1 * 46 + 32 )) $(( $2 * 46 )) $(( $1 * 46 + 45 )) $(( $2 * 46 + 13 )) c81414
}

visible_windows() { xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | wc -l; }
# A message box would be a new visible top-level window of the program.
no_new_window() {
    now=$(visible_windows)
    if [ "$now" -le "$windows_at_start" ]; then
        ok "no message box $1: an entry is still wrong ($now visible window(s))"
    else
        bad "a new window appeared $1 ($windows_at_start -> $now visible windows), though an entry is wrong"
    fi
}

green=78ff78
blue=1414f0
red=c81414
label=282828

# Conditions on the last screenshot, for shoot_until and the checks alike.
is_green() { [ "$(count_in_cell "$1" "$2" $green)" -gt 1000 ]; }
has_blue() { [ "$(count_in_cell "$1" "$2" $blue)" -gt 0 ]; }
is_marked() { [ "$(count_mark "$1" "$2")" -gt 0 ]; }
# Red pixels in the lower part of a cell, below the mark: the check's cross.
count_cross() {
    count_px $(( $1 * 46 + 4 )) $(( $2 * 46 + 14 )) $(( $1 * 46 + 42 )) $(( $2 * 46 + 42 )) $red
}
no_cross() { [ "$(count_cross "$1" "$2")" -eq 0 ]; }
board_shown() { find_board >/dev/null && [ "$(count_px 46 46 63 63 $label)" -gt 0 ]; }
# A check has run its course: the wrong cell is marked and the cross is gone.
check_done() { is_marked "$1" "$2" && no_cross "$1" "$2"; }
# Once cell (col, row) shows the selection, every earlier event has been handled.
synced_after_check() { is_green "$1" "$2" && no_cross "$3" "$4"; }

wrong_col=3 wrong_row=4
good_col=6 good_row=7
sync_col=1 sync_row=9

# --- (a) The board shows puzzle 1 ----------------------------------------------
windows_at_start=$(visible_windows)
if [ "$windows_at_start" -lt 1 ]; then
    bad "xdotool finds no visible window of process $app_pid, so a message box could not be told apart"
fi
shoot_until start board_shown
if ! find_board; then
    bad "the board was not found in the window"
    finish
fi
ok "the board lies at screen $board_x,$board_y (window at $win_x,$win_y)"

n=$(count_px 46 46 63 63 $label)
if [ "$n" -gt 0 ]; then ok "cell (1,1) shows its cage sum ($n label pixels)"
else bad "cell (1,1) shows no cage sum: no (40,40,40) pixels in board 46..63 x 46..63"; fi
# Cell (2,1) shares the cage of (1,1), so it carries no sum.
n=$(count_px 92 46 109 63 $label)
if [ "$n" -eq 0 ]; then ok "cell (2,1), not the first of its cage, has no sum"
else bad "cell (2,1) shows label pixels ($n) though its cage's sum belongs to (1,1)"; fi

# --- (b) Selecting a cell --------------------------------------------------------
n=$(count_in_cell $wrong_col $wrong_row $green)
if [ "$n" -eq 0 ]; then ok "cell ($wrong_col,$wrong_row) is not selected at start"
else bad "cell ($wrong_col,$wrong_row) is green before any click ($n pixels)"; fi

click_cell $wrong_col $wrong_row
shoot_until selected is_green $wrong_col $wrong_row
n=$(count_in_cell $wrong_col $wrong_row $green)
if [ "$n" -gt 1000 ]; then ok "clicked cell ($wrong_col,$wrong_row) is filled green ($n pixels)"
else bad "clicked cell ($wrong_col,$wrong_row) is not filled green (only $n (120,255,120) pixels in its inset)"; fi

# --- (c) A wrong pen digit ---------------------------------------------------------
right=$(solution_at $wrong_col $wrong_row)
wrong=$(( right % 9 + 1 ))
n=$(count_in_cell $wrong_col $wrong_row $blue)
if [ "$n" -eq 0 ]; then ok "cell ($wrong_col,$wrong_row) holds no digit before typing"
else bad "cell ($wrong_col,$wrong_row) has blue pixels ($n) before any digit was typed"; fi

xdotool key "$wrong"
shoot_until wrong-digit has_blue $wrong_col $wrong_row
n=$(count_in_cell $wrong_col $wrong_row $blue)
if [ "$n" -gt 0 ]; then ok "typed $wrong (solution $right) shows in blue in cell ($wrong_col,$wrong_row) ($n pixels)"
else bad "typing $wrong left no blue (20,20,240) pixels in cell ($wrong_col,$wrong_row)"; fi

# --- (d) Check: a cross for a moment, then a mark ---------------------------------
n=$(count_mark $wrong_col $wrong_row)
if [ "$n" -eq 0 ]; then ok "no error mark on cell ($wrong_col,$wrong_row) before a check"
else bad "cell ($wrong_col,$wrong_row) has red pixels ($n) in its corner before any check"; fi

click_board 326 18
take_shot during-check
# The cross shows only during the pause; seeing it is a bonus, not a check.
n=$(count_cross $wrong_col $wrong_row)
if [ "$n" -gt 0 ]; then echo "note: the red cross was caught on screen ($n pixels)"
else echo "note: the red cross was not caught on screen (it shows only for a moment)"; fi
sleep 1.5
shoot_until after-check check_done $wrong_col $wrong_row
n=$(count_mark $wrong_col $wrong_row)
if [ "$n" -gt 0 ]; then ok "after the check cell ($wrong_col,$wrong_row) carries a red mark ($n pixels)"
else bad "after the check cell ($wrong_col,$wrong_row) has no red (200,20,20) mark in board x $((wrong_col * 46 + 32))..$((wrong_col * 46 + 45)), y $((wrong_row * 46))..$((wrong_row * 46 + 13))"; fi
n=$(count_cross $wrong_col $wrong_row)
if [ "$n" -eq 0 ]; then ok "the cross is gone after the pause"
else bad "the red cross ($n pixels) is still over cell ($wrong_col,$wrong_row) 1.5 s after the check"; fi
n=$(count_in_cell $wrong_col $wrong_row $blue)
if [ "$n" -gt 0 ]; then ok "the wrong digit is still shown after the check"
else bad "the wrong digit in cell ($wrong_col,$wrong_row) vanished after the check"; fi
no_new_window "after the first check"

# --- (e) A right digit elsewhere, then check again --------------------------------
click_cell $good_col $good_row
shoot_until second-selected is_green $good_col $good_row
n=$(count_in_cell $good_col $good_row $green)
if [ "$n" -gt 1000 ]; then ok "cell ($good_col,$good_row) is selected ($n green pixels)"
else bad "clicked cell ($good_col,$good_row) is not filled green (only $n pixels)"; fi
n=$(count_in_cell $wrong_col $wrong_row $green)
if [ "$n" -eq 0 ]; then ok "the earlier cell ($wrong_col,$wrong_row) is no longer selected"
else bad "cell ($wrong_col,$wrong_row) is still green ($n pixels) after another cell was selected"; fi

right=$(solution_at $good_col $good_row)
xdotool key "$right"
shoot_until right-digit has_blue $good_col $good_row
n=$(count_in_cell $good_col $good_row $blue)
if [ "$n" -gt 0 ]; then ok "typed $right shows in blue in cell ($good_col,$good_row) ($n pixels)"
else bad "typing $right left no blue pixels in cell ($good_col,$good_row)"; fi

click_board 326 18
sleep 1.5
# The marks look the same before and after this check, so wait for a click
# made after it to show: then the check has been handled.
click_cell $sync_col $sync_row
shoot_until second-check synced_after_check $sync_col $sync_row $wrong_col $wrong_row
if is_green $sync_col $sync_row; then ok "the program answers again after the second check"
else bad "cell ($sync_col,$sync_row), clicked after the second check, never turned green"; fi
n=$(count_mark $good_col $good_row)
if [ "$n" -eq 0 ]; then ok "the right digit in cell ($good_col,$good_row) is not marked"
else bad "cell ($good_col,$good_row) holds its solution $right yet got a red mark ($n pixels)"; fi
n=$(count_mark $wrong_col $wrong_row)
if [ "$n" -gt 0 ]; then ok "the wrong digit in cell ($wrong_col,$wrong_row) is still marked"
else bad "the mark on the wrong digit in cell ($wrong_col,$wrong_row) is gone after the second check"; fi
n=$(count_in_cell $good_col $good_row $blue)
if [ "$n" -gt 0 ]; then ok "the right digit stays in cell ($good_col,$good_row) after the check"
else bad "the digit in cell ($good_col,$good_row) vanished after the second check"; fi
no_new_window "after the second check"

# --- (f) Escape --------------------------------------------------------------------
# The pointer is still over the board, where keys go.
xdotool key Escape
sleep 1
take_shot escape
if kill -0 "$app_pid" 2>/dev/null; then ok "the program is still running after Escape"
else bad "the program ended on Escape"; fi
state=$(xwininfo -id "$wid" 2>/dev/null | awk -F: '/Map State/ {gsub(/ /, "", $2); print $2}')
case "$state" in
    IsViewable) echo "note: the window is still mapped after Escape (no window manager to iconify it)" ;;
    IsUnMapped | IsUnviewable) echo "note: the window was unmapped by Escape" ;;
    *) echo "note: the window's map state after Escape is '$state'" ;;
esac
if [ -n "$state" ]; then ok "the main window still exists after Escape (map state $state)"
else bad "the main window is gone after Escape"; fi

finish
