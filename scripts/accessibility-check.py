#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader finds of Corvale, read over AT-SPI with pyatspi.

    accessibility-check.py MAP_TITLE MAP_TEXT MAP_FOLDER

Run on the session bus Corvale runs on, with its map window open. Checks
that the main window is a frame, that the map folder box is read-only and
not editable and reads MAP_FOLDER, and that the document of the map window
titled MAP_TITLE holds MAP_TEXT. Prints what it found; exits 1 with the
reason when something is missing.
"""
import sys
import time

import pyatspi

TIMEOUT = 30


def wait_for(what, find):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        found = find()
        if found is not None:
            return found
        time.sleep(0.5)
    sys.exit(f"accessibility: {what} not found within {TIMEOUT} s")


def children(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield child


def descendants(node, depth=0):
    if depth > 40:
        return
    for child in children(node):
        yield child
        yield from descendants(child, depth + 1)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    return next((app for app in children(desktop) if app.name == "corvale"), None)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    title, text, folder = sys.argv[1:]
    app = wait_for("the application corvale on the accessibility bus", application)

    main_window = wait_for("the main window", lambda: next(
        (w for w in children(app) if w.name == "Get Business Information"), None))
    if main_window.getRole() != pyatspi.ROLE_FRAME:
        sys.exit(f"accessibility: the main window is a {main_window.getRoleName()}, not a frame")

    box = next((n for n in descendants(main_window)
                if n.getRole() == pyatspi.ROLE_TEXT and n.name == "Directory where maps are saved"), None)
    if box is None:
        sys.exit("accessibility: no text box named \"Directory where maps are saved\"")
    states = box.getState()
    if states.contains(pyatspi.STATE_EDITABLE) or not states.contains(pyatspi.STATE_READ_ONLY):
        sys.exit("accessibility: the map folder box does not say it is read-only, or says it is editable")
    shown = box.queryText().getText(0, -1)
    if shown != folder:
        sys.exit(f"accessibility: the map folder box reads {shown!r}, not {folder!r}")

    map_window = wait_for(f"the map window {title!r}", lambda: next(
        (w for w in children(app) if w.name == title), None))

    def page_text():
        for document in descendants(map_window):
            if document.getRole() != pyatspi.ROLE_DOCUMENT_WEB:
                continue
            for node in descendants(document):
                if text in (node.name or ""):
                    return document, node
        return None

    document, node = wait_for(f"{text!r} under the map window's document", page_text)
    print(f"accessibility: main window: frame; map folder box: read-only, reads {folder}")
    print(f"accessibility: map window {title!r}: document {document.name!r}, "
          f"its {node.getRoleName()} {node.name.strip()!r}")


if __name__ == "__main__":
    main()
