#!/usr/bin/env bash
# Every window as a screen reader walks it (scripts/accessibility_walk.py), on a
# private session bus under Xvfb. Skips (77) and says why when a tool is missing.
set -uo pipefail
quillon=${1:?path to quillon}
root=$(cd "$(dirname "$0")/../.." && pwd)
for tool in dbus-run-session xvfb-run /usr/libexec/at-spi-bus-launcher /usr/bin/python3; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }
windows=MainWindow,NoteOutForm,TMidiMixer,TEFXForm,TChoRevForm,TSwitchForm,TCommSwitchForm,TPatchSelectForm,MessageLogWindow,TDumpReceiveForm,TFindForm,SaveChoiceDialog,TSaveUser,TUserOrCardForm,perfeditform,TLibraryForm,TBankBuilderForm,TCompareForm
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share QUILLON=$quillon WINDOWS=$windows ROOT=$root
# The shipped name lists in a data folder of the walk's own: the program writes
# its performance library into its data folder, never into the source tree.
mkdir -p "$home/data" && cp "$root"/data/*.ini "$home/data/"
cd "$home/data"
# One run walks the windows; each modal dialog blocks the others, so each is
# walked in a run of its own: its option, then its title.
walk() {
  OPTION=$1 VALUE=$2 TITLE=$3 dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    bus=$!
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1000x24" \
      "$QUILLON" "$OPTION" "$VALUE" >>"$HOME/quillon.log" 2>&1 &
    app=$!
    sleep 10  # start-up, Get Temp from the virtual module; the walk then waits for every window asked for
    /usr/bin/python3 "$ROOT/scripts/accessibility_walk.py"
    status=$?
    kill $app $bus 2>/dev/null
    exit $status
  '
}
status=0
# The first run writes the first-run settings, so the dialogs' runs start without its questions.
walk --show-window "$windows" "" || status=1
walk --show-dialog settings "Preferences:  Midi In-Out and Expansion Boards" || status=1
walk --show-dialog find-module "Find Module" || status=1
walk --show-dialog keyboard "Keyboard" || status=1
exit $status
