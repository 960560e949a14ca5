#!/bin/sh
# Installs the Debian packages the build, the program and the tests need, when missing.
set -e
packages="g++ cmake ninja-build pkg-config qt6-base-dev libqt6sql6-sqlite libsqlite3-dev \
libcurl4-openssl-dev libgsf-1-dev libcpp-httplib-dev libgl-dev libxkbcommon-dev xvfb xauth \
fonts-arphic-uming fonts-wqy-microhei python3 python3-xlrd"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y $missing || { apt-get update && apt-get install -y $missing; }
fi
