#!/bin/sh
# Gain.lv2 checked with lilv's own tools and the LV2 schemas, as Brindle.lv2 is: lv2ls lists both
# variants, lv2info describes them, the Turtle validates with sord_validate, and lv2apply renders
# what the gain and pan law says, for mono and stereo and several settings.
# usage: lilv_gain_checks.sh BUNDLE WAV_TOOL CHECKER WORK_DIR
set -eu
bundle=$1 wavtool=$2 checker=$3 work=$4
uri=urn:tallowby:gain
rm -rf "$work" && mkdir -p "$work/path"
# A folder holding only this bundle, so that lilv reads nothing else of the build tree.
ln -s "$bundle" "$work/path/"
export LV2_PATH="$work/path"

fail() { echo "FAIL: $*"; exit 1; }

lv2ls > "$work/ls.txt"
grep -qx "$uri#mono" "$work/ls.txt" || fail "lv2ls does not list $uri#mono"
grep -qx "$uri#stereo" "$work/ls.txt" || fail "lv2ls does not list $uri#stereo"
[ "$(wc -l < "$work/ls.txt")" -eq 2 ] || fail "lv2ls lists more than Gain's two variants"

for variant in mono stereo; do
  lv2info "$uri#$variant" > "$work/info-$variant.txt" 2>&1 || fail "lv2info $variant"
  for text in "Gain ($variant)" "Author:            tallowby" "Symbol:      gain" "Symbol:      pan" \
              "Minimum:     -60" "Maximum:     12" "Minimum:     -100" "Init" "reported by port"; do
    grep -qF "$text" "$work/info-$variant.txt" || fail "lv2info $variant lacks '$text'"
  done
done
grep -qF "Symbol:      in_r" "$work/info-stereo.txt" || fail "stereo variant has no in_r"

schemas=""
for d in /usr/lib/lv2/schemas.lv2 /usr/lib/lv2/core.lv2 /usr/lib/lv2/atom.lv2 /usr/lib/lv2/buf-size.lv2 \
         /usr/lib/lv2/options.lv2 /usr/lib/lv2/state.lv2 /usr/lib/lv2/urid.lv2 /usr/lib/lv2/units.lv2 \
         /usr/lib/lv2/presets.lv2 /usr/lib/lv2/port-props.lv2 /usr/lib/lv2/ui.lv2 /usr/lib/lv2/parameters.lv2 \
         /usr/lib/lv2/port-groups.lv2; do
  schemas="$schemas $(ls "$d"/*.ttl | tr '\n' ' ')"
done
# shellcheck disable=SC2086
sord_validate $schemas "$bundle"/*.ttl > "$work/validate.txt" 2>&1 || { cat "$work/validate.txt"; fail "sord_validate"; }
grep -q "^Found 0 errors" "$work/validate.txt" || { cat "$work/validate.txt"; fail "sord_validate found errors"; }

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
