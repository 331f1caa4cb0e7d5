#!/usr/bin/python3
# The window program as a screen reader meets it, through AT-SPI: every control's name is the
# label a user reads (an edit box's, the label above it), and a file named on the command line
# fills the source box, or is reported over the dialog when it cannot be read.
# Usage: accessibility_test.py PROGRAM   (on an X display and a session bus of its own:
# xvfb-run -a dbus-run-session -- accessibility_test.py PROGRAM)
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

EXPECTED = [
    ("text", "変換前ファイルの設定"), ("push button", "プログラム実行"),
    ("push button", "変換前ファイルの設定"), ("label", "変換前ファイルの設定"),
    ("text", "保存用ファイル設定"), ("label", "保存用ファイル設定"),
    ("push button", "保存用ファイルの設定"), ("text", "数値"), ("label", "数値"),
    ("text", "ステップ"), ("label", "ステップ"), ("text", "開始場所"), ("label", "開始場所"),
    ("text", "すべり"), ("label", "すべり"), ("check box", "乱数化（数値範囲）"),
]


def wait_for(what, find, seconds=30):
    deadline = time.time() + seconds
    while time.time() < deadline:
        found = find()
        if found:
            return found
        time.sleep(0.2)
    sys.exit("waited in vain for " + what)


def windows_of(program):
    """The top-level windows of the running program, by their names."""
    desktop = pyatspi.Registry.getDesktop(0)
    for app in filter(None, (desktop.getChildAtIndex(i) for i in range(desktop.childCount))):
        if app.name == os.path.basename(program):
            return {window.name: window for window in app}
    return {}


def session(program, argument, check):
    environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    process = subprocess.Popen([program, argument], env=environment)
    try:
        check()
    finally:
        process.kill()
        process.wait()


def main(program, folder):
    path = os.path.join(folder, "送る.bin")
    open(path, "wb").close()
    caption = "ぽむるの暗号\u3000＼（⌒∇⌒）／"

    def named_controls():
        dialog = wait_for("the dialog", lambda: windows_of(program).get(caption))
        source = dialog.getChildAtIndex(0).queryText()
        wait_for("the source box filled", lambda: source.getText(0, -1) == path, 10)
        shown = [(control.getRoleName(), control.name) for control in dialog]
        assert shown == EXPECTED, "accessible names:\n%s\nexpected:\n%s" % (shown, EXPECTED)

    def error_over_dialog():
        def message():
            windows = windows_of(program)
            box = next((w for name, w in windows.items() if name != caption), None)
            return caption in windows and box is not None and [c.name for c in box]
        texts = wait_for("the message over the dialog", message)
        assert any("見つかりません" in text for text in texts), texts

    session(program, path, named_controls)
    session(program, os.path.join(folder, "missing.bin"), error_over_dialog)
    print("accessibility_test: names and the command line's file as a screen reader meets them")


with tempfile.TemporaryDirectory() as temporary:
    main(sys.argv[1], temporary)
