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
clang-tidy --quiet -p build/host $product || status=1

echo "== cppcheck"
cppcheck --quiet --error-exitcode=1 --enable=warning,performance,portability \
  --inline-suppr --std=c++17 --language=c++ -I . -U_WIN32 \
  --suppress=missingIncludeSystem $product || status=1

((status == 0)) && echo "static checks: clean"
exit $status
