#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the sample need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libicu-dev zlib1g-dev
  python3 python3-dev python3-venv python3-pip python3-setuptools python3-wheel python3-pytest
  python3-tqdm python3-dask python3-distributed python3-jsonschema
  poppler-utils tesseract-ocr tesseract-ocr-eng pandoc
  libreoffice-writer-nogui fonts-dejavu-core
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "setup: installing ${missing[*]}" >&2
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
