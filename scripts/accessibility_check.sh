#!/usr/bin/env bash
# Starts Quillon under Xvfb on a private session bus with accessibility on,
# shows the window named $1 (its object name) after a Get Temp, and lists its
# controls as a screen reader sees them; further arguments go to
# accessibility_tree.py (--set=NAME=VALUE, --press=NAME, --choose=NAME), except
# --app=OPTION, which goes to Quillon (--app=--find-text=Pia).
set -euo pipefail
cd "$(dirname "$0")/.."
window=${1:?window object name, e.g. TSwitchForm}; shift || true
app_args=()
tree_args=()
for arg in "$@"; do
  case $arg in
    --app=*) app_args+=("${arg#--app=}") ;;
    *) tree_args+=("$arg") ;;
  esac
done
set -- "${tree_args[@]+"${tree_args[@]}"}"
export QUILLON_APP_ARGS="${app_args[*]+"${app_args[*]}"}"
exec dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  sleep 1
  cd data
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 xvfb-run -a -s "-screen 0 1600x1000x24" \
    ../build/src/app/quillon --show-window "$0" $QUILLON_APP_ARGS >/dev/null 2>&1 &
  app=$!
  sleep 8
  /usr/bin/python3 ../scripts/accessibility_tree.py "$@"
  kill $app 2>/dev/null || true
' "$window" "$@"
