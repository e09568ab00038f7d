#!/usr/bin/env bash
# Checks the module tables a host and the loader depend on:
# - tessary.dll exports exactly its nine entries, by name, at their fixed ordinals;
# - tessary.dll imports quillon's numbered entries by ordinal, and only system DLLs besides quillon.dll;
# - no built module needs a MinGW or Visual C++ runtime DLL;
# - the C++ ABI of the build: Class_QUOR's members imported by their Itanium names (gnu flavour)
#   or Microsoft names (msvc flavour); in the msvc flavour, msvcrt.dll supplies only exception
#   handling, the Universal CRT's API sets the C library;
# - tessary.dll, quillon.dll and d2d1.dll carry a version resource with the project's version.
set -u
objdump=$1
bin=$2
flavour=$3
version=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

system_dll='^(kernel32|user32|gdi32|gdiplus|ole32|oleaut32|shlwapi|advapi32|msvcrt|shell32|comdlg32|winspool(\.drv)?|windowscodecs|dwrite|d2d1|api-ms-win-[a-z0-9-]+)\.dll$'
own_dll='^(quillon|tessary|d2d1)\.dll$'

imports_of() { "$objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'; }
# The names module $1 imports from DLL $2, one a line.
imported_from() { "$objdump" -p "$1" | sed -n "/DLL Name: $2/,/^\$/p" | awk 'NR > 2 && NF >= 3 { print $3 }'; }

for module in "$bin"/*.dll "$bin"/*.exe; do
  [ -e "$module" ] || continue
  for dll in $(imports_of "$module"); do
    if [[ "$dll" =~ ^(libstdc\+\+|libgcc|libwinpthread|libc\+\+|libunwind) ]]; then
      fail "$(basename "$module") needs the MinGW runtime DLL $dll"
    elif [[ "$dll" =~ ^(vcruntime|msvcp|msvcr[0-9]|ucrtbase|concrt) ]]; then
      fail "$(basename "$module") needs the Visual C++ runtime DLL $dll"
    elif ! [[ "$dll" =~ $system_dll || "$dll" =~ $own_dll ]]; then
      fail "$(basename "$module") imports unexpected $dll"
    fi
  done
  if [ "$flavour" == msvc ]; then
    from_msvcrt=$(imported_from "$module" msvcrt.dll | grep -v -x -E '_CxxThrowException|__CxxFrameHandler3')
    [ -z "$from_msvcrt" ] || fail "$(basename "$module") takes more than exception handling from msvcrt.dll: $from_msvcrt"
  fi
done

tessary=$bin/tessary.dll
[ -f "$tessary" ] || { echo "FAIL: $tessary missing"; exit 1; }

for dll in $(imports_of "$tessary"); do
  case "$dll" in
    d2d1.dll | dwrite.dll) fail "tessary.dll imports $dll; it must load it by name at run time" ;;
    quillon.dll) ;;
    *) [[ "$dll" =~ $system_dll ]] || fail "tessary.dll imports $dll, which is not a system DLL" ;;
  esac
done

table=$("$objdump" -p "$tessary")
base=$(echo "$table" | sed -n 's/^Export Address Table -- Ordinal Base \([0-9]*\).*/\1/p' | head -1)

# Ordinals that hold code: exactly 1 2 3 11 12 21 22 23 24.
ordinals=$(echo "$table" | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\] +base\[[[:space:]]*\([0-9]*\)\] \([0-9a-f]*\) Export RVA/\1 \2/p' |
           awk '$2 != "0" { printf "%s ", $1 }' | sed 's/ $//')
[ "$ordinals" == "1 2 3 11 12 21 22 23 24" ] || fail "tessary.dll export ordinals are [$ordinals]"

# Names: the name table lists "[ordinal - base] name"; exactly the nine, each at its ordinal.
names=$(echo "$table" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[[[:space:]]*\([0-9]*\)\] \(.*\)$/\2=\1/p' | sort)
expected=""
for pair in CreateInstance_ZkGraphicSurfaceD2D=1 CreateInstance_ZkImageD2D=2 CreateInstance_ZkWindowD2D=3 \
            InitializeTessaryInternal=11 OnDeviceLostTessaryInternal=22 SetDeviceLostHandlerTessaryInternal=21 \
            Tessary_AddPrivateFont=23 Tessary_RemovePrivateFont=24 UninitializeTessaryInternal=12; do
  expected+="${pair%=*}=$(( ${pair#*=} - base ))"$'\n'
done
[ "$names" == "$(echo -n "$expected" | sort)" ] || fail "tessary.dll export names and ordinals:
$names
expected (index = ordinal - $base):
$expected"

# Quillon's numbered entries are imported by ordinal (high bit set, ordinal in the low bits).
quillon=$(echo "$table" | sed -n '/DLL Name: quillon.dll/,/^$/p' | awk '/<none>/ { print $2 }' |
          while read -r hex; do echo $((16#$hex)); done | sort -n | tr '\n' ' ' | sed 's/ $//')
[ "$quillon" == "33 34 43 45 57" ] || fail "tessary.dll imports quillon ordinals [$quillon], expected [33 34 43 45 57]"

# The component base's constructor, as each ABI names it.
case "$flavour" in
  gnu) constructor='_ZN10Class_QUORC2Ev' ;;
  msvc) constructor='??0Class_QUOR@@QEAA@XZ' ;;
esac
imported_from "$tessary" quillon.dll | grep -q -x -F "$constructor" ||
  fail "tessary.dll does not import Class_QUOR's constructor as $flavour's C++ ABI names it ($constructor)"

windres=${objdump%objdump}windres
for dll in tessary quillon d2d1; do
  resource=$("$windres" -i "$bin/$dll.dll" -O rc 2>&1)
  grep -q "FILEVERSION ${version//./, }, 0" <<<"$resource" &&
    grep -q "VALUE \"ProductName\", \"Tessary\"" <<<"$resource" &&
    grep -q "VALUE \"FileVersion\", \"$version\"" <<<"$resource" ||
    fail "$dll.dll has no version resource for Tessary $version"
done

if [ $failures -gt 0 ]; then
  echo "$failures table check(s) failed"
  exit 1
fi
echo "module tables as expected"
