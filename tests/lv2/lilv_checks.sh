#!/bin/sh
# Brindle.lv2 checked with lilv's own tools and the LV2 schemas:
#   lv2ls lists both variants; lv2info describes them; the bundle's Turtle validates with
#   sord_validate; lv2apply (one frame per run call) renders exactly what
#   `brindle render --block 1` renders, for mono and stereo and several settings.
# usage: lilv_checks.sh BUNDLE BRINDLE WAV_TOOL WORK_DIR
set -eu
bundle=$1 brindle=$2 wavtool=$3 work=$4
uri=urn:tallowby:brindle
. "$(dirname "$0")/lilv_common.sh"

expect_lv2info Brindle "Author:            tallowby" "Symbol:      level" "Symbol:      attack" \
  "Symbol:      effect" "Symbol:      cabinet" '1.0 = "On"' '0.0 = "Off"' "Init" \
  "reported by port" "http://lv2plug.in/ns/lv2core#toggled"

validate_turtle

# Inputs named by channels and rate; the unusual rates check the filter design at both ends.
"$wavtool" make "$work/in-1.wav" 1 44100 2000
"$wavtool" make "$work/in-2.wav" 2 48000 2000
"$wavtool" make "$work/in-1-8k.wav" 1 8000 1000
"$wavtool" make "$work/in-2-384k.wav" 2 384000 4000
n=0
# variant | input | lv2apply controls | brindle render options
while IFS='|' read -r variant channels controls options; do
  n=$((n + 1))
  # shellcheck disable=SC2086
  lv2apply -i "$work/in-$channels.wav" -o "$work/lv2-$n.wav" $controls "$uri#$variant" \
    || fail "lv2apply case $n"
  # shellcheck disable=SC2086
  "$brindle" render "$work/in-$channels.wav" "$work/render-$n.wav" --block 1 --quiet $options \
    || fail "brindle render case $n"
  "$wavtool" same "$work/lv2-$n.wav" "$work/render-$n.wav" || fail "case $n ($variant $controls) differs"
done <<CASES
mono|1||
stereo|2||
mono|1|-c level 0.8 -c attack 1|--level 0.8 --attack 1
stereo|2|-c cabinet 0|--cabinet off
mono|1|-c effect 0|--effect off
stereo|2|-c level 0.13 -c attack 0.77 -c effect 1 -c cabinet 0|--level 0.13 --attack 0.77 --cabinet off
mono|1-8k|-c attack 1|--attack 1
stereo|2-384k|-c level 1|--level 1
CASES
echo "lilv checks: $n renders equal, both variants listed, described and valid"
