#!/usr/bin/env bash
# trq-gmouse-ctl end to end with the virtual mouse: status, apply, run with a control pipe
# and a trace file, the file commands and the error exits.
# Usage: ctl_end_to_end.sh PATH_TO_CTL SHIPPED_FOLDER
set -u
ctl="$1"
shipped="$2"
source "$(dirname "$0")/../support/e2e.sh"

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

# --- reads that fail, imports of nothing, special files: exit 2, nothing sent or written ---
home_files() { (cd "$work/home" && md5sum config.ini Macro_EN.dat Macro_CN.dat constMacro.dat 2>&1); }
no_temp_files() { ! ls -A "$work/home" | grep -q '^\.trq-.*\.tmp$'; }
# refused DESCRIPTION EXIT TEXT ARGS...: the command exits EXIT, says TEXT, changes nothing.
refused() {
    local what="$1" code="$2" text="$3"
    shift 3
    local before
    before="$(home_files)"
    timeout 20 "$ctl" --home "$work/home" "$@" >"$work/out" 2>"$work/err"
    check "$what exits $code" test $? -eq "$code"
    check "$what says why" grep -qF -- "$text" "$work/err"
    check "$what changes nothing" test "$(home_files)" = "$before"
}
fresh_home
mkfifo "$work/fifo"
: >"$work/empty.ini"
truncate -s 5M "$work/huge.ini"
printf '[Config7]\r\nK0=1\r\n' >"$work/profile.ini"
refused "import-profile of an empty file" 2 \
    "nothing to import from $work/empty.ini: no [Config7] section" import-profile "$work/empty.ini"
refused "import-profile of the settings file" 2 "no [Config7] section" \
    import-profile "$work/home/config.ini"
refused "import-profile of a macro file" 2 "no [Config7] section" \
    import-profile "$work/home/Macro_EN.dat"
refused "import-profile of /dev/null" 2 "cannot read /dev/null: not a regular file (a device)" \
    import-profile /dev/null
refused "import-profile of /dev/zero" 2 "cannot read /dev/zero: not a regular file (a device)" \
    import-profile /dev/zero
refused "import-profile of a named pipe" 2 "cannot read $work/fifo: not a regular file (a named pipe)" \
    import-profile "$work/fifo"
refused "import-macros of a profile file" 2 \
    "nothing to import from $work/profile.ini: no [Macros] section with a macroNum count" \
    import-macros "$work/profile.ini"
refused "import-macros of the settings file" 2 "no [Macros] section" \
    import-macros "$work/home/config.ini"
refused "import-macros of a file over the limit" 2 \
    "cannot read $work/huge.ini: file is larger than 4 MiB" import-macros "$work/huge.ini"
refused "export-macros to /dev/full" 1 "cannot write /dev/full: not a regular file (a device)" \
    export-macros /dev/full
refused "export-profile to a named pipe" 1 \
    "cannot write $work/fifo: not a regular file (a named pipe)" export-profile "$work/fifo"
check "refused commands leave no temporary file" no_temp_files

# A file of the program folder that exists but cannot be read stops every command.
for broken in config.ini Macro_EN.dat constMacro.dat; do
    fresh_home
    mv "$work/home/$broken" "$work/aside"
    mkdir "$work/home/$broken"
    reason="cannot read $work/home/$broken: not a regular file (a folder)"
    rm -f "$work/broken.log"
    refused "apply with an unreadable $broken" 2 "$reason" \
        "${vm[@]}" --trace "$work/broken.log" apply
    check "apply with an unreadable $broken sends nothing" test "$(features "$work/broken.log" | wc -l)" -eq 0
    refused "apply --profile with an unreadable $broken" 2 "$reason" "${vm[@]}" apply --profile 2
    refused "export-profile from an unreadable $broken" 2 "$reason" export-profile "$work/x.ini"
    refused "export-macros from an unreadable $broken" 2 "$reason" export-macros "$work/x.dat"
    refused "import-profile into an unreadable $broken" 2 "$reason" import-profile "$work/profile.ini"
    check "exports from an unreadable $broken write no file" test ! -e "$work/x.ini" -a ! -e "$work/x.dat"
done

# A missing macro file is named once, in the interface's language.
fresh_home
rm "$work/home/Macro_EN.dat"
"$ctl" --home "$work/home" export-macros "$work/m.dat" 2>"$work/err"
check "a missing macro file is not an error" test $? -eq 0
check "a missing macro file is named once, in English" \
    test "$(cat "$work/err")" = "TRQ_GMouse: Configuration file not found: $work/home/Macro_EN.dat"
sed -i 's/^VER_SEL=.*/VER_SEL=0\r/' "$work/home/config.ini"
rm "$work/home/Macro_CN.dat"
"$ctl" --home "$work/home" export-macros "$work/m.dat" 2>"$work/err"
check "a missing macro file is named once, in Chinese" \
    test "$(cat "$work/err")" = "TRQ_GMouse: 找不到配置文件：$work/home/Macro_CN.dat"

# Temporary files of a copy that died while writing are removed at the next start.
fresh_home
printf 'half' >"$work/home/.trq-0123456789abcdef.tmp"
"$ctl" --home "$work/home" "${vm[@]}" status >/dev/null
check "a dead writer's temporary file is removed at start" no_temp_files

e2e_finish
