#!/usr/bin/env bash
# Builds the Debian package from a separate Release build, unpacks it into a
# temporary root and checks it as an installed program would be used:
#   check_package.sh SOURCE_DIR WORK_DIR
# The files shipped are validated with desktop-file-validate, appstreamcli and
# lintian (no errors; warnings are listed in WORK_DIR/lintian.txt), and the
# unpacked usr/bin/korrivan certifies files with HOME and XDG_STATE_HOME in a
# temporary folder.
set -euo pipefail

src=$(cd "$1" && pwd)
work=$2
mkdir -p "$work"
work=$(cd "$work" && pwd)

failures=0
passes=0
pass() { passes=$((passes + 1)); echo "ok: $*"; }
fail() { failures=$((failures + 1)); echo "FAILED: $*"; }
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

tmp=$(mktemp -d "$work/run.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# 1. The package.
"$src/scripts/build-package" "$work/build" -DKORRIVAN_BUILD_TESTS=OFF -DKORRIVAN_BUILD_BENCH=OFF -DBUILD_TESTING=OFF \
  > "$work/build.log" 2>&1 || { tail -40 "$work/build.log"; echo "FAILED: building the package"; exit 1; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$work/build/CPackConfig.cmake")
deb="$work/build/korrivan_${version}_amd64.deb"
[ -n "$version" ] && [ -f "$deb" ] || { ls "$work/build"; echo "FAILED: korrivan_${version}_amd64.deb was not built"; exit 1; }
pass "built $(basename "$deb")"

root="$tmp/root"
dpkg-deb -x "$deb" "$root"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
check "Depends computed (libc6, Qt)" grep -q 'libc6 (>=' <<<"$depends"
check "Depends names the Qt core library" grep -q 'libqt6core6' <<<"$depends"

# 2. The files where a desktop and man expect them.
for f in usr/bin/korrivan usr/libexec/korrivan/korrivan-window \
         usr/share/korrivan/korrivan.html usr/share/korrivan/las12_standards.txt usr/share/korrivan/las20_standards.txt \
         usr/share/applications/korrivan.desktop usr/share/mime/packages/korrivan.xml \
         usr/share/metainfo/org.korrivan.Korrivan.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/korrivan.svg \
         usr/share/man/man1/korrivan.1.gz usr/share/doc/korrivan/copyright usr/share/doc/korrivan/changelog.gz; do
  check "ships /$f" test -s "$root/$f"
done
help="$root/usr/share/korrivan/korrivan.html"
for topic in $(seq 1024 1037) 1039 1048; do
  check "help topic $topic" grep -q "<a name=\"$topic\" id=\"$topic\"></a>" "$help"
done
pdf="$root/usr/share/korrivan/LAS 3 File Structure.pdf"
check "ships the version 3.0 document as a PDF" bash -c '[ "$(head -c 5 "$1")" = "%PDF-" ]' _ "$pdf"
for size in 16 24 32 48 64 128 256; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/korrivan.png"
  check "icon ${size}x${size}" bash -c 'file "$1" | grep -q "PNG image data, $2 x $2"' _ "$png" "$size"
done
if [ -x "$root/usr/bin/korrivan-cli" ]; then
  check "ships the korrivan-cli manual page" test -s "$root/usr/share/man/man1/korrivan-cli.1.gz"
fi
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null || true)
  check "$(basename "$page") renders without warnings" test -z "$warnings"
  [ -z "$warnings" ] || echo "$warnings"
done

# 3. Desktop entry, AppStream metadata and the MIME type.
check "desktop-file-validate" desktop-file-validate "$root/usr/share/applications/korrivan.desktop"
check "appstreamcli validate" appstreamcli validate --no-net "$root/usr/share/metainfo/org.korrivan.Korrivan.metainfo.xml"
check "appstreamcli validate-tree (metainfo, desktop entry, icons)" appstreamcli validate-tree --no-net "$root"
mkdir -p "$tmp/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$root/usr/share/mime/packages/korrivan.xml" "$tmp/mime/packages/"
update-mime-database "$tmp/mime" >/dev/null 2>&1
check "*.las is text/x-las, a kind of text/plain" \
  bash -c 'grep -qx "50:text/x-las:\*.las" "$1/globs2" && grep -qx "text/x-las text/plain" "$1/subclasses"' _ "$tmp/mime"
check "the desktop entry opens text/x-las files" grep -qx 'MimeType=text/x-las;' "$root/usr/share/applications/korrivan.desktop"

# 4. lintian: errors fail the test, warnings are listed.
lintian --tag-display-limit 0 --info "$deb" > "$work/lintian.txt" 2>&1 || true
if grep -q '^E: ' "$work/lintian.txt"; then
  fail "lintian reports errors"
else
  pass "lintian reports no errors"
fi
echo "lintian (all tags, also in $work/lintian.txt):"
sed 's/^/  /' "$work/lintian.txt"

# 5. The unpacked program certifies files, with a home and state folder of its own.
export HOME="$tmp/home" XDG_STATE_HOME="$tmp/state" XDG_CONFIG_HOME="$tmp/config"
mkdir -p "$HOME" "$XDG_STATE_HOME" "$tmp/data"
korrivan="$root/usr/bin/korrivan"
ls -A "$root/usr/bin" > "$tmp/bin-before"

report_body() {  # the report without its first two lines (file name, date)
  tail -n +3 "$1" | tr -d '\r'
}

# A real-time version 2.0 file: the NULL STOP is repaired and the file passes.
case_las="$src/tests/golden/cases/v20/pass_null_stop_repaired.las"
cp "$case_las" "$tmp/data/realtime.las"
# Names relative to the data folder: an absolute name such as /work/... holds
# " /w", which the command line takes for the /W switch.
cd "$tmp/data"
"$korrivan" realtime.las realtime.log
check "report of a real-time file matches its certification case" \
  diff <(report_body "$tmp/data/realtime.log") <(report_body "${case_las%.las}.expected")
changed_lines() {  # the lines that differ between two files, as diff shows them
  diff <(tr -d '\r' < "$1") <(tr -d '\r' < "$2") | grep '^[<>]' || true
}
changes=$(changed_lines "$case_las" "$tmp/data/realtime.las")
check "the NULL STOP repair changed the STOP line and nothing else" \
  bash -c '[ "$(grep -c . <<<"$1")" = 2 ] && grep -q "^< *STOP.*-999" <<<"$1" && grep -q "^> *STOP" <<<"$1" && ! grep -q "^> .*-999" <<<"$1"' _ "$changes"
[ -n "$changes" ] && echo "$changes"

# Files of the shared corpus, with the verdicts the suite keeps for them.
corpus="$src/../shared/corpus"
if [ -d "$corpus" ]; then
  n=0
  while IFS=$'\t' read -r file ver result _; do
    [ -f "$corpus/$file" ] || continue
    n=$((n + 1))
    cp "$corpus/$file" "$tmp/data/corpus$n.las"
    "$korrivan" "corpus$n.las" "corpus$n.log"
    check "corpus $file: $result" grep -qxF "Result: $result" <(tr -d '\r' < "$tmp/data/corpus$n.log")
  done < <(grep -E 'PASSED|FAILS Ver' "$src/tests/corpus/corpus_verdicts.tsv" | head -4)
  [ "$n" -gt 0 ] || fail "no corpus file listed in the verdict table was found"
else
  echo "skipped: the shared corpus ($corpus) is absent"
fi

# The pipeline tool, when the package has it: the same verdict as korrivan.
cli="$root/usr/bin/korrivan-cli"
if [ -x "$cli" ]; then
  check "korrivan-cli --version" bash -c '[ "$("$1" --version)" = "korrivan-cli $2" ]' _ "$cli" "$(dpkg-deb -f "$deb" Version)"
  check "korrivan-cli certifies the real-time file, read-only" \
    bash -c '"$1" certify "$2" --format jsonl | grep -q "\"result\":\"failed\".*was not repaired (read-only run)"' \
    _ "$cli" "$case_las"
  for doc in cli.md scale.md cli-jsonl-schema.json; do
    check "ships /usr/share/doc/korrivan/$doc" test -s "$root/usr/share/doc/korrivan/$doc"
  done
fi

check "batch runs leave the settings alone" test ! -e "$XDG_CONFIG_HOME/Korrivan"
state_log="$XDG_STATE_HOME/korrivan/command.log"
# An installed korrivan (bin/ beside share/korrivan/) writes command.log into
# $XDG_STATE_HOME/korrivan and nothing beside the executable, even where it could.
check "command.log lands in the state folder" grep -q '^Command line :' "$state_log"
check "nothing is written beside the executable" diff "$tmp/bin-before" <(ls -A "$root/usr/bin")
# Without arguments korrivan hands over to the window program, which finds no display here.
check "korrivan without arguments starts the window program" \
  bash -c 'env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" 2>&1 | grep -q "no display to open the main window"' _ "$korrivan"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
