#!/usr/bin/env bash
# trq-gmouse-ctl end to end with the virtual mouse: status, apply, run with a control pipe
# and a trace file, the file commands and the error exits.
# Usage: ctl_end_to_end.sh PATH_TO_CTL SHIPPED_FOLDER
set -u
ctl="$1"
shipped="$2"
work="$(mktemp -d)"
export XDG_RUNTIME_DIR="$work/runtime"  # our own instance lock, apart from any real copy
mkdir -p "$XDG_RUNTIME_DIR"
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
check() {  # description, then a command that must succeed
    local what="$1"
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
    fi
}

fresh_home() {
    rm -rf "$work/home"
    cp -r "$shipped" "$work/home"
}

# Waits up to 10 s for a command to succeed.
wait_for() {
    for _ in $(seq 100); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

features() { grep ' feature ' "$1" | cut -d' ' -f3-; }
ini_value() { grep -A40 "^\[$2\]" "$1" | grep -m1 "^$3=" | cut -d= -f2 | tr -d '\r'; }
# For wait_for, which must look again each time.
has_features() { [ "$(features "$1" 2>/dev/null | wc -l)" -ge "$2" ]; }
ini_is() { [ "$(ini_value "$1" "$2" "$3")" = "$4" ]; }

vm=(--virtual-mouse)

# --- status ---
fresh_home
out="$("$ctl" --home "$work/home" "${vm[@]}" status)"
check "status finds the virtual mouse" test $? -eq 0
check "status prints the path" grep -q 'mouse: virtual:trq-gmouse' <<<"$out"
check "status prints the report lengths" grep -q 'feature report length: 8' <<<"$out"
"$ctl" --home "$work/home" status >"$work/out" 2>"$work/err"
check "status without a mouse exits 1" test $? -eq 1
check "the plug-in message is in the configured language" grep -q 'Please plug-in【ZQ-K770】USB Mouse' "$work/err"

# --- apply: the fourteen reports, byte for byte ---
fresh_home
"$ctl" --home "$work/home" "${vm[@]}" --trace "$work/apply.log" apply
check "apply exits 0" test $? -eq 0
expected="07 10 01 01 00 00 00 00
07 10 02 02 00 00 00 00
07 10 03 03 00 00 00 00
07 10 05 05 00 00 00 00
07 10 04 04 00 00 00 00
07 10 08 0b 00 00 00 00
07 10 06 0c 00 00 00 00
07 11 00 00 00 00 00 00
07 09 40 48 0f 00 00 00
07 09 40 79 0f 00 00 00
07 09 40 ba 0f 00 00 00
07 09 40 eb 0f 00 00 00
07 13 7f 10 0f 00 00 00
07 12 00 06 00 00 00 00"
check "apply sends the fourteen reports of profile 1" test "$(features "$work/apply.log")" = "$expected"
check "trace lines carry milliseconds with three decimals" grep -qE '^[0-9]+\.[0-9]{3} feature 07' "$work/apply.log"
check "Config6 holds the applied profile" test "$(ini_value "$work/home/config.ini" Config6 K5)" = 15

"$ctl" --home "$work/home" "${vm[@]}" apply --profile 3
check "apply --profile 3 exits 0" test $? -eq 0
check "profile 3 became current" test "$(ini_value "$work/home/config.ini" Init CurConfig)" = 3
check "Config6 holds profile 3" test "$(ini_value "$work/home/config.ini" Config6 K3)" = 24

before="$(md5sum <"$work/home/config.ini")"
"$ctl" --home "$work/home" apply --profile 2 2>/dev/null
check "apply without a mouse exits 1" test $? -eq 1
check "apply without a mouse touches no file" test "$(md5sum <"$work/home/config.ini")" = "$before"

# --- run: a macro, DPI and rate mirroring, a second copy, SIGTERM ---
fresh_home
"$ctl" --home "$work/home" "${vm[@]}" apply --profile 2 >/dev/null
pipe="$work/ctl.pipe"
log="$work/run.log"
"$ctl" --home "$work/home" "${vm[@]}" --trace "$log" --control "$pipe" run &
pid=$!
pids+=("$pid")
check "run applies at start" wait_for has_features "$log" 14
check "run opens the control pipe" wait_for test -p "$pipe"
"$ctl" --home "$work/home" "${vm[@]}" run 2>"$work/err"
check "a second copy is refused with exit 1" test $? -eq 1
check "the refusal says why" grep -q 'already running' "$work/err"

echo "press 5" >"$pipe"   # K3: DPI up (staying at the top) -> level 1
echo "release 5" >"$pipe"
check "a DPI press is mirrored into the current profile" \
    wait_for ini_is "$work/home/config.ini" Config2 DPI_LEVEL 1
sleep 0.3                 # a press while the last is being finished would be dropped
echo "press 6" >"$pipe"   # K6: report-rate switch, 2 -> 3
check "a rate switch is mirrored into the current profile" \
    wait_for ini_is "$work/home/config.ini" Config2 USB_SPEED 3
echo "input 06 c8 01" >"$pipe"
check "input lines reach the program" wait_for grep -q ' input 06 c8 01' "$log"
kill -TERM "$pid"
wait "$pid"
check "run ends with 0 on SIGTERM" test $? -eq 0
check "the exit sequence sends CMD_CLOSE last" test "$(features "$log" | tail -n1 | cut -c1-11)" = "07 20 00 00"
check "the control pipe is removed" test ! -e "$pipe"

# A macro button, then unplugging the mouse ends the program.
fresh_home
"$ctl" --home "$work/home" "${vm[@]}" apply --profile 5 >/dev/null
log="$work/run2.log"
"$ctl" --home "$work/home" "${vm[@]}" --trace "$log" --control "$pipe" run &
pid=$!
pids+=("$pid")
check "second run starts" wait_for test -p "$pipe"
check "second run applies" wait_for has_features "$log" 14
echo "press 8" >"$pipe"   # K5: user macro 0 "Type hello"
check "the macro types h" wait_for grep -q 'feature 07 15 0b 00 00 00 00 00' "$log"
check "the macro releases all keys" wait_for grep -q 'feature 07 16 .. ff' "$log"
echo "unplug" >"$pipe"
wait "$pid"
check "unplugging ends run with 0" test $? -eq 0

# --- files ---
fresh_home
"$ctl" --home "$work/home" export-profile "$work/p.ini"
check "export-profile writes Config7" grep -q '^\[Config7\]' "$work/p.ini"
sed -i 's/^FIRE_TIME=.*/FIRE_TIME=120\r/' "$work/p.ini"
"$ctl" --home "$work/home" import-profile "$work/p.ini"
check "import-profile saves into the current profile" test "$(ini_value "$work/home/config.ini" Config1 FIRE_TIME)" = 120
"$ctl" --home "$work/home" export-macros "$work/m.dat"
check "export-macros writes the macros" grep -q '^macroNum=4' "$work/m.dat"
printf '[Macros]\r\nmacroNum=0\r\n' >"$work/empty.dat"
"$ctl" --home "$work/home" import-macros "$work/empty.dat"
check "import-macros saves to the language's file" grep -q '^macroNum=0' "$work/home/Macro_EN.dat"

# --- errors ---
"$ctl" --home "$work/home" import-profile "$work/nope.ini" 2>"$work/err"
check "a missing import file exits 2" test $? -eq 2
check "with one line on stderr" test "$(wc -l <"$work/err")" -eq 1
"$ctl" --frobnicate status 2>/dev/null
check "a bad option exits 2" test $? -eq 2
"$ctl" dance 2>/dev/null
check "an unknown command exits 2" test $? -eq 2
chmod a-w "$work/home/config.ini"
before="$(md5sum <"$work/home/config.ini")"
"$ctl" --home "$work/home" import-profile "$work/p.ini" 2>"$work/err"
check "a read-only settings file exits 1" test $? -eq 1
check "and is left whole" test "$(md5sum <"$work/home/config.ini")" = "$before"
check "and the error says so" grep -q 'read-only' "$work/err"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
