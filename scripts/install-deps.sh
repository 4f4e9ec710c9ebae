#!/usr/bin/env bash
# Installs the Debian packages coreapp needs to build, test and run, when missing.
# Idempotent: does nothing when everything is there. Works as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libsqlite3-dev nlohmann-json3-dev libssl-dev
  # the stock SQLite shell the tests read a database file with, as a shop's tools would
  sqlite3
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  # the shared-server backend (libpq) and the server the tests start a cluster of
  libpq-dev postgresql
  # spreadsheet import: XLSX is a zip package of XML parts
  libzip-dev libpugixml-dev
  # the phone view's web server (`coreapp serve`, HTTPS through OpenSSL) and the program
  # its HTTPS test makes a certificate with
  libcpp-httplib-dev openssl
  # spreadsheet export: typed XLSX workbooks
  libxlsxwriter-dev
  # the fuzz targets `make test` runs: clang with its libFuzzer and sanitizer runtimes
  clang libclang-rt-dev
  # the desktop shell (Qt 6 Widgets), the fonts its Chinese texts need and Qt's own
  # texts in Chinese
  qt6-base-dev libgl-dev fonts-noto-cjk qt6-translations-l10n
  # the report pages' charts (Qt Charts needs the OpenGL development files)
  qt6-charts-dev libqt6opengl6-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
