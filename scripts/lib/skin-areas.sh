# Sourced by scripts that drive the window with xdotool: where the skin's items lie.
#   skin_area FILE SECTION INDEX   -> "x y width height" of that entry (fields 1..4)
#   skin_centre FILE SECTION INDEX -> "x y" of the entry's centre, in window pixels

skin_area() {
    local file="$1" section="$2" index="$3"
    awk -v want="[$section]" -v key="$index" '
        { sub(/\r$/, "") }
        /^\[/ { inside = ($0 == want); next }
        inside && index($0, key "=") == 1 {
            n = split(substr($0, length(key) + 2), f, ",")
            printf "%d %d %d %d\n", f[2], f[3], f[4], f[5]
            exit
        }' "$file"
}

skin_centre() {
    local x y w h
    read -r x y w h < <(skin_area "$@")
    echo "$((x + w / 2)) $((y + h / 2))"
}
