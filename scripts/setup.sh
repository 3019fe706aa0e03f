#!/usr/bin/env bash
# Installs everything Torvan needs on a Debian 12 machine. Idempotent; runs
# as root (or through sudo when it is there).
set -euo pipefail

PACKAGES=(
  build-essential cmake git pkg-config
  zlib1g-dev libgtest-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev
  libwine-dev wine wine64 wine32:i386
  xvfb xauth x11-utils xdotool imagemagick icoutils
  libchm-bin fp-utils zip unzip nsis
  fonts-wqy-microhei
  time locales pigz libisal-dev
  dpkg-dev lintian man-db groff-base bash-completion
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# Wine takes the ANSI code page (936) from LC_ALL; a generated locale also
# keeps bash and the tools from warning about it.
ensure_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 >/dev/null 2>&1 || true
  fi
}

# Signing the Windows 11 package needs osslsigncode 2.9 or later, which
# Debian 12 has in bookworm-backports only; its own 2.5 cannot sign MSIX.
ensure_signer() {
  if osslsigncode --version 2>/dev/null | head -1 | grep -qE '^osslsigncode (2\.(9|[1-9][0-9])|[3-9])'; then
    return
  fi
  echo "setup: installing osslsigncode from bookworm-backports"
  echo "deb http://deb.debian.org/debian bookworm-backports main" |
    $SUDO tee /etc/apt/sources.list.d/bookworm-backports.list >/dev/null
  $SUDO apt-get update -qq || echo "setup: some package lists did not download; going on with what came"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    -t bookworm-backports osslsigncode openssl >/dev/null
}
ensure_signer

if [ ${#missing[@]} -eq 0 ]; then
  ensure_locale
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync serves index files of the wrong size for
# a minute or two; what it has then is usually enough, and a later try
# usually gets the rest.
for attempt in 1 2 3 4 5; do
  if $SUDO apt-get update -qq; then break; fi
  echo "setup: the package lists did not all download (try $attempt of 5)"
  [ "$attempt" -lt 5 ] && sleep 30
done
if ! $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
  # The 32-bit lists are the ones a half-synced mirror lacks most often;
  # without them the i686 builds still build, and only their run under
  # Wine is left out (scripts/wine-env.sh finds out).
  native=()
  for p in "${missing[@]}"; do [[ "$p" == *:i386 ]] || native+=("$p"); done
  echo "setup: installing without the 32-bit packages: ${native[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${native[@]}" >/dev/null
fi
ensure_locale
echo "setup: done"
