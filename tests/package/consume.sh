#!/usr/bin/env bash
# Installs this build (and the other flavour's, when given) into one prefix, builds the consumer
# against it with this flavour's toolchain, runs it, and checks the ZIP holds both flavours.
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
cp "$work/prefix/$flavour/softd2d/d2d1.dll" "$work/consumer/" # under Wine, softd2d stands in for Direct2D
ran=$(cd "$work/consumer" && wine consumer.exe)
grep -q "consumer: ok" <<<"$ran" || { echo "FAIL: the consumer says: $ran"; exit 1; }
cpack --config "$build/CPackConfig.cmake" -B "$work/zip" >/dev/null
listing=$(unzip -l "$work/zip/Tessary-"*"-win64.zip")
for f in include/Tessary.h lib/cmake/Tessary/TessaryConfig.cmake "$flavour/bin/tessary.dll"; do
  grep -q "/$f\$" <<<"$listing" || { echo "FAIL: the ZIP lacks $f"; exit 1; }
done
[ -z "$other" ] || [ "$(grep -c '/bin/tessary.dll$' <<<"$listing")" == 2 ] || { echo "FAIL: the ZIP lacks a flavour"; exit 1; }
echo "package consumed"
