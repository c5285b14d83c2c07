#!/usr/bin/env bash
# trq-gmouse end to end on a virtual X server, with the virtual mouse, driven with xdotool at
# the areas the layout files give: start-up apply, a profile pick and Apply (checked byte
# for byte against trq-gmouse-ctl), an edit and Save, the page tabs, Escape and Enter, the
# language switch, hiding and bringing the window back by the tray icon and by a second copy,
# Exit Driver from the tray menu (with trayer as the tray host), unplugging through the
# control pipe, and the window refused while the tool drives the mouse.
# Usage (under xvfb-run): app_end_to_end.sh TRQ_GMOUSE TRQ_GMOUSE_CTL SHIPPED PICTURES LAYOUTS
set -u
app="$1"
ctl="$2"
shipped="$3"
pictures="$4"
layouts="$5"
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/lib/skin-areas.sh"

source "$root/tests/support/e2e.sh"

make_home() {  # folder: the shipped files with the built skin
    fresh_home "$1"
    cp -r "$pictures/." "$1/skins/"
    cp -r "$layouts/." "$1/skins/"
}

title='ZQ-K770 GAMING MOUSE'
window_shown() { xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; }
window_hidden() { ! window_shown; }
ended() { ! kill -0 "$1" 2>/dev/null; }

# The skinned window's place on the screen (X, Y) and the layout in use.
locate_window() {
    local wid
    wid="$(xdotool search --onlyvisible --name "$title" | head -1)"
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    WID="$wid"
}
main_layout="$work/home/skins/INI_EN/skin_main_en.ini"
click_main() {  # item
    local cx cy
    read -r cx cy < <(skin_centre "$main_layout" BUTTONPOS "$1")
    xdotool mousemove $((X + cx)) $((Y + cy)) click 1
    sleep 0.4
}
# Which page the window shows: the page whose normal picture the screen is closest to.
page_shown() {
    local best="" best_score="" page score
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/shot.png"
    for page in main:main_normal advanced:advanced_normal color:color_normal_pink; do
        score="$(compare -metric RMSE "$work/shot.png" "$work/home/skins/${page#*:}.jpg" null: 2>&1 |
            cut -d' ' -f1)"
        if [ -z "$best" ] || awk -v a="$score" -v b="$best_score" 'BEGIN { exit !(a < b) }'; then
            best="${page%%:*}"
            best_score="$score"
        fi
    done
    echo "$best"
}
page_is() { [ "$(page_shown)" = "$1" ]; }
# The tray icon: the program's small window inside the tray host.
click_tray_icon() {  # xdotool click arguments, e.g. 3 or "--repeat 2 1"
    local w
    for w in $(xdotool search --onlyvisible --class trq-gmouse); do
        eval "$(xdotool getwindowgeometry --shell --prefix T_ "$w")"
        if [ "$T_WIDTH" -lt 64 ] && [ "$T_HEIGHT" -lt 64 ]; then
            # shellcheck disable=SC2086
            xdotool mousemove $((T_X + T_WIDTH / 2)) $((T_Y + T_HEIGHT / 2)) click $1
            return 0
        fi
    done
    return 1
}
# Clicks entry N (1-based) of the open two-entry tray menu: entries are 20 pixels high.
click_menu_entry() {
    local w
    for w in $(xdotool search --onlyvisible --class trq-gmouse); do
        [ "$w" = "$WID" ] && continue
        eval "$(xdotool getwindowgeometry --shell --prefix M_ "$w")"
        if [ "$M_HEIGHT" -ge 40 ] && [ "$M_HEIGHT" -lt 100 ]; then
            xdotool mousemove $((M_X + M_WIDTH / 2)) \
                $((M_Y + (M_HEIGHT - 40) / 2 + 20 * ($1 - 1) + 10)) click 1
            return 0
        fi
    done
    return 1
}

have_tray=0
if command -v trayer >/dev/null; then
    trayer --edge top --align right --widthtype pixel --width 120 --height 28 &
    pids+=("$!")
    have_tray=1
    sleep 1
else
    echo "no trayer: hiding and the tray menu are not tried"
fi

# --- start-up ---
make_home "$work/home"
trace="$work/trace.log"
pipe="$work/mouse.pipe"
"$app" --home "$work/home" --virtual-mouse --trace "$trace" --control "$pipe" 2>"$work/err" &
pid=$!
pids+=("$pid")
check "the window shows" wait_for window_shown
check "start-up applies the current profile" wait_for has_features "$trace" 14
check "start-up records the current profile" ini_is "$work/home/config.ini" Init CurConfig 1
locate_window
sleep 0.5

"$ctl" --home "$work/home" --virtual-mouse apply 2>"$work/ctl-err"
check "trq-gmouse-ctl apply is refused while the window runs" test $? -eq 1
check "and the refusal names the window" grep -q 'the TRQ_GMouse window (trq-gmouse) is already running' "$work/ctl-err"

# --- a profile pick, then Apply: the reports of profile 2, byte for byte ---
click_main 5
check "picking a profile sends nothing" test "$(features "$trace" | wc -l)" -eq 14
check "picking a profile writes nothing" ini_is "$work/home/config.ini" Init CurConfig 1
click_main 3
check "Apply sends fourteen reports" wait_for has_features "$trace" 28
make_home "$work/reference"
XDG_RUNTIME_DIR="$work/reference" "$ctl" --home "$work/reference" --virtual-mouse \
    --trace "$work/reference.log" apply --profile 2 >/dev/null
check "they are the reports trq-gmouse-ctl sends for profile 2" \
    test "$(features "$trace" | sed -n '15,28p')" = "$(features "$work/reference.log")"
check "Apply makes profile 2 current" ini_is "$work/home/config.ini" Init CurConfig 2

# --- an edit, then Save ---
click_main 73  # level 0, seventh DPI value (index 7)
check "an edit is not saved by itself" test "$(ini_value "$work/home/config.ini" Config2 DPI_SET0)" != 7
click_main 0
check "Save writes the edit into profile 2" wait_for ini_is "$work/home/config.ini" Config2 DPI_SET0 7
check "Save sends nothing" test "$(features "$trace" | wc -l)" -eq 28

# --- the page tabs ---
check "the Main page shows" page_is main
click_main 10
check "the Advanced tab shows the Advanced page" page_is advanced
click_main 11
check "the Color tab shows the Color page" page_is color
click_main 9
check "the Main tab shows the Main page again" page_is main

# --- Escape and Enter ---
xdotool windowfocus --sync "$WID" 2>/dev/null
xdotool key Escape Return KP_Enter
sleep 0.3
check "Escape and Enter leave the window shown" window_shown
check "and the program running" kill -0 "$pid"

# --- the language switch ---
click_main 17
check "the Chinese button writes VER_SEL 0" wait_for ini_is "$work/home/config.ini" Init VER_SEL 0
main_layout="$work/home/skins/INI_CN/skin_main.ini"
check "the window stays on its page" page_is main

if [ "$have_tray" -eq 1 ]; then
    # --- hidden in the tray, brought back by a second copy ---
    click_main 13
    check "the close button hides the window" wait_for window_hidden
    check "the program keeps running" kill -0 "$pid"
    click_tray_icon "--repeat 2 --delay 80 1"
    check "a double click on the tray icon shows it again" wait_for window_shown
    locate_window
    click_main 13
    check "the close button hides it again" wait_for window_hidden
    before="$(md5sum <"$work/home/config.ini")"
    reports="$(features "$trace" | wc -l)"
    timeout 20 "$app" --home "$work/home" --virtual-mouse 2>"$work/second-err"
    check "a second copy ends at once with 0" test $? -eq 0
    check "and brings the window back" wait_for window_shown
    check "the second copy wrote no file" test "$(md5sum <"$work/home/config.ini")" = "$before"
    check "the second copy sent nothing" test "$(features "$trace" | wc -l)" -eq "$reports"

    # --- Exit Driver from the (Chinese) tray menu ---
    check "a right click on the tray icon" click_tray_icon 3
    sleep 0.8
    check "opens the tray menu" click_menu_entry 2
    check "Exit Driver ends the program" wait_for ended "$pid"
    wait "$pid"
    check "with exit code 0" test $? -eq 0
    check "the exit sequence sends CMD_CLOSE last" \
        test "$(features "$trace" | tail -n1 | cut -c1-11)" = "07 20 00 00"
    check "the control pipe is removed" test ! -e "$pipe"
else
    kill -TERM "$pid"
    wait "$pid"
fi

# --- unplugging the mouse ends the program ---
trace2="$work/trace2.log"
"$app" --home "$work/home" --virtual-mouse --trace "$trace2" --control "$pipe" 2>>"$work/err" &
pid=$!
pids+=("$pid")
check "the window starts again" wait_for window_shown
check "and applies" wait_for has_features "$trace2" 14
echo "unplug" >"$pipe"
check "unplugging the mouse ends the program" wait_for ended "$pid"
wait "$pid"
check "with exit code 0" test $? -eq 0
check "the window is gone" window_hidden

# --- the window is refused while trq-gmouse-ctl drives the mouse ---
"$ctl" --home "$work/home" --virtual-mouse run 2>/dev/null &
ctl_pid=$!
pids+=("$ctl_pid")
sleep 0.5
"$app" --home "$work/home" --virtual-mouse 2>"$work/refused" &
pid=$!
pids+=("$pid")
box_shown() { xdotool search --onlyvisible --name '^TRQ_GMouse$' >/dev/null 2>&1; }
check "the window program says why it cannot start" wait_for box_shown
box="$(xdotool search --onlyvisible --name '^TRQ_GMouse$' | head -1)"
xdotool windowfocus --sync "$box" key Return 2>/dev/null
check "and ends once the message is closed" wait_for ended "$pid"
wait "$pid"
check "with exit code 1" test $? -eq 1
check "naming the tool that runs" grep -qi 'trq-gmouse-ctl is already running' "$work/refused"
check "no window was shown" window_hidden
kill -TERM "$ctl_pid"
wait "$ctl_pid"

if [ "$failed" -gt 0 ]; then
    echo "--- program's error output ---"
    cat "$work/err"
fi
e2e_finish
