#!/usr/bin/env bash
# The MIME type and the .desktop entry as a desktop sees them once installed: a
# shared-mime-info database built from our XML knows net files by their name and, whatever
# their name, by their first line; the .desktop entry is valid and opens that type.
#   mime_test.sh SOURCE_DIR
set -eu
source=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/share/mime/packages"
cp "$source/resources/veltra-mime.xml" "$work/share/mime/packages/veltra.xml"
update-mime-database "$work/share/mime" 2>/dev/null

cp "$source/examples/worked.net" "$work/worked.net"
cp "$source/examples/worked.net" "$work/no-extension"
printf 'plain text\n' >"$work/plain"
status=0
expect() { # expect TYPE FILE
    local got
    got=$(XDG_DATA_DIRS="$work/share:/usr/share" gio info -a standard::content-type "$work/$2" |
        sed -n 's/^ *standard::content-type: //p')
    if [ "$got" != "$1" ]; then
        echo "FAIL: $2 is '$got', want '$1'"
        status=1
    fi
}
expect application/x-veltra-net worked.net   # by the glob
expect application/x-veltra-net no-extension # by the first line
expect text/plain plain

desktop-file-validate "$source/resources/veltra.desktop"
grep -qx "MimeType=application/x-veltra-net;" "$source/resources/veltra.desktop" ||
    { echo "FAIL: the .desktop entry does not open application/x-veltra-net"; status=1; }
[ $status -eq 0 ] && echo "mime and desktop: ok"
exit $status
