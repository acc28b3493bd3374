#!/usr/bin/env bash
# The Debian package as a user gets it: built (scripts/package.sh), checked by lintian
# (errors fail), installed with apt, its programs, manual pages, completion and desktop
# files tried from /usr, then purged, leaving none of its files behind.
# Needs root or sudo; run by .ci/run after the test suite.
set -euo pipefail
cd "$(dirname "$0")/../.."
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
apt() { $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
scripts/deps.sh

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# An earlier run's package would hide what this one installs.
if dpkg-query -W -f='${Status}' vorlink 2>/dev/null | grep -q "install ok installed"; then
  apt purge -y -qq vorlink >/dev/null
fi

deb=$(scripts/package.sh | tail -1)
[ -f "$deb" ] || fail "no package made"
version=$(dpkg-deb -f "$deb" Version)
echo "== $(basename "$deb") ($version)"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' || fail "Depends lack the libraries dpkg-shlibdeps finds"
dpkg-deb -f "$deb" Depends | grep -q 'qt6-qpa-plugins' || fail "Depends lack the platform plugins"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6printsupport6' || fail "Depends lack the print support (printers through CUPS)"

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian found errors"

echo "== install"
apt install -y -qq "./$(basename "$deb")" >/dev/null
dpkg-query -L vorlink | sort >"$work/files"
for f in /usr/bin/vorlink /usr/bin/vorlink-cli /usr/share/vorlink/vorlink.sva /usr/share/vorlink/vorlink.wav \
  /usr/share/doc/vorlink/copyright /usr/share/doc/vorlink/changelog.gz \
  /usr/share/applications/io.github.brevmark.vorlink.desktop \
  /usr/share/metainfo/io.github.brevmark.vorlink.metainfo.xml \
  /usr/share/bash-completion/completions/vorlink-cli; do
  grep -qx "$f" "$work/files" || fail "$f is not in the package"
done

echo "== the programs from /usr/bin"
[ "$(command -v vorlink-cli)" = /usr/bin/vorlink-cli ] || fail "vorlink-cli is not found on PATH"
[ "$(vorlink-cli --version)" = "vorlink-cli $version" ] || fail "vorlink-cli --version: $(vorlink-cli --version)"
# Without a display: the version is printed before any window could be made.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM vorlink --version)" = "vorlink $version" ] ||
  fail "vorlink --version differs from the package's version"
cat >"$work/karty.vcf" <<'CARDS'
BEGIN:VCARD
VERSION:3.0
N:Nováková;Jana;;;
FN:Jana Nováková
TEL;TYPE=HOME:+420 221 234 567
BDAY:1980-03-05
END:VCARD
BEGIN:VCARD
VERSION:3.0
N:Dvořák;Petr;;;
FN:Petr Dvořák
EMAIL:petr@example.cz
END:VCARD
CARDS
(cd "$work" && vorlink-cli import karty.vcf kniha.WDT) || fail "import"
vorlink-cli list "$work/kniha.WDT" >"$work/list"
[ "$(wc -l <"$work/list")" -eq 2 ] && grep -q "Nováková" "$work/list" && grep -q "Dvořák" "$work/list" ||
  fail "list: $(cat "$work/list")"
vorlink-cli report /usr/share/vorlink/templates/telefony.WDR "$work/kniha.WDT" -o "$work/telefony.txt" ||
  fail "report from an installed template"
iconv -f WINDOWS-1250 -t UTF-8 "$work/telefony.txt" | grep -q "Nováková .*221 234 567" || fail "the report lacks the number"
# The drawing commands load the painter's module from the library folder.
vorlink-cli labels "$work/kniha.WDT" --layout 3x8 -o "$work/stitky.pdf" || fail "labels from the installed program"
pdftotext "$work/stitky.pdf" - | grep -q "Nováková" || fail "the labels lack a name"
vorlink-cli report /usr/share/vorlink/templates/telefony.WDR "$work/kniha.WDT" -o "$work/t2.txt" --pdf "$work/t.pdf" ||
  fail "report as PDF from the installed program"
pdftotext "$work/t.pdf" - | grep -q "Nováková" || fail "the report's PDF lacks a name"

echo "== manual pages"
[ "$(man -w vorlink-cli)" = /usr/share/man/man1/vorlink-cli.1.gz ] || fail "man -w vorlink-cli: $(man -w vorlink-cli)"
[ "$(man -w vorlink)" = /usr/share/man/man1/vorlink.1.gz ] || fail "man -w vorlink"
[ "$(man -L cs -w vorlink-cli)" = /usr/share/man/cs/man1/vorlink-cli.1.gz ] || fail "man -L cs -w vorlink-cli"
[ "$(man -L cs -w vorlink)" = /usr/share/man/cs/man1/vorlink.1.gz ] || fail "man -L cs -w vorlink"
MANWIDTH=80 man -L cs vorlink-cli | grep -q "NÁVRATOVÁ HODNOTA" || fail "the Czech page does not render"

echo "== bash completion"
loaded=$(bash -c '. /usr/share/bash-completion/bash_completion; _completion_loader vorlink-cli; complete -p vorlink-cli')
[[ $loaded == *"-F _vorlink_cli"*"vorlink-cli" ]] || fail "completion not found: $loaded"
# What a Tab offers: commands, a command's options, a value's choices, books.
complete_words() {
  (cd "$work" && bash -c '. /usr/share/bash-completion/bash_completion; _completion_loader vorlink-cli
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _vorlink_cli vorlink-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' _ "$@")
}
[ "$(complete_words vorlink-cli ex)" = "export " ] || fail "commands: $(complete_words vorlink-cli ex)"
[ "$(complete_words vorlink-cli export kniha.WDT --format vc)" = "vcard3 vcard4 " ] || fail "formats"
[ "$(complete_words vorlink-cli sync kniha.WDT --pre)" = "--prefer " ] || fail "options"
[ "$(complete_words vorlink-cli list "")" = "kniha.WDT " ] || fail "books: $(complete_words vorlink-cli list "")"

echo "== desktop files"
desktop-file-validate /usr/share/applications/io.github.brevmark.vorlink.desktop
appstreamcli validate --no-net /usr/share/metainfo/io.github.brevmark.vorlink.metainfo.xml >/dev/null ||
  fail "appstreamcli validate"
# Debian's triggers update the databases; the package needs no scripts of its own.
[ -f /usr/share/mime/application/x-vorlink-book.xml ] || fail "the MIME database does not know the book type"
grep -q "application/x-vorlink-book=io.github.brevmark.vorlink.desktop" /usr/share/applications/mimeinfo.cache ||
  fail "the desktop database does not know the book type"

echo "== purge"
apt purge -y -qq vorlink >/dev/null
! dpkg-query -W -f='${Status}' vorlink 2>/dev/null | grep -q "installed" || fail "still installed"
left=0
while read -r f; do
  if [ -e "$f" ] && [ ! -d "$f" ]; then echo "left behind: $f" >&2; left=1; fi
done <"$work/files"
for d in /usr/share/vorlink /usr/share/doc/vorlink; do
  [ ! -e "$d" ] || { echo "left behind: $d" >&2; left=1; }
done
[ "$left" -eq 0 ] || fail "files of the package outlived its purge"
echo "package check passed: $(basename "$deb")"
