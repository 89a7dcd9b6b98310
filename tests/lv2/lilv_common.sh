# Sourced by the lilv check scripts (needs $bundle, $uri and $work set first). Gives lilv a folder
# holding only the bundle under test, fail(), a check that lv2ls lists both variants, and
# validate_turtle, which runs sord_validate on the bundle against lv2-dev's schemas.

rm -rf "$work" && mkdir -p "$work/path"
# A folder holding only this bundle, so that lilv reads nothing else of the build tree.
ln -s "$bundle" "$work/path/"
export LV2_PATH="$work/path"

fail() { echo "FAIL: $*"; exit 1; }

lv2ls > "$work/ls.txt"
grep -qx "$uri#mono" "$work/ls.txt" || fail "lv2ls does not list $uri#mono"
grep -qx "$uri#stereo" "$work/ls.txt" || fail "lv2ls does not list $uri#stereo"

validate_turtle() {
  schemas=""
  for d in schemas core atom buf-size options state urid units presets port-props ui parameters port-groups; do
    schemas="$schemas $(ls /usr/lib/lv2/"$d".lv2/*.ttl | tr '\n' ' ')"
  done
  # shellcheck disable=SC2086
  sord_validate $schemas "$bundle"/*.ttl > "$work/validate.txt" 2>&1 || { cat "$work/validate.txt"; fail "sord_validate"; }
  grep -q "^Found 0 errors" "$work/validate.txt" || { cat "$work/validate.txt"; fail "sord_validate found errors"; }
}
