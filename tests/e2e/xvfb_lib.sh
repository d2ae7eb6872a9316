# shellcheck shell=sh disable=SC2034
# (Its variables are for the scripts that source it.)
# What the tests that run the real Sumgrid window share: an Xvfb of their
# own, the program's window, screenshots read pixel by pixel, the board found
# on them, and the tally of checks. POSIX sh, sourced with `.` by
# tests/e2e/run_e2e.sh and tests/package/run_package_e2e.sh.
#
# A script using it:
#   kept() { ...; }           says what is kept for a look (called at exit)
#   work_dir NAME KEEP        makes $work, $shots and a private $work/home
#   need_tools [TOOL...]      stops unless this library's tools and these exist
#   start_xvfb BASE           an Xvfb of its own, DISPLAY exported
#   (starts the program in the background, output to $work/app.log,
#    and sets app_pid=$!)
#   wait_window TITLE         $wid, the program's visible window
#   shoot_until NAME TEST...  screenshots until TEST holds on the last one
#   find_board                $board_x, $board_y: the board on the screen
#   ok / bad MESSAGE          one line a check
#   finish                    "N passed, N failed" and the exit status
#
# Names starting with an underscore are this library's own.

pass=0
fail=0
ok() { pass=$((pass + 1)); echo "PASS: $*"; }
bad() { fail=$((fail + 1)); echo "FAIL: $*"; }

# Prints the tally and ends the script, with failure if any check failed.
finish() {
    echo "$pass passed, $fail failed"
    [ "$fail" -eq 0 ]
    exit $?
}

screen_w=1024
screen_h=768
xvfb_pid=""
app_pid=""
wid=""
_keep=""

# work_dir NAME KEEP: makes the test's folder $work, with $shots for the
# screenshots and a home of its own, $work/home. At exit the program and the
# X server are stopped and the folder is removed, unless a check failed or
# KEEP is not empty: then kept, which the script defines, says what is left.
work_dir() {
    _keep=$2
    work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX") || exit 1
    shots=$work/shots
    trap _at_exit EXIT
    trap 'exit 2' INT TERM HUP
    if ! mkdir -p "$shots" "$work/home" || ! chmod 700 "$work/home"; then
        bad "cannot make the folders of the test in $work"
        finish
    fi
}

_at_exit() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$app_pid" ] && wait "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    if [ "$fail" -eq 0 ] && [ -z "$_keep" ]; then
        rm -rf "$work"
    else
        kept
    fi
}

# need_tools [TOOL...]: fails and stops unless the tools this library uses,
# and those named, are installed.
need_tools() {
    for _tool in Xvfb xdotool xdpyinfo xwininfo import convert od "$@"; do
        if ! command -v "$_tool" >/dev/null 2>&1; then
            bad "the tool $_tool is not installed"
            finish
        fi
    done
}

# start_xvfb BASE: starts Xvfb with a $screen_w x $screen_h screen on a free
# display number a little above BASE (each script has a base of its own, so
# that they keep apart when run side by side) and exports DISPLAY.
start_xvfb() {
    _display=""
    _n=$(( $1 + $$ % 50 ))
    _tries=0
    while [ $_tries -lt 12 ]; do
        _tries=$((_tries + 1))
        _n=$((_n + 1))
        [ -e "/tmp/.X$_n-lock" ] || [ -e "/tmp/.X11-unix/X$_n" ] && continue
        Xvfb ":$_n" -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp -noreset \
            >"$work/xvfb-$_n.log" 2>&1 &
        xvfb_pid=$!
        _waited=0
        while [ $_waited -lt 50 ]; do
            kill -0 "$xvfb_pid" 2>/dev/null || break
            # The display is ours only if our own server holds its lock: another
            # server already there would answer xdpyinfo just as well.
            if [ "$(tr -d " \n" 2>/dev/null < "/tmp/.X$_n-lock")" = "$xvfb_pid" ] &&
                xdpyinfo -display ":$_n" >/dev/null 2>&1; then
                _display=":$_n"
                break
            fi
            sleep 0.1
            _waited=$((_waited + 1))
        done
        [ -n "$_display" ] && break
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
    done
    if [ -z "$_display" ]; then
        bad "could not start Xvfb on any display number"
        finish
    fi
    export DISPLAY="$_display"
    _dims=$(xdpyinfo | awk "/dimensions:/ {print \$2; exit}")
    if [ "$_dims" != "${screen_w}x$screen_h" ]; then
        bad "the X server on $DISPLAY has a $_dims screen, not ${screen_w}x$screen_h"
        finish
    fi
}

# wait_window TITLE: sets wid to the program's visible window of that name;
# fails and stops, showing the program's output, if none shows within 30 s.
wait_window() {
    wid=$(timeout 30 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    if [ -z "$wid" ]; then
        bad "no visible window named '$1' within 30 s"
        kill -0 "$app_pid" 2>/dev/null || echo "  the program has exited"
        sed "s/^/  | /" "$work/app.log"
        finish
    fi
}

# --- Screenshots and pixels ---------------------------------------------------
shot_no=0
shot=""
board_x=0 board_y=0
# How many times shoot_until looks again, a quarter of a second apart.
shoot_tries=24

_grab() { import -window root "$shot" && convert "$shot" -depth 8 "rgb:$shot.rgb"; }

# take_shot NAME: a screenshot of the whole screen; $shot names it, numbered
# in order, and $shot.rgb holds its raw RGB.
take_shot() {
    shot_no=$((shot_no + 1))
    shot="$shots/$(printf %02d $shot_no)-$1.png"
    _grab
}

# shoot_until NAME TEST...: takes screenshots, under one name, until the
# command TEST succeeds on the last one, $shoot_tries times at the most: the
# program may be slow on a busy machine. Fails if TEST never succeeds.
shoot_until() {
    take_shot "$1"
    shift
    _tries=0
    until "$@"; do
        _tries=$((_tries + 1))
        [ $_tries -ge "$shoot_tries" ] && return 1
        sleep 0.25
        _grab
    done
}

# screen_px X Y: the colour of screen pixel (X, Y) of the last screenshot,
# as rrggbb.
screen_px() {
    od -An -v -tx1 -j $(( ($2 * screen_w + $1) * 3 )) -N3 "$shot.rgb" | tr -d ' \n'
}

# find_board: finds the board's top-left corner on the last screenshot, inside
# the window $wid, and sets board_x, board_y (and win_x, win_y, win_w, win_h).
# The thick grid lines (20,0,0) give it to within a pixel, the one-pixel
# frame on the left and the two-pixel frame on the right and bottom settle it.
# Says what it found, or why not.
find_board() {
    win_x=0 win_y=0 win_w=$screen_w win_h=$screen_h
    eval "$(xwininfo -id "$wid" | awk -F: '
        /Absolute upper-left X/ {print "win_x=" $2+0}
        /Absolute upper-left Y/ {print "win_y=" $2+0}
        /Width/ {print "win_w=" $2+0}
        /Height/ {print "win_h=" $2+0}')"
    _bounds=$(od -An -v -tx1 -w3 "$shot.rgb" | awk -v W="$screen_w" \
        -v x0="$win_x" -v y0="$win_y" -v x1=$((win_x + win_w - 1)) -v y1=$((win_y + win_h - 1)) '
        $0 == " 14 00 00" {
            i = NR - 1; x = i % W; y = int(i / W)
            if (x < x0 || x > x1 || y < y0 || y > y1) next
            if (n++ == 0) { minx = maxx = x; miny = maxy = y }
            if (x < minx) minx = x; if (x > maxx) maxx = x
            if (y < miny) miny = y; if (y > maxy) maxy = y
        }
        END { if (n) print minx, maxx, miny, maxy, n }')
    if [ -z "$_bounds" ]; then
        echo "  no thick grid line (20,0,0) inside the window at $win_x,$win_y ${win_w}x$win_h"
        return 1
    fi
    # shellcheck disable=SC2086
    set -- $_bounds
    echo "  thick grid lines span screen x $1..$2, y $3..$4 ($5 pixels)"
    # The thick lines lie at board 46 and 460 on either side, centred on 253.
    _guess_x=$(( ($1 + $2) / 2 - 253 ))
    _guess_y=$(( ($3 + $4) / 2 - 253 ))
    for _dy in 0 -1 1 -2 2; do
        for _dx in 0 -1 1 -2 2; do
            _bx=$((_guess_x + _dx)) _by=$((_guess_y + _dy))
            [ $_bx -ge 0 ] && [ $_by -ge 0 ] || continue
            [ $((_bx + 506)) -le $screen_w ] && [ $((_by + 506)) -le $screen_h ] || continue
            [ "$(screen_px $_bx $((_by + 253)))" = 191919 ] || continue
            [ "$(screen_px $((_bx + 1)) $((_by + 253)))" = ffffff ] || continue
            [ "$(screen_px $((_bx + 504)) $((_by + 253)))" = 191919 ] || continue
            [ "$(screen_px $((_bx + 505)) $((_by + 253)))" = 191919 ] || continue
            [ "$(screen_px $((_bx + 503)) $((_by + 253)))" = ffffff ] || continue
            [ "$(screen_px $((_bx + 253)) $((_by + 504)))" = 191919 ] || continue
            [ "$(screen_px $((_bx + 253)) $((_by + 505)))" = 191919 ] || continue
            [ "$(screen_px $((_bx + 253)) $((_by + 503)))" = ffffff ] || continue
            board_x=$_bx board_y=$_by
            return 0
        done
    done
    echo "  no board frame around the grid near screen $_guess_x,$_guess_y"
    return 1
}
