#!/bin/sh
# Per-sample cost of Brindle's mono LV2 variant beside the fuzz and overdrive plug-ins a Linux
# user would pick instead, measured by lilv's lv2bench (silence in, one block size for all).
# usage: scripts/bench-lv2.sh BUILD_DIR [FRAMES] [BLOCK]
set -eu
build=${1:-build} frames=${2:-960000} block=${3:-512}
path=$(mktemp -d)
trap 'rm -rf "$path"' EXIT
# Brindle alone on LV2_PATH beside the system's bundles, so that lilv reads nothing else of the build.
ln -s "$(cd "$build" && pwd)/Brindle.lv2" "$path/"
export LV2_PATH="$path:${HOME:-/root}/.lv2:/usr/local/lib/lv2:/usr/lib/lv2"

printf '%-70s %12s %10s\n' "plug-in ($frames frames, block $block)" "seconds" "ns/sample"
for uri in urn:tallowby:brindle#mono \
           "http://guitarix.sourceforge.net/plugins/gx_fuzz_#fuzz_" \
           "http://guitarix.sourceforge.net/plugins/gx_fuzzface_#_fuzzface_" \
           "http://guitarix.sourceforge.net/plugins/gx_fuzzfacefm_#_fuzzfacefm_" \
           http://plugin.org.uk/swh-plugins/foverdrive; do
  seconds=$(lv2bench -n "$frames" -b "$block" "$uri" 2>/dev/null | awk -v u="$uri" '$2 == u { print $1 }')
  if [ -z "$seconds" ]; then
    printf '%-70s %12s\n' "$uri" "not found"
    continue
  fi
  printf '%-70s %12s %10.2f\n' "$uri" "$seconds" "$(echo "$seconds $frames" | awk '{ print $1 * 1e9 / $2 }')"
done
