#!/usr/bin/env bash
# Builds the three libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer
# on) and runs each for FUZZ_SECONDS: the record reader on file bytes, the module session on the
# module's side of the line, and the telnet side of a network port on what a server sends. New
# inputs go to build-fuzz/corpus-<target>; the committed corpora are read as seeds. A finding
# stops its run and leaves a crash-* file in the current folder.
set -euo pipefail

seconds="${FUZZ_SECONDS:-300}"
dir="${FUZZ_BUILD_DIR:-build-fuzz}"
packages=(clang libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "The fuzzers need clang. Run this, then try again:"
    echo "  sudo apt-get install ${missing[*]}"
    exit 1
  fi
fi

if [ ! -f "$dir/build.ninja" ]; then
  CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUZZ=ON >/dev/null
fi
cmake --build "$dir" --target fuzz_config_record fuzz_module_session fuzz_telnet_codec

run() {
  local target=$1 seeds=$2
  shift 2
  mkdir -p "$dir/corpus-$target"
  echo "== $target for $seconds s"
  "$dir/bin/$target" "$dir/corpus-$target" "$seeds" -max_total_time="$seconds" \
    -print_final_stats=1 "$@" 2>&1 | grep -E "^(#[0-9]+ +DONE|Done|stat::number_of_executed_units|==[0-9]+==ERROR|broken promise|SUMMARY)" || true
}

run fuzz_config_record tests/files/fuzz/corpus -dict=tests/files/fuzz/record.dict
run fuzz_module_session tests/device/fuzz/corpus -max_len=1024
run fuzz_telnet_codec tests/device/fuzz/telnet_corpus -max_len=4096
