#!/usr/bin/env bash
# Runs one fuzz target for a given time, or over its committed inputs only:
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
#   scripts/fuzz.sh TARGET replay
# TARGET is table, export, command_line or ini (a "fuzz_" in front is allowed). The targets are
# built first with clang++ in their own folder (EDUCA_FUZZ=ON; the normal build stays GCC).
# "replay" runs each seed (fuzz/corpus/TARGET) and each earlier finding (fuzz/regressions/TARGET)
# once, without exploring: the same answer on every run. The findings that fuzz/regressions/PENDING
# names are left out, as test_robustness leaves them out.
#
# Environment: FUZZ_BUILD, the build folder (build-fuzz); JOBS, compile jobs (2).
# The growing corpus lives in $FUZZ_BUILD/corpus/TARGET, seeded from fuzz/corpus/TARGET and
# fuzz/regressions/TARGET (which are never written); inputs that crash go to $FUZZ_BUILD/findings/TARGET/, the run's output to
# $FUZZ_BUILD/logs/. Exit code 0 when the time ran out without a finding.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ]; then
    echo "Uso: scripts/fuzz.sh OBJETIVO SEGUNDOS [opciones de libFuzzer]" >&2
    echo "     scripts/fuzz.sh OBJETIVO replay" >&2
    echo "Objetivos: table export command_line ini" >&2
    exit 2
fi
target=${1#fuzz_}
seconds=$2
shift 2
case $target in
    table | export | command_line | ini) ;;
    *)
        echo "Objetivo desconocido: $target (table, export, command_line, ini)" >&2
        exit 2
        ;;
esac

build=${FUZZ_BUILD:-build-fuzz}
jobs=${JOBS:-2}
mkdir -p "$build/logs" "$build/corpus/$target" "$build/findings/$target"

if ! cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DEDUCA_FUZZ=ON -DEDUCA_BUILD_GUI=OFF -DEDUCA_BUILD_TESTS=OFF >"$build/logs/configure.log" 2>&1; then
    cat "$build/logs/configure.log" >&2
    exit 1
fi
cmake --build "$build" --target "fuzz_$target" -j"$jobs"

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

if [ "$seconds" = replay ]; then
    inputs=()
    for kind in corpus regressions; do
        [ -d "fuzz/$kind/$target" ] || continue
        while IFS= read -r -d '' file; do
            grep -qx "$target/$(basename "$file") .*\|$target/$(basename "$file")" fuzz/regressions/PENDING \
                || inputs+=("$file")
        done < <(find "fuzz/$kind/$target" -type f -print0 | sort -z)
    done
    if [ ${#inputs[@]} -eq 0 ]; then
        # Without files libFuzzer would explore with no end.
        echo "fuzz_$target: ninguna entrada guardada que reproducir" >&2
        exit 1
    fi
    log="$build/logs/$target-replay.log"
    # Given files rather than folders, libFuzzer runs each once and explores nothing.
    if "$build/bin/fuzz_$target" -timeout=60 -rss_limit_mb=2048 "${inputs[@]}" >"$log" 2>&1; then
        echo "fuzz_$target: ${#inputs[@]} entradas guardadas, ninguna falla"
        exit 0
    fi
    tail -n 25 "$log"
    echo "fuzz_$target: una entrada guardada falla; registro en $log" >&2
    exit 1
fi
case $seconds in
    '' | *[!0-9]*)
        echo "SEGUNDOS debe ser un número entero o replay: $seconds" >&2
        exit 2
        ;;
esac

log="$build/logs/$target-$(date +%Y%m%d-%H%M%S).log"
echo "fuzz_$target: $seconds s, registro en $log"
# New inputs go to the first folder only; the committed ones are read.
seeds=("fuzz/corpus/$target")
[ -d "fuzz/regressions/$target" ] && seeds+=("fuzz/regressions/$target")
# One process (the machine is shared); a 10-second limit per input catches hangs.
"$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict="fuzz/$target.dict" -artifact_prefix="$build/findings/$target/" -print_final_stats=1 \
    "$@" "$build/corpus/$target" "${seeds[@]}" >"$log" 2>&1 && status=0 || status=$?
tail -n 25 "$log"
if [ "$status" -ne 0 ]; then
    echo "fuzz_$target: hallazgo (código $status); entradas en $build/findings/$target/" >&2
fi
exit "$status"
