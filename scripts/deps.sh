# Installs the Debian packages Quillon needs to build, test and run.
# Sourced by run.sh and test.sh; skips what dpkg already reports as installed.

QUILLON_PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  librtmidi-dev jackd2 libjack-jackd2-dev
  # the performance library (FTS5 is built into Debian's SQLite)
  libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth fonts-dejavu-core
  # reading exported performance sheets back in the tests (pdftotext) and looking at them (pdftoppm)
  poppler-utils
  # the screen-reader walk of every window: a private session bus and the accessibility bus
  dbus at-spi2-core python3-pyatspi
  # the Debian package and the checks of what it installs
  dpkg-dev file desktop-file-utils appstream shared-mime-info
)

quillon_missing_packages() {
  local pkg missing=()
  for pkg in "${QUILLON_PACKAGES[@]}"; do
    dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
  done
  echo "${missing[@]:-}"
}

quillon_install_packages() {
  local missing
  missing=$(quillon_missing_packages)
  [ -z "$missing" ] && return 0
  echo "Installing: $missing"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # jackd2 asks whether to enable realtime scheduling; answer once, quietly.
  echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections 2>/dev/null || true
  $sudo apt-get update -qq
  # shellcheck disable=SC2086
  $sudo apt-get install -y -qq --no-install-recommends $missing
}
