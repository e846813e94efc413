#!/usr/bin/env bash
# Checks the built program's image: a stripped GUI program for the build's oldest Windows (subsystem
# version 5.0 for i686, 5.2 for x86_64) that imports only from the system's own DLLs, and only
# functions that Windows 2000 exports (the reviewed list in the given file, "DLL function" a line).
#
#   check_imports.sh <Uninstall.exe> <i686|x86_64> <allowed imports file>
set -uo pipefail

program=$1 arch=$2 allowed=$3
objdump=$arch-w64-mingw32-objdump
command -v "$objdump" >/dev/null || { echo "$objdump not found: bash tools/install-deps.sh"; exit 1; }
headers=$("$objdump" -p "$program") || exit 1
status=0

field() { awk -v name="$1" '$1 == name { print $2; exit }' <<<"$headers"; }

subsystem=$(field Subsystem)
version="$(field MajorSubsystemVersion).$(field MinorSubsystemVersion)"
expected_version=5.0
[[ $arch == x86_64 ]] && expected_version=5.2
echo "subsystem $subsystem (2 is the GUI), subsystem version $version"
[[ $subsystem == 00000002 ]] || { echo "FAIL: not a GUI program"; status=1; }
[[ $version == "$expected_version" ]] || { echo "FAIL: subsystem version $version, not $expected_version"; status=1; }

if "$arch-w64-mingw32-nm" "$program" 2>&1 | grep -q "no symbols"; then
  echo "stripped: no symbols"
else
  echo "FAIL: the program carries symbols (release builds are linked with -s)"
  status=1
fi

# "DLL function" for every import, DLL names in upper case.
imports=$(awk '
  /DLL Name:/ { dll = toupper($3); next }
  /^[ \t]*$/ { dll = ""; next }
  dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }
' <<<"$headers" | sort -u)

echo "DLLs: $(cut -d' ' -f1 <<<"$imports" | sort -u | tr '\n' ' ')"
system_dlls="KERNEL32.DLL USER32.DLL GDI32.DLL ADVAPI32.DLL SETUPAPI.DLL MSVCRT.DLL"
for dll in $(cut -d' ' -f1 <<<"$imports" | sort -u); do
  [[ " $system_dlls " == *" $dll "* ]] || { echo "FAIL: imports from $dll"; status=1; }
done

unreviewed=$(comm -23 <(echo "$imports") <(grep -v '^#' "$allowed" | sed '/^$/d' | sort -u))
if [[ -n $unreviewed ]]; then
  echo "FAIL: imports not in $allowed (check that Windows 2000 exports them, then add them):"
  echo "$unreviewed"
  status=1
fi
echo "$(wc -l <<<"$imports") imported functions"
((status == 0)) && echo "imports: as expected"
exit $status
