#!/bin/sh
# package_check.sh DEB: the Debian package as a user meets it. lintian reports no error; unpacked
# into a scratch root, its command runs and prints its version, and lilv finds its LV2 bundle.
set -eu
deb=$1
command -v lintian >/dev/null || { echo "package_check: lintian is not installed" >&2; exit 1; }
lintian --fail-on error --tag-display-limit 0 "$deb"
root=$(mktemp -d "${TMPDIR:-/tmp}/brindle-package.XXXXXX")
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
version=$("$root/usr/bin/brindle" --version)
echo "unpacked: $version"
case "$version" in brindle\ [0-9]*) ;; *) echo "package_check: unexpected version '$version'" >&2; exit 1 ;; esac
plugins=$(LV2_PATH="$root/usr/lib/lv2" lv2ls)
echo "$plugins" | grep -q . || { echo "package_check: lv2ls finds no plug-in in the unpacked bundle" >&2; exit 1; }
echo "$plugins"
for f in usr/share/man/man1/brindle.1.gz usr/include/brindle/plugcore/IParam.h \
         usr/lib/cmake/BrindleFramework/BrindleFrameworkConfig.cmake usr/lib/clap/Brindle.clap; do
  [ -e "$root/$f" ] || { echo "package_check: the package has no /$f" >&2; exit 1; }
done
echo "package_check: passed"
