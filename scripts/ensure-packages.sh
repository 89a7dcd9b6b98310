#!/bin/sh
# Makes sure every Debian package in scripts/packages.txt is installed.
# As root it installs what is missing; otherwise it prints the apt-get line to run and fails.
set -eu
here=$(dirname "$0")
missing=""
for pkg in $(grep -v '^#' "$here/packages.txt"); do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $pkg"
  fi
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q $missing
else
  echo "Missing Debian packages. Run this, then try again:" >&2
  echo "  sudo apt-get install -y$missing" >&2
  exit 1
fi
