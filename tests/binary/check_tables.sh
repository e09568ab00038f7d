#!/usr/bin/env bash
# Checks the module tables a host and the loader depend on:
# - tessary.dll exports exactly its nine entries, by name, at their fixed ordinals;
# - tessary.dll imports quillon's numbered entries by ordinal, and only system DLLs besides quillon.dll;
# - no built module needs a MinGW or Visual C++ runtime DLL;
# - the C++ ABI of the build: Class_QUOR's members imported by their Itanium names (gnu flavour)
#   or Microsoft names (msvc flavour); in the msvc flavour, msvcrt.dll supplies only exception
#   handling, the Universal CRT's API sets the C library;
# - tessary.dll, quillon.dll and d2d1.dll carry a version resource with the project's version;
# - debug information: in the msvc flavour every module's debug directory names the PDB beside it
#   with the PDB's GUID and age, and the PDBs hold the exported functions and interface operations;
#   in the gnu flavour the DLLs are stripped and their .gnu_debuglink names the file beside them,
#   with its checksum, that holds their DWARF. In both, the symbolizer a debugger would use maps
#   the addresses of an export and of interface operations to their functions and source lines.
set -u
objdump=$1
bin=$2
flavour=$3
version=$4
llvm=$5 # the folder of the LLVM tools
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

image_base=$("$llvm/llvm-readobj" --file-headers "$tessary" | sed -n 's/^ *ImageBase: //p')
exports="InitializeTessaryInternal UninitializeTessaryInternal CreateInstance_ZkGraphicSurfaceD2D
         CreateInstance_ZkImageD2D CreateInstance_ZkWindowD2D SetDeviceLostHandlerTessaryInternal
         OnDeviceLostTessaryInternal Tessary_AddPrivateFont Tessary_RemovePrivateFont"

if [ "$flavour" == msvc ]; then
  # The PDB a module's debug directory names: "{GUID} age file", the GUID as llvm-pdbutil prints it.
  pdb_reference() {
    "$llvm/llvm-readobj" --coff-debug-directory "$1" | tr -d '()' | awk '
      $1 == "PDBGUID:" { for (i = 0; i < 16; i++) b[i] = $(i + 2) }
      $1 == "PDBAge:" { age = $2 }
      $1 == "PDBFileName:" { file = $2 }
      END { if (file != "") printf "{%s%s%s%s-%s%s-%s%s-%s%s-%s%s%s%s%s%s} %s %s\n", b[3], b[2], b[1], b[0],
                                     b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15], age, file }'
  }
  for module in "$bin"/*.dll "$bin"/*.exe; do
    [ -e "$module" ] || continue
    name=$(basename "$module")
    pdb=${name%.*}.pdb
    read -r guid age file <<<"$(pdb_reference "$module")"
    if [ "${file:-}" != "$pdb" ]; then
      fail "$name's debug directory names no $pdb (${file:-nothing})"
    elif [ ! -f "$bin/$pdb" ]; then
      fail "$pdb is not beside $name"
    else
      identity=$("$llvm/llvm-pdbutil" dump --summary "$bin/$pdb" | awk '$1 == "GUID:" { g = $2 } $1 == "Age:" { a = $2 } END { print g, a }')
      [ "$identity" == "$guid $age" ] || fail "$name names PDB $guid age $age; $pdb is $identity"
    fi
  done
  # Functions with code in each PDB (S_GPROC32 records come from the compiler's CodeView, not the
  # linker's public symbols): the exports, interface operations, the hosts' entry points.
  for expected in "tessary: $exports Class_ZkGraphicSurfaceD2D::FillRect Class_ZkWindowD2D::Present" \
                  "quillon: Class_QUOR::Create Class_QUOR::QueryInterface RegisterInterface LockObjectAt" \
                  "d2d1: D2D1CreateFactory" "host_test: wmain" "tessary_demo: wmain"; do
    pdb=$bin/${expected%%:*}.pdb
    [ -f "$pdb" ] || continue
    procs=$("$llvm/llvm-pdbutil" dump --symbols "$pdb" | sed -n 's/.* S_[GL]PROC32 .*`\(.*\)`$/\1/p')
    for function in ${expected#*:}; do
      grep -q -x -F "$function" <<<"$procs" || fail "$(basename "$pdb") lacks the function $function"
    done
    [ "${expected%%:*}" != d2d1 ] || grep -q -x -E 'softd2d::RenderTarget<.*>::FillRectangle' <<<"$procs" ||
      fail "d2d1.pdb lacks the render target's FillRectangle"
  done
  tessary_symbols=$("$llvm/llvm-pdbutil" dump --symbols "$bin/tessary.pdb")
  sections=$("$llvm/llvm-readobj" --sections "$tessary")
  # The address tessary.pdb gives function $1 (section:offset).
  debug_address() {
    local place
    place=$(grep -A1 -F "S_GPROC32 [size = " <<<"$tessary_symbols" | grep -A1 -F "\`$1\`" | sed -n 's/.* addr = \([0-9]*\):\([0-9]*\),.*/\1 \2/p')
    [ -n "$place" ] || return
    read -r section offset <<<"$place"
    printf '0x%x' $((image_base + $(awk -v n=$((10#$section)) '$1 == "Number:" { s = $2 } $1 == "VirtualAddress:" && s == n { print $2 }' <<<"$sections") + 10#$offset))
  }
  symbolise() { "$llvm/llvm-symbolizer" --obj="$tessary" "$1"; }
  found_through="tessary.pdb, named by the debug directory"
else
  binutils=${objdump%objdump}
  for dll in tessary quillon d2d1; do
    module=$bin/$dll.dll
    sections=$("$objdump" -h "$module")
    ! grep -q ' \.debug_' <<<"$sections" || fail "$dll.dll is not stripped"
    grep -q ' \.gnu_debuglink ' <<<"$sections" || fail "$dll.dll has no .gnu_debuglink"
    [ -f "$module.debug" ] || fail "$dll.dll.debug is not beside $dll.dll"
  done
  tessary_symbols=$("${binutils}nm" -C "$tessary.debug")
  # The address tessary.dll.debug's symbol table gives function $1.
  debug_address() { grep -m1 -F " T $1(" <<<"$tessary_symbols" | sed 's/^\([0-9a-f]*\) .*/0x\1/'; }
  symbolise() { "${binutils}addr2line" -f -C -e "$tessary" "$1"; }
  found_through="tessary.dll.debug, named by the debuglink with its checksum"
fi

# A debugger, given only tessary.dll, finds its debug information and maps addresses to functions
# and source lines: an export at its address in the export table, and two interface operations at
# the addresses the debug information gives them.
export_rva=$("$llvm/llvm-readobj" --coff-exports "$tessary" |
             awk '$1 == "Name:" { n = $2 } $1 == "RVA:" && n == "InitializeTessaryInternal" { print $2 }')
for expected in "$(printf '0x%x' $((image_base + export_rva))) InitializeTessaryInternal frame/[a-z_]+\.cpp" \
                "$(debug_address Class_ZkGraphicSurfaceD2D::FillRect) Class_ZkGraphicSurfaceD2D::FillRect surface/fills\.cpp" \
                "$(debug_address Class_ZkWindowD2D::Present) Class_ZkWindowD2D::Present window/presentation\.cpp"; do
  read -r address function source <<<"$expected"
  [ "${address:0:2}" == 0x ] || { fail "the debug information has no address for $address"; continue; }
  # The function's line, then its file:line[:column]; a signature or discriminator dropped.
  lines=$(symbolise "$address" | sed 's/ *(.*//')
  grep -q -x -F "$function" <<<"$lines" && grep -q -E "/$source:[1-9][0-9]*(:[0-9]+)?\$" <<<"$lines" ||
    fail "$function at $address is not placed in $source through $found_through: $lines"
done

if [ $failures -gt 0 ]; then
  echo "$failures table check(s) failed"
  exit 1
fi
echo "module tables as expected"
