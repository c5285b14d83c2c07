#!/usr/bin/env bash
# trq-gmouse-ctl run with the virtual mouse, as a hostile user would drive it: every way out
# while a macro holds a key, imports racing the DPI mirror of a running copy, overlong
# control lines, a refused second copy, hammered launch buttons, and the error exits.
# Usage: ctl_run_end_to_end.sh PATH_TO_CTL SHIPPED_FOLDER
# TRQ_E2E_IMPORTS sets how many imports race the running copy (default 600).
set -u
ctl="$1"
shipped="$2"
imports="${TRQ_E2E_IMPORTS:-600}"
source "$(dirname "$0")/../support/e2e.sh"
e2e_extra_cleanup() { touch "$work/stop"; }  # ends the launched stand-in programs

alive() { kill -0 "$1" 2>/dev/null; }
gone() { ! alive "$1"; }
has_line() { grep -q -- "$2" "$1" 2>/dev/null; }

# A macro file with one macro that presses A and releases it every 300 ms, 100 times.
long_macro() {
    local value="" i
    for i in $(seq 40); do value+="000"; done
    value+="001100000002"                # repeat mode 1, count 100, two steps
    value+="065001044001065002044001"    # A down, 300 ms; A up, 300 ms
    for i in $(seq 253); do value+="000000000000"; done
    printf '[Macros]\r\nmacroNum=1\r\n0=%s\r\n' "$value" >"$1"
}

# Background jobs of a script start with SIGINT and SIGQUIT ignored; a user's run has them.
# (An array, not a function: started with &, its process is the program's own.)
ctl_in=("$(command -v env)" --default-signal=INT,QUIT "$ctl" --home "$work/home" --virtual-mouse)

# --- every way out of run releases the key a playing macro holds, then says goodbye ---
long_macro "$work/long.dat"
pipe="$work/ctl.pipe"
for way in TERM INT HUP QUIT dead-stderr unplug "unplug quiet"; do
    fresh_home
    "${ctl_in[@]}" import-macros "$work/long.dat" >/dev/null
    "${ctl_in[@]}" apply --profile 5 >/dev/null  # K5 (button 8) plays user macro 0
    log="$work/way.log"
    rm -f "$log" "$work/rc"
    if [ "$way" = dead-stderr ]; then
        # stderr is a pipe whose reader is already gone.
        ("${ctl_in[@]}" --trace "$log" --control "$pipe" run 2>&1 >/dev/null; echo $? >"$work/rc") | true &
    else
        ("${ctl_in[@]}" --trace "$log" --control "$pipe" run 2>/dev/null; echo $? >"$work/rc") &
    fi
    pids+=("$!")
    if ! wait_for test -p "$pipe" || ! wait_for has_line "$log" ' feature 07 12 '; then
        check "$way: run starts" false
        continue
    fi
    pid="$(pgrep -f -n -- "--trace $log --control $pipe run")"
    echo "press 8" >"$pipe"
    check "$way: the macro holds A" wait_for has_line "$log" ' feature 07 15 04 '
    case "$way" in
        dead-stderr) echo "wiggle" >"$pipe" ;;  # its complaint goes to the dead stderr
        unplug*) echo "$way" >"$pipe" ;;
        *) kill -s "$way" "$pid" ;;
    esac
    check "$way: run ends" wait_for test -s "$work/rc"
    rc="$(cat "$work/rc" 2>/dev/null)"
    case "$way" in
        dead-stderr) check "$way: exits 1 (its output is gone)" test "$rc" = 1 ;;
        *) check "$way: exits 0" test "$rc" = 0 ;;
    esac
    if [ "${way%% *}" = unplug ]; then
        # Nothing reaches an unplugged mouse; what matters is that run ended at all.
        check "$way: nothing is sent after the unplug" \
            test "$(features "$log" | tail -n1 | cut -c1-5)" != "07 20"
    else
        after="$(features "$log" | sed -n '/^07 15 04 /,$p')"
        check "$way: all buttons released" grep -q '^07 16 .. ff' <<<"$after"
        check "$way: all keys released" grep -q '^07 15 00 00 00 00 00 00' <<<"$after"
        check "$way: CMD_CLOSE goes out last" test "$(tail -n1 <<<"$after" | cut -c1-11)" = "07 20 00 00"
        check "$way: the releases come before it" \
            test "$(tail -n3 <<<"$after" | head -n2 | cut -c1-5 | tr '\n' ' ')" = "07 16 07 15 "
    fi
    check "$way: the control pipe is removed" wait_for test ! -e "$pipe"
done

# --- one writer at a time: imports racing the running copy's DPI mirror are never lost ---
fresh_home
"${ctl_in[@]}" apply --profile 2 >/dev/null  # K3 (button 5): DPI up; the mirror saves each switch
"$ctl" --home "$work/home" export-profile "$work/p.ini"
log="$work/race.log"
"${ctl_in[@]}" --trace "$log" --control "$pipe" run 2>/dev/null &
pid=$!
pids+=("$pid")
check "race: run starts" wait_for test -p "$pipe"
(
    exec 3>"$pipe"
    while [ ! -e "$work/race-done" ]; do
        echo "press 5" >&3
        echo "release 5" >&3
        sleep 0.002
    done
) &
presser=$!
lost=0
failed_imports=0
for i in $(seq "$imports"); do
    sed "s/^FIRE_TIME=.*/FIRE_TIME=$i\r/" "$work/p.ini" >"$work/q.ini"
    if ! "$ctl" --home "$work/home" import-profile "$work/q.ini" 2>/dev/null; then
        failed_imports=$((failed_imports + 1))
    fi
    [ "$(ini_value "$work/home/config.ini" Config2 FIRE_TIME)" = "$i" ] || lost=$((lost + 1))
done
touch "$work/race-done"
wait "$presser"
mirrored="$(grep -c ' input 06 f5 ' "$log")"
check "race: every import returned 0" test "$failed_imports" -eq 0
check "race: the mouse switched DPI meanwhile ($mirrored switches)" test "$mirrored" -gt 10
check "race: no import lost ($lost of $imports)" test "$lost" -eq 0
check "race: the file stayed whole" grep -q '^\[CfgReset_EN5\]' "$work/home/config.ini"

# --- the control pipe: overlong lines, a refused second copy ---
printf '%*s' 5000 '' >"$work/long-line"
printf 'unplug\n' >>"$work/long-line"
cat "$work/long-line" >"$pipe"
echo "input 06 c8 01" >"$pipe"
check "an overlong control line is dropped whole" wait_for has_line "$log" ' input 06 c8 01'
check "its tail did not unplug the mouse" alive "$pid"
"${ctl_in[@]}" --control "$pipe" run 2>"$work/err"
check "a second copy is refused with exit 1" test $? -eq 1
check "the refusal says why" grep -q 'already running' "$work/err"
check "the first copy's control pipe stays" test -p "$pipe"
echo "input 06 c8 02" >"$pipe"
check "and still works" wait_for has_line "$log" ' input 06 c8 02'
kill -TERM "$pid"
wait "$pid"

# --- launching: hammered, at most a few programs, each with a clean signal mask ---
fresh_home
mkdir -p "$work/bin"
# A stand-in calculator; sed reports the signal mask the script was started with (reading
# the script's own status would race with the shell, which blocks every signal as it forks).
cat >"$work/bin/xcalc" <<EOF
#!/bin/sh
$(command -v sed) -n 's/^SigBlk:\t//p' /proc/self/status >>"$work/started"
while [ -d "$work" ] && [ ! -e "$work/stop" ]; do $(command -v sleep) 0.1; done
EOF
chmod +x "$work/bin/xcalc"
sed 's/^K5=.*/K5=39\r/' "$work/p.ini" >"$work/calc.ini"
"$ctl" --home "$work/home" import-profile "$work/calc.ini"
PATH="$work/bin" "${ctl_in[@]}" --control "$pipe" run 2>/dev/null &
pid=$!
pids+=("$pid")
check "launch: run starts" wait_for test -p "$pipe"
sleep 0.3
for _ in $(seq 30); do
    echo "press 8" >"$pipe"
    echo "release 8" >"$pipe"
    sleep 0.03
done
check "launch: programs start" wait_for test -s "$work/started"
sleep 0.5
check "launch: at most three run at once ($(wc -l <"$work/started") started)" \
    test "$(wc -l <"$work/started")" -le 3
check "launch: no thread per program ($(ls /proc/"$pid"/task | wc -l) threads)" \
    test "$(ls /proc/"$pid"/task | wc -l)" -le 8  # ours are 6; a sanitizer may add one
blocked="$(sort -u "$work/started" | tr '\n' ' ')"
check "launch: children start with nothing blocked ($blocked)" test "$blocked" = "0000000000000000 "
kill -TERM "$pid"
wait "$pid"

# --- error exits ---
fresh_home
"${ctl_in[@]}" --trace /dev/full apply 2>"$work/err"
check "a trace that cannot be written fails apply with 1" test $? -eq 1
check "naming the file and the reason" grep -q '/dev/full: No space left on device' "$work/err"
timeout 20 "${ctl_in[@]}" --trace /dev/full run 2>"$work/err"
check "run ends with 1 when its trace cannot be written" test $? -eq 1
check "saying why" grep -q '/dev/full: No space left on device' "$work/err"
"${ctl_in[@]}" --trace "$work" apply 2>"$work/err"
check "a trace that cannot be opened is a usage error" test $? -eq 2
check "naming the file" grep -q "trace file $work" "$work/err"

rm -f "$pipe"
mkfifo "$pipe"
exec 3<>"$pipe"
echo "refuse on" >&3  # waiting in the pipe before apply opens it
"${ctl_in[@]}" --control "$pipe" apply 2>"$work/err"
check "apply exits 1 when the mouse does not take the reports" test $? -eq 1
check "and says so" grep -q 'took 0 of the 14 settings reports' "$work/err"
exec 3>&-

mkdir -p "$work/odd-runtime/trq-gmouse.lock"
XDG_RUNTIME_DIR="$work/odd-runtime" "${ctl_in[@]}" apply 2>"$work/err"
check "a lock file that no copy holds is no running copy" test $? -eq 1
check "its message names it" grep -q "lock file $work/odd-runtime/trq-gmouse.lock" "$work/err"
check "and is not 'already running'" test "$(grep -c 'already running' "$work/err")" -eq 0

(cd "$work" && "$ctl" --home "$work/home" export-profile -- -p.ini)
check "-- ends the options" grep -q '^\[Config7\]' "$work/-p.ini"

e2e_finish
