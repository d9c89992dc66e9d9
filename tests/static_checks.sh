#!/usr/bin/env bash
# clang-tidy, cppcheck and clang-format over the programs and the test helpers; any finding
# fails.
# usage: static_checks.sh SOURCE_DIR NATIVE_BUILD_DIR
set -euo pipefail
src=$1 build=$2
cd "$src"

windows=(entry_printer/console_startup.cpp launcher/startup.cpp launcher/runnolt.cpp
  tests/launcher/stand_in.cpp tests/entry_printer/generator_crosscheck.cpp)
portable=()
for source in entry_printer/*.cpp entry_maker/*.cpp launcher/*.cpp; do
  [[ " ${windows[*]} " == *" $source "* ]] || portable+=("$source")
done

# (The native build's link-time optimization flags are GCC's, which clang does not know.) A
# file at a time on every core: this is the longest row of the native tests.
printf '%s\0' "${portable[@]}" | xargs -0 -n 1 -P "$(nproc)" \
  clang-tidy --quiet -p "$build" --extra-arg=-Wno-ignored-optimization-argument
# The Windows sources are checked as the cross compiler sees them, with its C++ headers.
mingw_includes=$(i686-w64-mingw32-g++-win32 -E -x c++ -v - </dev/null 2>&1 |
  sed -n '/#include <...> search starts here/,/End of search list/p' | grep '^ ' |
  sed 's/^ */-isystem /')
# shellcheck disable=SC2086
clang-tidy --quiet "${windows[@]}" -- --target=i686-w64-mingw32 -std=c++17 -nostdinc++ \
  $mingw_includes -D_WIN32_WINNT=0x0400 -DWINVER=0x0400 -Ientry_printer -Ilauncher
cppcheck --quiet --error-exitcode=1 --enable=warning,style,performance,portability \
  --std=c++17 --inline-suppr -Ientry_printer -Ientry_maker -Ilauncher entry_printer entry_maker \
  launcher
# shellcheck disable=SC2046
clang-format --dry-run --Werror $(git ls-files '*.cpp' '*.h')
