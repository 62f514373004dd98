#!/usr/bin/env bash
# quillbox-cli against the simulator on a pseudo-terminal: the wall time of a write of all eleven
# settings over a device that holds eleven (read-back included) and of a diff, each beside the
# pacing the protocol itself imposes (100 ms before a listing, 200 ms before every erase and
# write line): how far over the pacing the write is, and how long diff takes beyond its listing's
# pause. Prints RESULT lines for bench/run.
#   bench/cli_write.sh BUILD-FOLDER
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'kill $sim 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run LANG=C.UTF-8
mkdir -p "$HOME/.config/TavrelSystems" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[SETTINGS]\nAGREEMENT=1\n' >"$HOME/.config/TavrelSystems/quillbox.conf"
"$build/sim/vdm-r30-sim" --com 21 --demo >"$work/sim.log" 2>&1 &
sim=$!
for _ in $(seq 100); do [ -e "$XDG_RUNTIME_DIR/quillbox/ports/COM21" ] && break; sleep 0.05; done
printf '!PA 10.9.0.1\n!PP 4001\n!SA 10.9.0.2\n!SO C 6000\n!TC 9\n!SC UNIT9\n!TB 9600\n!TP 2\n!TD 7\n!TS 2\n!FC 1\n' \
    >"$work/unit.txt"

# ms COMMAND...: wall time in milliseconds; the command must succeed.
ms() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

cli=$build/cli/quillbox-cli
# Listing, 11 erase passes of two lines, the unlock and 11 settings, then the read-back listing.
write_pacing=$((100 + 11 * 2 * 200 + 12 * 200 + 100))
write_ms=$(ms "$cli" write COM21 "$work/unit.txt")
echo "RESULT cli_write_over_pacing $(awk "BEGIN{printf \"%.2f\", ($write_ms / $write_pacing - 1) * 100}") %"
diff_ms=$(ms "$cli" diff COM21 "$work/unit.txt")
echo "RESULT cli_diff_beyond_listing $((diff_ms - 100)) ms"
