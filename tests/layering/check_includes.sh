#!/usr/bin/env bash
# Fails when a folder includes a folder above it, or when code that must stay portable
# and free of Qt includes Qt or the OS's own headers.
#   check_includes.sh SOURCE_ROOT
set -euo pipefail
root="$1"
cd "$root"

# folder -> the project folders it may include (besides itself)
declare -A allowed=(
    [base]=""
    [settings]="base"
    [macros]="base"
    [device]="base settings macros"
    [driver]="base settings macros device"
    [skin]="base settings macros device driver"
    [skin/ui]="base settings macros device driver skin"
    [settings/ui]="base settings macros device driver skin skin/ui"
    [macros/ui]="base settings macros device driver skin skin/ui"
    [platform]="base settings macros device driver"
    [app]="base settings macros device driver skin skin/ui settings/ui macros/ui platform"
    [cli]="base settings macros device driver platform"
)
# Plain C++ folders: no Qt, no OS headers.
portable=(base settings macros device driver skin)
# The one file allowed to call the OS below platform/: reads that cannot block and
# durable writes need open flags, fstat, fsync and flock on the file itself.
os_exceptions=("base/FileIo.cpp")

# The project folder a file belongs to (longest match first, so skin/ui beats skin).
owner_of() {
    local f="$1"
    for d in skin/ui settings/ui macros/ui; do
        [[ "$f" == "$d/"* ]] && { echo "$d"; return; }
    done
    echo "${f%%/*}"
}

failures=0
while IFS= read -r file; do
    owner="$(owner_of "$file")"
    [[ -v "allowed[$owner]" ]] || continue
    while IFS= read -r inc; do
        target="$(owner_of "$inc")"
        [[ "$target" == "$owner" ]] && continue
        [[ -v "allowed[$target]" ]] || continue  # not one of our folders
        if [[ " ${allowed[$owner]} " != *" $target "* ]]; then
            echo "$file includes $inc: $owner/ must not look at $target/"
            failures=$((failures + 1))
        fi
    done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/p' "$file")

    is_portable=0
    for p in "${portable[@]}"; do [[ "$owner" == "$p" ]] && is_portable=1; done
    [[ $is_portable -eq 1 ]] || continue
    exception=0
    for e in "${os_exceptions[@]}"; do [[ "$file" == "$e" ]] && exception=1; done
    while IFS= read -r sys; do
        case "$sys" in
            Q*|Qt*/*) echo "$file includes <$sys>: $owner/ stays free of Qt"; failures=$((failures + 1)) ;;
            unistd.h|fcntl.h|sys/*|dlfcn.h|pthread.h|signal.h|poll.h|termios.h|windows.h|libudev.h|hidapi*|glib*|gio/*)
                if [[ $exception -eq 0 ]]; then
                    echo "$file includes <$sys>: $owner/ makes no OS calls (they belong in platform/)"
                    failures=$((failures + 1))
                fi ;;
        esac
    done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<([^>]+)>.*/\1/p' "$file")
done < <(find base settings macros device driver skin platform app cli \
              -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort)

if [[ $failures -gt 0 ]]; then
    echo "$failures include(s) break the layering"
    exit 1
fi
echo "layering: every include looks down"
