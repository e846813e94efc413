#!/usr/bin/env bash
# Layout, clang-tidy and cppcheck over the project's code. Needs the host build's
# compile_commands.json (cmake --preset host).
set -uo pipefail
cd "$(dirname "$0")/.."

status=0
sources=$(git ls-files '*.cpp' '*.h')
product=$(git ls-files 'app/*.cpp' 'discovery/*.cpp' 'removal/*.cpp' 'dialogs/*.cpp' 'framework/*.cpp' |
  grep -v -e 'framework/winmain.cpp' -e 'app/main.cpp')

echo "== clang-format"
clang-format --dry-run -Werror $sources || status=1

echo "== clang-tidy"
# The count of warnings found (and suppressed) in system headers is only noise.
clang-tidy --quiet -p build/host $product 2>&1 | grep -v "warnings generated\.$"
((PIPESTATUS[0] == 0)) || status=1

echo "== cppcheck"
# Style checks too, but not the advice to prefer <algorithm> (the passes read as the loops they
# describe) nor the C casts inside the platform's own handle constants (INVALID_HANDLE_VALUE).
cppcheck --quiet --error-exitcode=1 --enable=warning,performance,portability,style \
  --inline-suppr --std=c++17 --language=c++ -I . -U_WIN32 \
  --suppress=missingIncludeSystem --suppress=useStlAlgorithm --suppress=cstyleCast \
  $product || status=1

((status == 0)) && echo "static checks: clean"
exit $status
