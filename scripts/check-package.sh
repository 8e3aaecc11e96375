#!/usr/bin/env bash
# Builds the Debian package of a configured build directory, unpacks it into
# a scratch root, and checks the installed program there: its dependencies,
# --help, and the bundled sample analysed in an empty directory, whose result
# files must be those of the build tree's program byte for byte.
#   scripts/check-package.sh [BUILD_DIR]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
src="$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")"
cd "$build"
rm -f tracemorph_*.deb
cpack -G DEB >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log" >&2; exit 1; }
deb="$(ls tracemorph_*.deb)"
echo "package: $deb"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for p in libvips42 libc6 libstdc++6; do
  grep -q "\b$p\b" <<<"$depends" || { echo "missing dependency $p" >&2; exit 1; }
done
if [ -e "$build/tracemorph-window" ]; then
  for p in libqt6widgets6 qt6-qpa-plugins; do
    grep -q "\b$p\b" <<<"$depends" || { echo "missing dependency $p" >&2; exit 1; }
  done
fi

root="$scratch/root"
dpkg -x "$deb" "$root"
prog="$root/usr/bin/tracemorph"
for f in usr/lib/tracemorph/tracemorph usr/lib/tracemorph/cxconvert usr/share/tracemorph/param.dat \
         usr/share/man/man1/tracemorph.1.gz usr/share/tracemorph/samples/bath_plan.bmp \
         usr/share/doc/tracemorph/copyright usr/share/doc/tracemorph/changelog.gz \
         usr/share/doc/tracemorph/manual.md; do
  [ -e "$root/$f" ] || { echo "missing $f" >&2; exit 1; }
done
"$prog" --help | grep -q '^Usage: tracemorph' || { echo "--help failed" >&2; exit 1; }
"$prog" --version

installe="$scratch/installe" reference="$scratch/reference"
mkdir -p "$installe" "$reference"
(cd "$installe" && "$prog" "$root/usr/share/tracemorph/samples/bath_plan.bmp" >/dev/null 2>"$scratch/err")
grep -q "copied the default one" "$scratch/err" || { cat "$scratch/err" >&2; echo "default param.dat not provided" >&2; exit 1; }
cp "$root/usr/share/tracemorph/param.dat" "$reference/"
(cd "$reference" && "$build/tracemorph" "$root/usr/share/tracemorph/samples/bath_plan.bmp" >/dev/null)
for f in Rlignaxe.dat Rlignaxe.gxl; do
  cmp "$installe/$f" "$reference/$f" || { echo "$f differs from the build tree's" >&2; exit 1; }
done
# A converted picture: the installed converter is found beside the program.
cp "$src/tests/data/drawing.gif" "$scratch/dessin.gif" 2>/dev/null || true
if [ -e "$scratch/dessin.gif" ]; then
  (cd "$installe" && "$prog" "$scratch/dessin.gif" >/dev/null)
  grep -q "(Image dessin.gif)" "$installe/Rlignaxe.dat" || { echo "conversion through the installed cxconvert failed" >&2; exit 1; }
fi
# Debian's package checker, when installed: no error allowed.
if command -v lintian >/dev/null 2>&1; then
  lintian --fail-on error "$build/$deb" ||
    { echo "lintian found errors in $deb" >&2; exit 1; }
fi
echo "package check passed"
