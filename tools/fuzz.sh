#!/usr/bin/env bash
# A fuzzing campaign over our own readers: tools/fuzz.sh SECONDS [TARGET...]
# Targets: archivo pagina metarchivo textos comicinfo avif jxl (all of them by default), one after
# the other, each for SECONDS. Builds build-fuzz/ with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer. Each target starts from the
# corpus in fuzz/corpus/<target> plus what earlier campaigns on this machine
# found (build-fuzz/trabajo/<target>); findings land in
# build-fuzz/hallazgos/<target>/. Fails on any crash, leak, hang over 5 s,
# memory over 2 GB, or one allocation over 2 GB (512 MB for the page target).
#   GUARDAR_CORPUS=1  minimise the grown corpus back into fuzz/corpus/<target>.
#   NICE=19           run the fuzzers at that niceness (default 19).
#   TIEMPO_MAXIMO=5   seconds of wall time one input may take (default 5).
set -euo pipefail
cd "$(dirname "$0")/.."
segundos=${1:?usage: tools/fuzz.sh SECONDS [TARGET...]}
shift
objetivos=("$@")
[ ${#objetivos[@]} -gt 0 ] || objetivos=(archivo pagina metarchivo textos comicinfo avif jxl)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVELO_FUZZ=ON -DTAVELO_TESTS=OFF > /dev/null
cmake --build build-fuzz --parallel 2 --target $(printf 'fuzz_%s ' "${objetivos[@]}")

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:allocator_may_return_null=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# A page may take 512 MB at most: the page target is held to that.
limite() { if [ "$1" = pagina ]; then echo 512; else echo 2048; fi; }
# AddressSanitizer keeps the stack of every allocation in a store that never
# shrinks. Through Qt, built without frame pointers, its fast unwinder reads
# stack garbage, so nearly every run of the text target (165 allocations,
# 1,500 runs a second) left new stacks there: 1.4 million, 80 MB, every
# 150,000 runs, most of a 930 MB peak. Its allocations keep their first frame
# only; a finding's full stacks come from its replay (test_imaging).
pila() { if [ "$1" = textos ]; then echo ":malloc_context_size=1"; fi; }
fallos=0
for o in "${objetivos[@]}"; do
  trabajo=build-fuzz/trabajo/$o
  hallazgos=build-fuzz/hallazgos/$o
  registro=build-fuzz/registro-$o.log
  mkdir -p "$trabajo" "$hallazgos"
  echo "== $o: ${segundos}s"
  set +e
  ASAN_OPTIONS="$ASAN_OPTIONS$(pila "$o")" nice -n "${NICE:-19}" "build-fuzz/fuzz_$o" "$trabajo" "fuzz/corpus/$o" \
      -max_total_time="$segundos" -timeout="${TIEMPO_MAXIMO:-5}" -rss_limit_mb=2048 -malloc_limit_mb="$(limite "$o")" \
      -max_len=1048576 -print_final_stats=1 -artifact_prefix="$hallazgos/" > "$registro" 2>&1
  rc=$?
  set -e
  # The last status line and the totals.
  grep -E '^#[0-9]+' "$registro" | tail -n 1 || true
  grep -E 'stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$registro" || true
  if [ $rc -ne 0 ]; then
    echo "!! $o failed (exit $rc): see $registro and $hallazgos/"
    grep -E 'ERROR|SUMMARY|Test unit written' "$registro" | head -n 5 || true
    fallos=$((fallos + 1))
  fi
  if [ "${GUARDAR_CORPUS:-0}" = 1 ]; then
    nuevo=build-fuzz/minimo/$o
    rm -rf "$nuevo" && mkdir -p "$nuevo"
    "build-fuzz/fuzz_$o" -merge=1 -timeout=5 -rss_limit_mb=2048 "$nuevo" "fuzz/corpus/$o" "$trabajo" \
        > "build-fuzz/minimo-$o.log" 2>&1
    rm -rf "fuzz/corpus/$o" && cp -r "$nuevo" "fuzz/corpus/$o"
    echo "   corpus: $(ls "fuzz/corpus/$o" | wc -l) files, $(du -sh "fuzz/corpus/$o" | cut -f1)"
  fi
done
echo "fuzz: $(( ${#objetivos[@]} - fallos )) passed, $fallos failed"
exit $fallos
