#!/usr/bin/env bash
# The MIME type and the .desktop entry as a desktop sees them once installed: a
# shared-mime-info database built from our XML knows net files by their first line whatever
# their name, and a .net file of another program (other text) as what its content is; the
# .desktop entry is valid, opens that type, has keywords and one main category.
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
printf 'net localhost 127.0.0.1\n' >"$work/hosts.net"
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
expect application/x-veltra-net worked.net   # by the first line, named as ours
expect application/x-veltra-net no-extension # by the first line alone
expect text/plain plain
expect text/plain hosts.net                  # named as ours, holding other text

desktop-file-validate "$source/resources/veltra.desktop"
grep -qx "MimeType=application/x-veltra-net;" "$source/resources/veltra.desktop" ||
    { echo "FAIL: the .desktop entry does not open application/x-veltra-net"; status=1; }
grep -q '^Keywords=..*;$' "$source/resources/veltra.desktop" ||
    { echo "FAIL: the .desktop entry has no keywords"; status=1; }
# The desktop menu's main categories; an entry belongs in exactly one of them.
main=$(sed -n 's/^Categories=//p' "$source/resources/veltra.desktop" | tr ';' '\n' |
    grep -cxE 'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility')
[ "$main" -eq 1 ] || { echo "FAIL: the .desktop entry has $main main categories, not one"; status=1; }
[ $status -eq 0 ] && echo "mime and desktop: ok"
exit $status
