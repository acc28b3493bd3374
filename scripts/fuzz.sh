#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan, libraries instrumented) and runs
# each for a while, seeded from the shipped files:
#   scripts/fuzz.sh [SECONDS] [TARGET ...]     (default 60 seconds, every target;
#                                              FUZZ_RUNS=N stops a target after N runs)
# Findings land in build-fuzz/findings/<target>/; each becomes a regression test.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
scripts/deps.sh
if ! command -v clang++ >/dev/null; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends clang
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLINK_FUZZ=ON >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"

seed() { # target dir
  local s t n
  case "$1" in
    fuzz_bookfile|fuzz_roundtrip) head -c $((3217 * 3)) data/ukazka.WDT >"$2/ukazka3" ;;
    fuzz_namedays) head -c 4000 data/vorlink.sva >"$2/sva" ;;
    fuzz_settings) printf '[Casy]\nVyrociDopredu-RODINA.WDT=30\n[Okno]\nSirka=800\n[Historie]\nHistorie0=/a.wdt\n' >"$2/ini" ;;
    fuzz_textfields) printf '05.03.1961' >"$2/date"; printf '806215/0008' >"$2/rc" ;;
    fuzz_reporttemplate) cp data/templates/*.WDR "$2/" ;;
    fuzz_dtafile) head -c 1120 /dev/zero | tr '\0' ' ' >"$2/blank2" ;;
    fuzz_paradox) # two bytes tell where the .DB ends (in 16-byte steps), then the table
      for t in ../shared/fixtures/paradox/country.db ../shared/fixtures/paradox/TypSammlung.DB; do
        if [ -f "$t" ]; then
          n=$(( ($(stat -c %s "$t") + 15) / 16 ))
          { printf "\\x$(printf %02x $((n & 255)))\\x$(printf %02x $((n >> 8)))"; cat "$t"; } >"$2/$(basename "$t")"
        fi
      done ;;
    *) for s in fuzz/seeds/"$1"/*; do if [ -e "$s" ]; then cp "$s" "$2/"; fi; done ;;
  esac
}

for t in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$t
  findings=build-fuzz/findings/$t
  mkdir -p "$corpus" "$findings"
  seed "$t" "$corpus"
  dict=()
  [ -f "fuzz/$t.dict" ] && dict=(-dict="fuzz/$t.dict")
  echo "== $t: ${seconds}s"
  build-fuzz/fuzz/"$t" "$corpus" "${dict[@]}" -max_len=16384 -max_total_time="$seconds" -runs="${FUZZ_RUNS:--1}" \
    -artifact_prefix="$findings/" -print_final_stats=1 2>&1 |
    grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb|.*ERROR|SUMMARY)|cov:' | tail -4 || true
done
if find build-fuzz/findings -type f | grep -q .; then
  echo "findings (each becomes a regression test):"
  find build-fuzz/findings -type f
  exit 1
fi
