# Shared by the end-to-end scripts: a scratch folder with its own runtime folder (so the
# instance lock and socket are ours alone), background processes killed at the end, checks
# counted into one closing line, and readers of traces and INI files.
# Source it, then call e2e_finish last. A script may define e2e_extra_cleanup.

work="$(mktemp -d)"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
pids=()
e2e_cleanup() {
    if declare -F e2e_extra_cleanup >/dev/null; then e2e_extra_cleanup; fi
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap e2e_cleanup EXIT

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

wait_for() {  # up to 10 s for a command to succeed; it must look again each time
    for _ in $(seq 100); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

fresh_home() {  # [folder]: a copy of the shipped files
    local home="${1:-$work/home}"
    rm -rf "$home"
    cp -r "$shipped" "$home"
}

features() { grep ' feature ' "$1" | cut -d' ' -f3-; }
has_features() { [ "$(features "$1" 2>/dev/null | wc -l)" -ge "$2" ]; }
ini_value() { grep -A40 "^\[$2\]" "$1" | grep -m1 "^$3=" | cut -d= -f2 | tr -d '\r'; }
ini_is() { [ "$(ini_value "$1" "$2" "$3")" = "$4" ]; }

e2e_finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
