#!/usr/bin/env bash
# Runs one fuzz target for a given time:
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
# TARGET is table, export, command_line or ini (a "fuzz_" in front is allowed). The targets are
# built first with clang++ in their own folder (EDUCA_FUZZ=ON; the normal build stays GCC).
#
# Environment: FUZZ_BUILD, the build folder (build-fuzz); JOBS, compile jobs (2).
# The growing corpus lives in $FUZZ_BUILD/corpus/TARGET, seeded from fuzz/corpus/TARGET (which is
# never written); inputs that crash go to $FUZZ_BUILD/findings/TARGET/, the run's output to
# $FUZZ_BUILD/logs/. Exit code 0 when the time ran out without a finding.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ]; then
    echo "Uso: scripts/fuzz.sh OBJETIVO SEGUNDOS [opciones de libFuzzer]" >&2
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

log="$build/logs/$target-$(date +%Y%m%d-%H%M%S).log"
echo "fuzz_$target: $seconds s, registro en $log"
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
# One process (the machine is shared); a 10-second limit per input catches hangs.
"$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict="fuzz/$target.dict" -artifact_prefix="$build/findings/$target/" -print_final_stats=1 \
    "$@" "$build/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1 && status=0 || status=$?
tail -n 25 "$log"
if [ "$status" -ne 0 ]; then
    echo "fuzz_$target: hallazgo (código $status); entradas en $build/findings/$target/" >&2
fi
exit "$status"
