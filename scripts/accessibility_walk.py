#!/usr/bin/python3
"""Walks every window of the running Quillon as a screen reader does and checks
each control: it has a role, a name unique among the controls of its window,
and an action that does something or a value that can be read. Prints what
fails and exits 1 when anything does. Run inside the session bus the program uses.
With TITLE set it walks only the window of that title (a modal dialog, which
leaves the others blocked), once it is up; else it waits for the number of
windows WINDOWS names and walks every window shown."""
import os
import sys
import time

import pyatspi

from accessibility_tree import find_app

# Roles a user operates; labels, panels and fillers only hold or describe them.
CONTROL_ROLES = {
    "push button", "toggle button", "check box", "radio button", "combo box", "slider",
    "spin button", "scroll bar", "text", "table", "list", "page tab",
}
# Actions every focusable widget has; they alone do not operate a control.
FOCUS_ONLY = {"SetFocus"}


def controls(node, out):
    try:
        role = node.getRoleName()
        states = node.getState()
    except Exception:
        return
    if not states.contains(pyatspi.STATE_SHOWING):
        return
    if role in CONTROL_ROLES:
        out.append(node)
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            controls(child, out)


def spoken_name(node):
    """A list is named by its label on Linux (its own name is its current item)."""
    if node.getRoleName() == "combo box":
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                labels = [relation.getTarget(i).name for i in range(relation.getNTargets())]
                if any(labels):
                    return " ".join(labels)
    return node.name


def operable(node):
    try:
        action = node.queryAction()
        if any(action.getName(i) not in FOCUS_ONLY for i in range(action.nActions)):
            return True
    except NotImplementedError:
        pass
    for query in (node.queryValue, node.queryText, node.queryTable, node.querySelection):
        try:
            query()
            return True
        except NotImplementedError:
            pass
    return False


def showing_windows(app):
    return [app.getChildAtIndex(w) for w in range(app.childCount)
            if app.getChildAtIndex(w) is not None
            and app.getChildAtIndex(w).getState().contains(pyatspi.STATE_SHOWING)]


def wait_for_windows(ready, seconds=90):
    """The program on the bus once `ready` says its windows are shown: a loaded
    machine takes longer to start and fetch than a quiet one."""
    app, deadline = None, time.monotonic() + seconds
    while time.monotonic() < deadline:
        app = find_app()
        if app is not None and ready(showing_windows(app)):
            return app
        time.sleep(0.5)
    return app


def main():
    title = os.environ.get("TITLE")
    expected = len([w for w in os.environ.get("WINDOWS", "").split(",") if w])
    if title:
        app = wait_for_windows(lambda shown: any(w.name == title for w in shown))
    else:
        app = wait_for_windows(lambda shown: len(shown) >= expected)
    if app is None:
        print("no Quillon application on the accessibility bus", file=sys.stderr)
        return 1
    problems, windows, checked = [], 0, 0
    for w in range(app.childCount):
        window = app.getChildAtIndex(w)
        if window is None or not window.getState().contains(pyatspi.STATE_SHOWING):
            continue
        if title and window.name != title:
            continue
        windows += 1
        found = []
        controls(window, found)
        names = {}
        for node in found:
            checked += 1
            role, name = node.getRoleName(), spoken_name(node)
            where = f"{window.name!r}: {role} {name!r}"
            if not name:
                problems.append(f"{where}: no name")
            elif node.getState().contains(pyatspi.STATE_ENABLED):
                names.setdefault((role, name), []).append(node)
            if node.getState().contains(pyatspi.STATE_ENABLED) and not operable(node):
                problems.append(f"{where}: no action and no value")
        problems += [f"{window.name!r}: {role} {name!r}: {len(n)} controls share the name"
                     for (role, name), n in names.items() if len(n) > 1]
    for p in problems:
        print("FAIL " + p)
    print(f"-- {windows} windows, {checked} controls, {len(problems)} problems")
    return 1 if problems or windows == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
