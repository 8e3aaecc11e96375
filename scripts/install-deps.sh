#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when missing.
set -euo pipefail
# clang and its runtime libraries build the libFuzzer targets (scripts/fuzz.sh);
# locales holds the data a test builds a comma-decimal locale from.
paquets=(cmake g++ make pkg-config libgtest-dev qt6-base-dev qt6-multimedia-dev
         libvips-dev potrace libxml2-utils zlib1g-dev parallel clang libclang-rt-14-dev
         dpkg-dev file libpugixml-dev locales
         libopencv-core-dev libopencv-imgproc-dev)
# The netlist reads detections files with a header-only JSON parser.
paquets+=(nlohmann-json3-dev)
# chromium opens the batch report in a test, as a user's browser does.
paquets+=(chromium)
manquants=()
for p in "${paquets[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || manquants+=("$p")
done
# Another package installation holds the package manager's lock: wait for it
# rather than fail.
attend_verrou() {
  local dit=0
  while pgrep -x 'apt|apt-get|aptitude|dpkg|unattended-upgr' >/dev/null 2>&1; do
    if [ "$dit" = 0 ]; then
      echo "Waiting for another package installation to finish..."
      dit=1
    fi
    sleep 2
  done
}
if [ ${#manquants[@]} -gt 0 ]; then
  echo "Installing: ${manquants[*]}"
  export DEBIAN_FRONTEND=noninteractive
  attend_verrou
  # A lock taken meanwhile is waited for by apt itself.
  apt-get -o DPkg::Lock::Timeout=3600 update -qq
  apt-get -o DPkg::Lock::Timeout=3600 install -y -qq --no-install-recommends "${manquants[@]}" >/dev/null
fi
