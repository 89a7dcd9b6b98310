#!/bin/sh
# sdk_check.sh SOURCE_DIR BINARY_DIR: the framework as a plug-in developer meets it.
#   1. `cmake --install` of BINARY_DIR is staged under a scratch DESTDIR;
#   2. the staged `brindle new-plugin` refuses bad arguments and writes a project into a folder
#      outside the source tree;
#   3. that project is configured and built against the staged install alone: neither its cache nor
#      its compile commands may name SOURCE_DIR or BINARY_DIR;
#   4. its own test runs, and the staged `brindle validate` checks its component;
#   5. every installed public header compiles on its own against the staged tree (headers/).
# ccache, when present, is used with the scratch folder as its base, so reruns are quick.
set -eu
src=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/brindle-sdk.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
  echo "sdk_check: $*" >&2
  exit 1
}

launcher=
if command -v ccache >/dev/null 2>&1; then
  launcher="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
  export CCACHE_BASEDIR="$work" CCACHE_NOHASHDIR=1
fi

echo "== staged install"
DESTDIR="$work/stage" cmake --install "$bin" --prefix /opt/brindle >/dev/null
root="$work/stage/opt/brindle"
for f in bin/brindle lib/brindle/libbrindle_platform.so lib/brindle/libbrindle_plugcore.a \
         lib/cmake/BrindleFramework/BrindleFrameworkConfig.cmake include/brindle/plugcore/IParam.h; do
  [ -e "$root/$f" ] || fail "the install has no $f"
done
if grep -rlF -e "$src" -e "$bin" "$root/lib/cmake" "$root/include"; then
  fail "the installed package or headers name the source or build tree (files above)"
fi
brindle="$root/bin/brindle"

echo "== new-plugin refuses bad arguments"
mkdir -p "$work/full" && : > "$work/full/keep"
# expected status|arguments, one case a line ('|' separates the fields; arguments split on spaces)
while IFS='|' read -r want args; do
  [ -n "$want" ] || continue
  set +e
  # shellcheck disable=SC2086
  "$brindle" new-plugin $args >/dev/null 2>&1
  got=$?
  set -e
  [ "$got" = "$want" ] || fail "new-plugin $args: status $got, expected $want"
done <<CASES
2|$work/a --name Tremble
2|$work/a --maker Someone
2|--name Tremble --maker Someone
2|$work/a $work/b --name Tremble --maker Someone
2|$work/a --name 9Lives --maker Someone
2|$work/a --name Trem-ble --maker Someone
2|$work/a --name ThisNameIsFarTooLongForAPlugInClass --maker Someone
2|$work/a --name Tremble --maker Some"one
2|$work/a --name Tremble --maker Some\\one
2|$work/a --name Tremble --maker @NAME@
2|$work/a --name Tremble --maker
2|$work/a --name Tremble --maker Someone --colour red
1|$work/full --name Tremble --maker Someone
CASES
[ ! -e "$work/a" ] || fail "a refused new-plugin left $work/a behind"

echo "== new-plugin, build and test outside the tree"
project="$work/Tremble"
"$brindle" new-plugin "$project" --name Tremble --maker "Sdk Check"
# shellcheck disable=SC2086
cmake -S "$project" -B "$project/build" -DCMAKE_PREFIX_PATH="$root" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo $launcher >/dev/null
cmake --build "$project/build" -j2 >/dev/null
if grep -lF -e "$src" -e "$bin" "$project/build/CMakeCache.txt" "$project/build/compile_commands.json"; then
  fail "the project's build reached into the source or build tree (files above)"
fi
for f in Tremble.component/Contents/Tremble.so Tremble.component/Contents/Resources/tremble_knob.png \
         Tremble.lv2/Tremble.so Tremble.lv2/manifest.ttl Tremble.clap; do
  [ -e "$project/build/$f" ] || fail "the project built no $f"
done
(cd "$project/build" && ctest --output-on-failure)
"$brindle" validate --component "$project/build/Tremble.component"
DESTDIR="$work/plugin-stage" cmake --install "$project/build" --prefix /usr >/dev/null
for f in lib/brindle/Tremble.component lib/lv2/Tremble.lv2/Tremble.so lib/clap/Tremble.clap; do
  [ -e "$work/plugin-stage/usr/$f" ] || fail "the project's install has no $f"
done
if [ -d "$root/lib/cmake/BrindleFramework/vst3" ]; then
  [ -e "$work/plugin-stage/usr/lib/vst3/Tremble.vst3" ] || fail "the framework has VST3, the project's install has no Tremble.vst3"
fi

echo "== each public header alone"
# shellcheck disable=SC2086
cmake -S "$src/tests/sdk/headers" -B "$work/headers" -DCMAKE_PREFIX_PATH="$root" $launcher >/dev/null
cmake --build "$work/headers" -j2 >/dev/null
echo "sdk_check: passed"
