#!/usr/bin/python3
"""Lists every control of the running Quillon windows as a screen reader sees
them: role, name and, for value controls, the value and its range. With
--set NAME=VALUE it sets a value control by its accessible name; with
--press NAME it presses a button; with --choose NAME it selects the list item
or grid cell of that name as a screen reader user does. Run inside the session bus the program uses."""
import sys
import time

import pyatspi


def walk(node, depth, out):
    try:
        role = node.getRoleName()
        name = node.name
    except Exception:
        return
    line = "  " * depth + f"{role}: {name!r}"
    try:
        v = node.queryValue()
        line += f" value={v.currentValue} [{v.minimumValue}..{v.maximumValue}]"
    except NotImplementedError:
        pass
    out.append((node, role, name, line))
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), depth + 1, out)


def choose(node):
    """Selects an item by its own action (Qt's "Toggle"), the way a screen reader does."""
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("Toggle") if "Toggle" in names else 0)


def find_app(timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name and "quillon" in app.name.lower():
                return app
        time.sleep(0.5)
    return None


def main(argv):
    app = find_app()
    if app is None:
        print("no Quillon application on the accessibility bus", file=sys.stderr)
        return 1
    out = []
    walk(app, 0, out)
    for arg in argv:
        if arg.startswith("--set="):
            name, value = arg[6:].rsplit("=", 1)
            for node, _, n, _ in out:
                if n == name:
                    node.queryValue().currentValue = float(value)
                    print(f"set {name} = {value}")
        elif arg.startswith("--press="):
            name = arg[8:]
            for node, role, n, _ in out:
                if n == name and "button" in role:
                    node.queryAction().doAction(0)
                    print(f"pressed {name}")
        elif arg.startswith("--choose="):
            name = arg[9:]
            for node, role, n, _ in out:
                if n == name and role in ("table cell", "list item"):
                    choose(node)
                    print(f"chose {name}")
                    break
    time.sleep(0.5)
    out = []
    walk(app, 0, out)
    unnamed = [l for _, role, n, l in out if not n and role in ("slider", "spin button", "push button", "check box", "combo box", "scroll bar", "toggle button", "text")]
    for _, _, _, line in out:
        print(line)
    print(f"-- {len(out)} nodes, {len(unnamed)} value or button controls without a name")
    for l in unnamed:
        print("UNNAMED" + l)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
