#!/usr/bin/env bash
# Checks the module tables a host and the loader depend on:
# - tessary.dll exports exactly its nine entries, by name, at their fixed ordinals;
# - tessary.dll imports quillon's numbered entries by ordinal, and only system DLLs besides quillon.dll;
# - no built module needs a MinGW runtime DLL.
set -u
objdump=$1
bin=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

system_dll='^(kernel32|user32|gdi32|gdiplus|ole32|oleaut32|shlwapi|advapi32|msvcrt|shell32|comdlg32|winspool(\.drv)?|windowscodecs|dwrite|d2d1|api-ms-win-[a-z0-9-]+)\.dll$'
own_dll='^(quillon|tessary|d2d1)\.dll$'

imports_of() { "$objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'; }

for module in "$bin"/*.dll "$bin"/*.exe; do
  [ -e "$module" ] || continue
  for dll in $(imports_of "$module"); do
    if [[ "$dll" =~ ^(libstdc\+\+|libgcc|libwinpthread) ]]; then
      fail "$(basename "$module") needs the MinGW runtime DLL $dll"
    elif ! [[ "$dll" =~ $system_dll || "$dll" =~ $own_dll ]]; then
      fail "$(basename "$module") imports unexpected $dll"
    fi
  done
done

tessary=$bin/tessary.dll
[ -f "$tessary" ] || { echo "FAIL: $tessary missing"; exit 1; }

for dll in $(imports_of "$tessary"); do
  [[ "$dll" =~ $system_dll || "$dll" == quillon.dll ]] || [[ "$dll" != d2d1.dll && "$dll" != dwrite.dll ]] || fail "tessary.dll must load $dll at run time, not import it"
  [[ "$dll" == d2d1.dll || "$dll" == dwrite.dll ]] && fail "tessary.dll imports $dll; it loads it by name instead"
done

# Exports: "[ordinal] name" pairs from the export address and name tables.
exports=$("$objdump" -p "$tessary" | awk '
  /^\[Ordinal\/Name Pointer\] Table/ { names = 1; next }
  names && /^\s*\[/ { gsub(/[\[\]]/, "", $1); print $2; next }
  names && /^$/ { names = 0 }')
expected="CreateInstance_ZkGraphicSurfaceD2D CreateInstance_ZkImageD2D CreateInstance_ZkWindowD2D InitializeTessaryInternal OnDeviceLostTessaryInternal SetDeviceLostHandlerTessaryInternal Tessary_AddPrivateFont Tessary_RemovePrivateFont UninitializeTessaryInternal"
actual=$(echo $exports | tr ' ' '\n' | sort | tr '\n' ' ' | sed 's/ $//')
[ "$actual" == "$expected" ] || fail "tessary.dll exports [$actual], expected [$expected]"

# Ordinals: the export address table lists +base[ordinal]; exactly 1 2 3 11 12 21 22 23 24 hold code.
ordinals=$("$objdump" -p "$tessary" | sed -n 's/^\s*\[\s*[0-9]*\] +base\[\s*\([0-9]*\)\] \([0-9a-f]*\) Export RVA/\1 \2/p' |
           awk '$2 != "0" { printf "%s ", $1 }' | sed 's/ $//')
[ "$ordinals" == "1 2 3 11 12 21 22 23 24" ] || fail "tessary.dll export ordinals are [$ordinals]"

# Each name sits at its own ordinal: compare the RVA behind each name with the RVA behind its ordinal.
declare -A want=([CreateInstance_ZkGraphicSurfaceD2D]=1 [CreateInstance_ZkImageD2D]=2 [CreateInstance_ZkWindowD2D]=3
  [InitializeTessaryInternal]=11 [UninitializeTessaryInternal]=12 [SetDeviceLostHandlerTessaryInternal]=21
  [OnDeviceLostTessaryInternal]=22 [Tessary_AddPrivateFont]=23 [Tessary_RemovePrivateFont]=24)
table=$("$objdump" -p "$tessary")
for name in "${!want[@]}"; do
  ordinal=$(echo "$table" | awk -v n="$name" '/^\[Ordinal\/Name Pointer\] Table/ { t = 1; next } t && $2 == n { gsub(/[\[\]]/, "", $1); print $1; exit }')
  # The name table index maps to an ordinal through the ordinal table; objdump prints ordinal - base.
  base=$(echo "$table" | sed -n 's/^Ordinal Base\s*//p' | head -1)
  [ -n "$ordinal" ] && [ $((ordinal + base)) -eq "${want[$name]}" ] || fail "$name is not at ordinal ${want[$name]} (got $ordinal + $base)"
done

# Quillon's numbered entries are imported by ordinal.
quillon_ordinals=$(echo "$table" | awk '
  /DLL Name: quillon.dll/ { q = 1; next }
  q && /DLL Name:/ { q = 0 }
  q && /<none>/ { for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+$/) { print $i; break } }' | sort -n | tr '\n' ' ' | sed 's/ $//')
echo "quillon ordinal imports: [$quillon_ordinals]"

if [ $failures -gt 0 ]; then
  echo "$failures table check(s) failed"
  exit 1
fi
echo "module tables as expected"
