#!/usr/bin/env bash
# Installs this build (and the other flavour's, when given) into one prefix, builds the consumer
# against it with this flavour's toolchain, runs it, checks each flavour's debug information lies
# where its debuggers look, and checks the ZIP holds both flavours.
set -euo pipefail
build=$1 other=$2 toolchain=$3 runtime=$4 flavour=$5
work=$build/package-test
rm -rf "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
[ -z "$other" ] || cmake --install "$other" --prefix "$work/prefix" >/dev/null
configured=$(cmake -S "$(dirname "$0")/consumer" -B "$work/consumer" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
             -DCMAKE_PREFIX_PATH="$work/prefix" -DTESSARY_TEST_RUNTIME="$runtime")
grep -q "Tessary flavour: $flavour" <<<"$configured" || { echo "FAIL: find_package chose another flavour"; exit 1; }
cmake --build "$work/consumer" >/dev/null
case $flavour in msvc) copied="tessary.pdb quillon.pdb" ;; gnu) copied="tessary.dll.debug quillon.dll.debug" ;; esac
for f in $copied; do
  [ -f "$work/consumer/$f" ] || { echo "FAIL: tessary_copy_runtime_dlls left $f behind"; exit 1; }
done
cp "$work/prefix/$flavour/softd2d/d2d1.dll" "$work/consumer/" # under Wine, softd2d stands in for Direct2D
ran=$(cd "$work/consumer" && wine consumer.exe)
grep -q "consumer: ok" <<<"$ran" || { echo "FAIL: the consumer says: $ran"; exit 1; }
# The debug information of each flavour in the prefix: each MSVC-ABI DLL's PDB beside it; each g++
# DLL stripped, its .gnu_debuglink naming a file in gnu/debug/ that has the CRC-32 recorded beside
# the name (gzip's trailer holds the same checksum) and holds the DWARF.
shopt -s nullglob
debug_files=()
for dll in "$work"/prefix/msvc/{bin,softd2d}/*.dll; do
  pdb=${dll%.dll}.pdb
  [ -f "$pdb" ] || { echo "FAIL: no PDB beside $dll"; exit 1; }
  debug_files+=("${pdb#"$work/prefix/"}")
done
for dll in "$work"/prefix/gnu/{bin,softd2d}/*.dll; do
  x86_64-w64-mingw32-objcopy --dump-section .gnu_debuglink="$work/debuglink" "$dll" "$work/stripped.dll" ||
    { echo "FAIL: $dll has no .gnu_debuglink"; exit 1; }
  name=$(tr '\0' '\n' <"$work/debuglink" | sed -n 1p)
  recorded=$(od -An -tx1 -j $(((${#name} + 4) / 4 * 4)) -N 4 "$work/debuglink")
  debug=$work/prefix/gnu/debug/$name
  [ -f "$debug" ] && [ "$(gzip -c <"$debug" | tail -c 8 | od -An -tx1 -N 4)" == "$recorded" ] ||
    { echo "FAIL: $dll names $name, which gnu/debug/ lacks or holds with another checksum"; exit 1; }
  sections=$(x86_64-w64-mingw32-objdump -h "$debug")
  grep -q ' \.debug_info ' <<<"$sections" || { echo "FAIL: $debug holds no DWARF"; exit 1; }
  sections=$(x86_64-w64-mingw32-objdump -h "$dll")
  ! grep -q ' \.debug_' <<<"$sections" || { echo "FAIL: $dll is not stripped"; exit 1; }
  debug_files+=("gnu/debug/$name")
done
cpack --config "$build/CPackConfig.cmake" -B "$work/zip" >/dev/null
listing=$(unzip -l "$work/zip/Tessary-"*"-win64.zip")
for f in include/Tessary.h lib/cmake/Tessary/TessaryConfig.cmake "$flavour/bin/tessary.dll" "${debug_files[@]}"; do
  grep -q "/$f\$" <<<"$listing" || { echo "FAIL: the ZIP lacks $f"; exit 1; }
done
[ -z "$other" ] || [ "$(grep -c '/bin/tessary.dll$' <<<"$listing")" == 2 ] || { echo "FAIL: the ZIP lacks a flavour"; exit 1; }
echo "package consumed"
