#!/bin/sh
# Installs the Debian 12 packages the build and the tests need; quiet when all are there.
set -e
packages="cmake ninja-build g++ pkg-config clang-format libgtest-dev libgmock-dev libbenchmark-dev
  libicu-dev libarchive-dev zip unzip arj jlha-utils arc nomarch clang libclang-rt-14-dev 7zip
  qt6-base-dev qt6-svg-dev qt6-image-formats-plugins fonts-dejavu-core xvfb xauth openbox x11-utils
  poppler-utils shared-mime-info libxml2-utils"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
echo "Installing:$missing"
$sudo apt-get update -q >/dev/null
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing >/dev/null
