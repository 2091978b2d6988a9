#!/bin/sh
# Fuzzes the two file readers for SECONDS each with the libFuzzer targets of BUILD_DIR (a build
# configured with -DROBOT_FUZZ=ON): fuzz_model reads every input as head.obj, fuzz_bmp as
# wall7.bmp. Each starts from the committed seeds and regression inputs in fuzz/; what it learns
# is kept in BUILD_DIR/fuzz-work/corpus-KIND, and what fails goes to BUILD_DIR/fuzz-work/findings-KIND/,
# never into fuzz/. Prints the executions of each target and exits non-zero on any finding.
# Usage: tools/fuzz.sh BUILD_DIR [SECONDS]
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-60}
work="$build/fuzz-work"

# The targets write each input to a file in TMPDIR: a directory in memory, removed at the end,
# with whatever a crashed target left in it.
scratch=$(mktemp -d /dev/shm/robot-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export TMPDIR="$scratch"

passed=0
failed=0
for kind in model bmp; do
    target="$build/fuzz/fuzz_$kind"
    corpus="$work/corpus-$kind"
    findings="$work/findings-$kind"
    log="$work/fuzz_$kind.log"
    # Inputs of the model reader are kept to 64 KiB, enough to pass every capacity (19,999 faces
    # take 40 KB): a run takes time in proportion to the input's length, and the fuzzer would
    # otherwise spend most of it on copies of the 260 KB head. CTest reads the committed head
    # whole when it replays the committed inputs.
    max_len=""
    [ "$kind" = model ] && max_len="-max_len=65536"
    mkdir -p "$corpus" "$findings"
    # The corpus directories: the first receives the new inputs; then the committed seeds, and
    # the inputs of faults found, once there are any, which are only read.
    set -- "$corpus" "$top/fuzz/corpus/$kind"
    if [ -d "$top/fuzz/regressions/$kind" ]; then
        set -- "$@" "$top/fuzz/regressions/$kind"
    fi
    echo "fuzz_$kind: fuzzing for $seconds s (log: $log)"
    # -timeout: an input that takes 10 s counts as a hang. -malloc_limit_mb: an allocation of
    # more than 64 MiB counts as a finding, since no input is near that large and neither reader
    # may allocate more than its file holds.
    if "$target" -max_total_time="$seconds" -timeout=10 -malloc_limit_mb=64 \
        -print_final_stats=1 $max_len \
        -dict="$top/fuzz/$kind.dict" -artifact_prefix="$findings/" \
        "$@" >"$log" 2>&1; then
        runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 runs in \2 s/p' "$log")
        echo "fuzz_$kind: $runs, no failure"
        passed=$((passed + 1))
    else
        echo "fuzz_$kind: FAILED; the end of its log:" >&2
        tail -n 60 "$log" >&2
        echo "fuzz_$kind: the failing inputs are in $findings/; once fixed, keep each in" \
            "fuzz/regressions/$kind/" >&2
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
