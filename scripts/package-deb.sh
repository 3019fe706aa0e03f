#!/usr/bin/env bash
# Builds the Debian package of the Linux tool, dist/torvan_<version>_<arch>.deb:
# /usr/bin/torvan, its manual page and bash completion, the copyright and
# the changelog. The tool is built on its own in build-deb/ with Debian's
# hardening flags (dpkg-buildflags) and stripped; its dependencies come
# from the binary (dpkg-shlibdeps), the control fields from
# resources/debian/control (dpkg-gencontrol), the version from VERSION.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
VERSION="$(cat VERSION)"
ARCH="$(dpkg --print-architecture)"
DEB="$ROOT/dist/torvan_${VERSION}_${ARCH}.deb"
JOBS="${JOBS:-$(nproc)}"

# Every hardening feature, bind-now included.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { dpkg-buildflags --get "$1"; }
cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_FLAGS="$(flags CFLAGS) $(flags CPPFLAGS)" \
      -DCMAKE_CXX_FLAGS="$(flags CXXFLAGS) $(flags CPPFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
cmake --build build-deb -j "$JOBS" --target torvan >/dev/null

umask 022
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/debian"
cp resources/debian/control "$work/debian/control"
sed "s/@VERSION@/$VERSION/" resources/debian/changelog > "$work/debian/changelog"

pkg="$work/debian/torvan"
install -D -m 0755 build-deb/cli/torvan "$pkg/usr/bin/torvan"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$pkg/usr/bin/torvan"
install -d "$pkg/DEBIAN" "$pkg/usr/share/man/man1" "$pkg/usr/share/doc/torvan"
sed "s/@VERSION@/$VERSION/" resources/man/torvan.1 | gzip -9n > "$pkg/usr/share/man/man1/torvan.1.gz"
# A native package (its version is the program's own, with no Debian
# revision) keeps its one changelog under the plain name.
gzip -9n < "$work/debian/changelog" > "$pkg/usr/share/doc/torvan/changelog.gz"
install -m 0644 resources/debian/copyright "$pkg/usr/share/doc/torvan/copyright"
install -D -m 0644 resources/completion/torvan "$pkg/usr/share/bash-completion/completions/torvan"
chmod 0644 "$pkg/usr/share/man/man1/torvan.1.gz" "$pkg/usr/share/doc/torvan/changelog.gz"

(
  cd "$work"
  dpkg-shlibdeps -Tdebian/torvan.substvars debian/torvan/usr/bin/torvan
  dpkg-gencontrol -ptorvan -Pdebian/torvan -Tdebian/torvan.substvars
)
(cd "$pkg" && find usr -type f | LC_ALL=C sort | xargs md5sum > DEBIAN/md5sums)
chmod 0644 "$pkg/DEBIAN/md5sums"

# The release's date stamps every file, so the same sources give the same
# package.
source scripts/release-date.sh
find "$pkg" -exec touch --no-dereference --date="@$SOURCE_DATE_EPOCH" {} +

mkdir -p "$ROOT/dist"
# xz's threaded encoder writes other bytes than its single-threaded one:
# the machine's count of cores must not choose between them.
dpkg-deb --root-owner-group -Zxz --threads-max=1 --build "$pkg" "$DEB" >/dev/null
echo "package: $DEB"
