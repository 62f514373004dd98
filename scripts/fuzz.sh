#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded number of executions
# (RUNS, default 50000) from a copy of its seed corpus, so the seeds in fuzz/corpus stay as
# committed. Any crash, sanitizer report or time-out fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-50000}
build=build-fuzz
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "${launcher[@]}" -DQUILLBOX_FUZZ=ON -DBUILD_TESTING=OFF -DQUILLBOX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target line_handling_fuzz rtf_reader_fuzz -j"$(nproc)"

run_target() {  # target corpus-folder [extra libFuzzer options]
    local work status=0
    work=$(mktemp -d)
    cp -r "fuzz/corpus/$2/." "$work/"
    QT_QPA_PLATFORM=offscreen "$build/fuzz/$1" -runs="$runs" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 "${@:3}" "$work" >"$work.log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        tail -40 "$work.log"
        echo "$1: the fuzzer found a failure" >&2
    else
        echo "$1: $(grep -E '^Done' "$work.log") ($(grep -oE 'cov: [0-9]+' "$work.log" | tail -1))"
    fi
    rm -rf "$work" "$work.log"
    return "$status"
}
run_target line_handling_fuzz lines
run_target rtf_reader_fuzz rtf -dict=fuzz/rtf_reader_fuzz.dict
