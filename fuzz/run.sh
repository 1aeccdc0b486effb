#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs them side by side for SECONDS each,
# seeded with fuzz/corpus/<target>. A crash, hang, leak or undefined behaviour
# fails the run; the input that caused it is saved in build-sanitize/artifacts/.
#
#   fuzz/run.sh [SECONDS] [TARGET...]     (defaults: 60, every target)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
velquist_install_missing $VELQUIST_BUILD_PACKAGES $VELQUIST_UI_PACKAGES $VELQUIST_FUZZ_PACKAGES

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_decode fuzz_prepare fuzz_d912 fuzz_trace)

velquist_configure_sanitize > /dev/null
cmake --build "$VELQUIST_SANITIZE_DIR" --target "${targets[@]}"

out=$VELQUIST_SANITIZE_DIR/fuzz
mkdir -p "$VELQUIST_SANITIZE_DIR/artifacts"
pids=()
for target in "${targets[@]}"; do
    # New inputs go to a scratch corpus; the seed corpus in the tree stays as it is.
    mkdir -p "$out/corpus-$target"
    "$out/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
        -print_final_stats=1 -artifact_prefix="$VELQUIST_SANITIZE_DIR/artifacts/$target-" \
        "$out/corpus-$target" "fuzz/corpus/$target" > "$out/$target.log" 2>&1 &
    pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
    target=${targets[$i]}
    if wait "${pids[$i]}"; then
        echo "$target: $(grep -E '^Done [0-9]+ runs' "$out/$target.log" || echo done), no failure"
    else
        echo "$target: FAILED; the end of $out/$target.log:"
        tail -n 60 "$out/$target.log"
        status=1
    fi
done
exit $status
