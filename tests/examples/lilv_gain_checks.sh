#!/bin/sh
# Gain.lv2 checked with lilv's own tools and the LV2 schemas, as Brindle.lv2 is: lv2ls lists both
# variants, lv2info describes them, the Turtle validates with sord_validate, and lv2apply renders
# what the gain and pan law says, for mono and stereo and several settings.
# usage: lilv_gain_checks.sh BUNDLE WAV_TOOL CHECKER WORK_DIR
set -eu
bundle=$1 wavtool=$2 checker=$3 work=$4
uri=urn:tallowby:gain
. "$(dirname "$0")/../lv2/lilv_common.sh"
[ "$(wc -l < "$work/ls.txt")" -eq 2 ] || fail "lv2ls lists more than Gain's two variants"

expect_lv2info Gain "Author:            tallowby" "Symbol:      gain" "Symbol:      pan" \
  "Minimum:     -60" "Maximum:     12" "Minimum:     -100" "Init" "reported by port"

validate_turtle

"$wavtool" make "$work/in-1.wav" 1 44100 2000
"$wavtool" make "$work/in-2.wav" 2 48000 2000
n=0
# variant | input channels | gain dB | pan
while IFS='|' read -r variant channels gain pan; do
  n=$((n + 1))
  lv2apply -i "$work/in-$channels.wav" -o "$work/out-$n.wav" -c gain "$gain" -c pan "$pan" "$uri#$variant" \
    || fail "lv2apply case $n"
  "$checker" "$work/in-$channels.wav" "$work/out-$n.wav" "$gain" "$pan" || fail "case $n ($variant $gain dB, pan $pan)"
done <<CASES
mono|1|0|0
mono|1|-6|100
stereo|2|0|0
stereo|2|-6|-100
stereo|2|12|50
stereo|2|-60|-25
stereo|2|3.5|100
CASES
echo "lilv checks: $n renders follow the law, both variants listed, described and valid"
