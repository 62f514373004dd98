#!/usr/bin/env bash
# Fails when a source includes a header across a layer the wrong way, or when a plain C++
# layer includes Qt: the core must build and be tested without a display, and the simulator
# must not share the program's parser, or a fault there would hide by being repeated in it.
#   scripts/check_layers.sh [source-folder]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# Folder -> what its sources may include: whole folders ("link/") or single headers.
declare -A allowed=(
    [link]="link/"
    [protocol]="protocol/ link/ resources/"
    [resources]="resources/"
    [sim]="sim/ link/com_links_folder.h"
    [cli]="cli/ protocol/ link/ resources/"
    [ui]="ui/ protocol/ link/ resources/ sim/"
    [app]="app/ ui/ protocol/ link/ resources/ sim/"
    [bench]="bench/ app/ ui/ cli/ protocol/ link/ resources/ sim/"
    [fuzz]="fuzz/ app/ ui/ cli/ protocol/ link/ resources/ sim/"
)
qt_free=" link protocol resources sim cli "
project='^(link|protocol|resources|sim|cli|ui|app|bench|fuzz|tests)/'

may_include() {  # folder header
    local entry
    for entry in ${allowed[$1]}; do
        [[ $2 == "$entry" || ($entry == */ && $2 == "$entry"* && $2 != *..*) ]] && return 0
    done
    return 1
}

# Prints why `folder` may not include `header` (in "" or <> as `bracket` says); nothing if it may.
judge() {  # folder bracket header
    if [[ $2 == '<' && $3 == Q* ]]; then
        [[ $qt_free == *" $1 "* ]] && echo "$1/ is plain C++: no Qt"
    elif [[ $2 == '"' && $3 != */* ]]; then
        # A bare name is found through an include path and hides which folder it comes from.
        echo "include it with its folder"
    elif [[ $2 == '"' || $3 =~ $project ]] && ! may_include "$1" "$3"; then
        echo "$1/ may include only ${allowed[$1]}"
    fi
    return 0
}

faults=0
for folder in "${!allowed[@]}"; do
    while IFS=$'\t' read -r where bracket header; do
        reason=$(judge "$folder" "$bracket" "$header")
        if [ -n "$reason" ]; then
            echo "$where: $header: $reason"
            faults=$((faults + 1))
        fi
    done < <(grep -rnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]+' "$folder" \
        --include='*.h' --include='*.cpp' |
        sed -E 's/^([^:]*:[0-9]+):[^"<]*(["<])/\1\t\2\t/')
done
if [ "$faults" -ne 0 ]; then
    echo "$faults include(s) cross the layers the wrong way" >&2
    exit 1
fi
echo "every include keeps to its layer"
