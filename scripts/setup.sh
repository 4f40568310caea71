#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; with --bench also the tools the
# whole-process benchmark and screenshots use, with --ci the compilers and checkers CI adds.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n qt6-image-formats-plugins libgl1-mesa-dev
  libheif-dev libjxl-dev liblcms2-dev zlib1g-dev libjpeg-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic imagemagick
  xvfb xauth x11-utils xdotool openbox
)
case "${1:-}" in
  --bench) packages+=(libjpeg-turbo-progs libvips-tools hyperfine libx11-dev libxext-dev) ;;
  # libclang-rt-14-dev holds libFuzzer and clang's sanitizer runtimes (clang only recommends it);
  # GCC's sanitizer runtimes come with g++.
  --ci) packages+=(clang libclang-rt-14-dev clang-format clang-tidy) ;;
esac
# The desktop files' validators (used by the install test where present).
packages+=(desktop-file-utils appstream man-db groff-base)
# Packaging (scripts/package_check.sh).
if [ "${1:-}" = "--package" ] || [ "${1:-}" = "--ci" ] || [ -n "${CI:-}" ]; then
  packages+=(debhelper dpkg-dev fakeroot lintian)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then exit 0; fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
