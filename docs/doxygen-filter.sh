#!/bin/sh
# doxygen-filter.sh FILE: the headers' plain // comments, which document what follows them, read by
# Doxygen as its own (///). Trailing comments after code stay as they are.
exec sed -e 's|^\([[:space:]]*\)//\([^/]\)|\1///\2|' -e 's|^\([[:space:]]*\)//$|\1///|' "$1"
