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

pass=0
fail=0
ok() { pass=$((pass + 1)); echo "PASS: $*"; }
bad() { fail=$((fail + 1)); echo "FAIL: $*"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/sumgrid-e2e.XXXXXX") || exit 1
shots=$work/shots
mkdir -p "$shots" "$work/prog/puzzles" "$work/home" && chmod 700 "$work/home"
xvfb_pid=""
app_pid=""

cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$app_pid" ] && wait "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    if [ "$fail" -eq 0 ] && [ -z "${SUMGRID_E2E_KEEP:-}" ]; then
        rm -rf "$work"
    else
        echo "Screenshots and logs kept in $work:"
        for f in "$shots"/*.png; do [ -e "$f" ] && echo "  $f"; done
        echo "  $work/app.log"
    fi
}
trap cleanup EXIT
trap 'exit 2' INT TERM HUP

finish() {
    echo "$pass passed, $fail failed"
    [ "$fail" -eq 0 ]
    exit $?
}

for tool in Xvfb xdotool xdpyinfo xwininfo import convert od; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        bad "the tool $tool is not installed"
        finish
    fi
done
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
display=""
n=$(( 90 + $$ % 50 ))
tries=0
while [ $tries -lt 12 ]; do
    tries=$((tries + 1))
    n=$((n + 1))
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb-$n.log" 2>&1 &
    xvfb_pid=$!
    waited=0
    while [ $waited -lt 50 ]; do
        kill -0 "$xvfb_pid" 2>/dev/null || break
        # The display is ours only if our own server holds its lock: another
        # server already there would answer xdpyinfo just as well.
        if [ "$(tr -d " \n" 2>/dev/null < "/tmp/.X$n-lock")" = "$xvfb_pid" ] &&
            xdpyinfo -display ":$n" >/dev/null 2>&1; then
            display=":$n"
            break
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    [ -n "$display" ] && break
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
done
if [ -z "$display" ]; then
    bad "could not start Xvfb on any display number"
    finish
fi
export DISPLAY="$display"
screen_w=1024
screen_h=768
dims=$(xdpyinfo | awk "/dimensions:/ {print \$2; exit}")
if [ "$dims" != "${screen_w}x$screen_h" ]; then
    bad "the X server on $display has a $dims screen, not ${screen_w}x$screen_h"
    finish
fi

# --- The program -------------------------------------------------------------
# A home of its own, so that nothing the program keeps touches the user's.
HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/home \
    QT_QPA_PLATFORM=xcb "$work/prog/sumgrid" >"$work/app.log" 2>&1 &
app_pid=$!

wid=$(timeout 30 xdotool search --sync --onlyvisible --name "$title" 2>/dev/null | head -n 1)
if [ -z "$wid" ]; then
    bad "no visible window named '$title' within 30 s"
    kill -0 "$app_pid" 2>/dev/null || echo "  the program has exited"
    sed "s/^/  | /" "$work/app.log"
    finish
fi
ok "the window '$(xdotool getwindowname "$wid")' is shown"

# --- Screenshots and pixels ----------------------------------------------------
shot_no=0
shot=""
board_x=0 board_y=0
# Takes a screenshot of the whole screen; $shot names it, $shot.rgb holds raw RGB.
take_shot() {
    shot_no=$((shot_no + 1))
    shot="$shots/$(printf %02d $shot_no)-$1.png"
    import -window root "$shot" && convert "$shot" -depth 8 "rgb:$shot.rgb"
}

# Takes screenshots, under one name, until the command given succeeds on one,
# for at most about ten seconds: the program may be slow on a busy machine.
shoot_until() {
    take_shot "$1"
    shift
    tries=0
    until "$@"; do
        tries=$((tries + 1))
        [ $tries -ge 24 ] && return 1
        sleep 0.25
        import -window root "$shot" && convert "$shot" -depth 8 "rgb:$shot.rgb"
    done
}

# The colour of screen pixel (x, y) of the last screenshot, as rrggbb.
screen_px() {
    od -An -v -tx1 -j $(( ($2 * screen_w + $1) * 3 )) -N3 "$shot.rgb" | tr -d ' \n'
}

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

# Finds the board's top-left corner on the screen: the thick grid lines
# (20,0,0) give it to within a pixel, the one-pixel frame on the left and
# the two-pixel frame on the right and bottom settle it.
find_board() {
    win_x=0 win_y=0 win_w=$screen_w win_h=$screen_h
    eval "$(xwininfo -id "$wid" | awk -F: '
        /Absolute upper-left X/ {print "win_x=" $2+0}
        /Absolute upper-left Y/ {print "win_y=" $2+0}
        /Width/ {print "win_w=" $2+0}
        /Height/ {print "win_h=" $2+0}')"
    bounds=$(od -An -v -tx1 -w3 "$shot.rgb" | awk -v W="$screen_w" \
        -v x0="$win_x" -v y0="$win_y" -v x1=$((win_x + win_w - 1)) -v y1=$((win_y + win_h - 1)) '
        $0 == " 14 00 00" {
            i = NR - 1; x = i % W; y = int(i / W)
            if (x < x0 || x > x1 || y < y0 || y > y1) next
            if (n++ == 0) { minx = maxx = x; miny = maxy = y }
            if (x < minx) minx = x; if (x > maxx) maxx = x
            if (y < miny) miny = y; if (y > maxy) maxy = y
        }
        END { if (n) print minx, maxx, miny, maxy, n }')
    if [ -z "$bounds" ]; then
        echo "  no thick grid line (20,0,0) inside the window at $win_x,$win_y ${win_w}x$win_h"
        return 1
    fi
    set -- $bounds
    echo "  thick grid lines span screen x $1..$2, y $3..$4 ($5 pixels)"
    # The thick lines lie at board 46 and 460 on either side, centred on 253.
    guess_x=$(( ($1 + $2) / 2 - 253 ))
    guess_y=$(( ($3 + $4) / 2 - 253 ))
    for dy in 0 -1 1 -2 2; do
        for dx in 0 -1 1 -2 2; do
            bx=$((guess_x + dx)) by=$((guess_y + dy))
            [ $bx -ge 0 ] && [ $by -ge 0 ] || continue
            [ $((bx + 506)) -le $screen_w ] && [ $((by + 506)) -le $screen_h ] || continue
            [ "$(screen_px $bx $((by + 253)))" = 191919 ] || continue
            [ "$(screen_px $((bx + 1)) $((by + 253)))" = ffffff ] || continue
            [ "$(screen_px $((bx + 504)) $((by + 253)))" = 191919 ] || continue
            [ "$(screen_px $((bx + 505)) $((by + 253)))" = 191919 ] || continue
            [ "$(screen_px $((bx + 503)) $((by + 253)))" = ffffff ] || continue
            [ "$(screen_px $((bx + 253)) $((by + 504)))" = 191919 ] || continue
            [ "$(screen_px $((bx + 253)) $((by + 505)))" = 191919 ] || continue
            [ "$(screen_px $((bx + 253)) $((by + 503)))" = ffffff ] || continue
            board_x=$bx board_y=$by
            return 0
        done
    done
    echo "  no board frame around the grid near screen $guess_x,$guess_y"
    return 1
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
