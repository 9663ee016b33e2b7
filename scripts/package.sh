#!/bin/sh
# Makes the installation folder <build>/setup/: the installer `Setup` and its data file
# Vlmrar32.dat, a ZIP of stored entries under the archive names the installer knows, packed from
# the files the build has made in <build>/bin/ (found by their installed names, case ignored) and
# the two texts of setup/package/. A file the build has not made is left out and named.
#   scripts/package.sh [build folder] [Setup program]   (default build/release, <build>/bin/Setup)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
setup=${2:-$build/bin/Setup}
bin=$build/bin
out=$build/setup

# Archive name, then the file: "bin:" a name in <build>/bin/, "text:" one in setup/package/.
# Uninstall.exe (UNINST.EXE) is not built.
table='VERSION.TXT|text:Version Info.txt
README.TXT|text:Read Me.txt
VELLOMAR.EXE|bin:Vellomar
VELLOMAR.HLP|bin:Vellomar.hlp
HTML.K32|bin:html.k32
RTF.K32|bin:rtf.k32
UNI.K32|bin:uni.k32
MP3.K32|bin:mp3.k32
MP3TAG.K32|bin:mp3tag.k32
VUNZIP32.DLL|bin:VUnZip32.dll
VELLOMAR.ICO|bin:Vellomar.ico
VLMR16.PNG|bin:Vellomar-16.png
VLMR32.PNG|bin:Vellomar-32.png
VLMR48.PNG|bin:Vellomar-48.png
VLMR256.PNG|bin:Vellomar-256.png
UNACEV2.DLL|bin:UnAceV2.dll
UNRAR.DLL|bin:unrar.dll
VLMRUTL.DLL|bin:VlmrUtl.dll
htmld.efd|bin:Export/HTML Detailed.vefd
htmlb.efd|bin:Export/HTML Brief.vefd
ltd.efd|bin:Export/Leveled - tab delimited.vefd
psdwq.efd|bin:Export/Plain - semicolon delimited with quotes.vefd
ptd.efd|bin:Export/Plain - tab delimited.vefd
sdwq.eff|bin:Export/Semicolon delimited with quotes.veff
td.eff|bin:Export/Tab delimited.veff
tih.eff|bin:Export/Table in HTML.veff
sdwq.efs|bin:Export/Semicolon delimited with quotes.vefs
td.efs|bin:Export/Tab delimited.vefs
tih.efs|bin:Export/Table in HTML.vefs'

# The file of a folder whose name equals the given one ignoring case.
findIgnoringCase() {
  [ -d "$1" ] || return 0
  find "$1" -maxdepth 1 -type f -iname "$2" | head -n 1
}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
names=""
missing=""
while IFS='|' read -r archiveName source; do
  case $source in
    text:*) file=$root/setup/package/${source#text:} ;;
    bin:*/*)
      relative=${source#bin:}
      file=$(findIgnoringCase "$bin/${relative%/*}" "${relative##*/}") ;;
    bin:*) file=$(findIgnoringCase "$bin" "${source#bin:}") ;;
  esac
  if [ -n "$file" ] && [ -f "$file" ]; then
    cp -p "$file" "$stage/$archiveName"
    names="$names $archiveName"
  else
    missing="$missing ${source#*:},"
  fi
done <<EOF
$table
EOF

[ -x "$setup" ] || { echo "package: no Setup program at $setup" >&2; exit 1; }
mkdir -p "$out"
rm -f "$out/Vlmrar32.dat.new"
# Stored (-0) in table order, without extra fields (-X) or folder entries (-D): the installer
# reads local headers only and none of the newer methods.
(cd "$stage" && zip -q -0 -X -D "$out/Vlmrar32.dat.new" $names)
mv "$out/Vlmrar32.dat.new" "$out/Vlmrar32.dat"
cp "$setup" "$out/Setup.new"
mv "$out/Setup.new" "$out/Setup"
[ -z "$missing" ] || echo "package: not built, left out:${missing%,}" >&2
exit 0
