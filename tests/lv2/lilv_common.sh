# Sourced by the lilv check scripts (needs $bundle, $uri and $work set first). Gives lilv a folder
# holding only the bundle under test, fail(), a check that lv2ls lists both variants,
# expect_lv2info, and validate_turtle, which runs sord_validate on the bundle against lv2-dev's
# schemas.

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

# expect_lv2info NAME TEXT...: lv2info describes each variant as "NAME (variant)" with every TEXT,
# and only the stereo variant has a right input.
expect_lv2info() {
  name=$1
  shift
  for variant in mono stereo; do
    lv2info "$uri#$variant" > "$work/info-$variant.txt" 2>&1 || fail "lv2info $variant"
    for text in "$name ($variant)" "$@"; do
      grep -qF "$text" "$work/info-$variant.txt" || fail "lv2info $variant lacks '$text'"
    done
  done
  grep -qF "Symbol:      in_r" "$work/info-stereo.txt" || fail "stereo variant has no in_r"
}
