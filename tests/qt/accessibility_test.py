#!/usr/bin/python3
# The window program as a screen reader meets it, through AT-SPI: every control's name is the
# label a user reads (an edit box's, the label above it), and a file named on the command line
# fills the source box, or is reported over the dialog when it cannot be read.
# Usage: xvfb-run -a dbus-run-session -- accessibility_test.py PROGRAM
import os
import subprocess
import sys
import tempfile
import time

import pyatspi

CAPTION = "ぽむるの暗号\u3000＼（⌒∇⌒）／"
# In the template's order, which is the Tab order; each box is named after the label above it.
EXPECTED = [
    ("text", "変換前ファイルの設定"), ("push button", "プログラム実行"),
    ("push button", "変換前ファイルの設定"), ("label", "変換前ファイルの設定"),
    ("text", "保存用ファイル設定"), ("label", "保存用ファイル設定"),
    ("push button", "保存用ファイルの設定"), ("text", "数値"), ("label", "数値"),
    ("text", "ステップ"), ("label", "ステップ"), ("text", "開始場所"), ("label", "開始場所"),
    ("text", "すべり"), ("label", "すべり"), ("check box", "乱数化（数値範囲）")]


def wait_for(what, find):
    for _ in range(150):
        found = find()
        if found:
            return found
        time.sleep(0.2)
    sys.exit("waited in vain for " + what)


# Starts the program with the argument; yields what finds its top-level windows by name.
def windows(program, argument):
    environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    with subprocess.Popen([program, argument], env=environment) as process:
        try:
            desktop = pyatspi.Registry.getDesktop(0)
            apps = lambda: (desktop.getChildAtIndex(i) for i in range(desktop.childCount))
            yield lambda: next(({w.name: w for w in app} for app in apps()
                                if app and app.name == os.path.basename(program)), {})
        finally:
            process.kill()


with tempfile.TemporaryDirectory() as folder:
    path = os.path.join(folder, "送る.bin")
    open(path, "wb").close()
    for shown in windows(sys.argv[1], path):
        dialog = wait_for("the dialog", lambda: shown().get(CAPTION))
        wait_for("the source box filled", lambda: dialog[0].queryText().getText(0, -1) == path)
        names = [(control.getRoleName(), control.name) for control in dialog]
        assert names == EXPECTED, "names:\n%s\nexpected:\n%s" % (names, EXPECTED)
    for shown in windows(sys.argv[1], os.path.join(folder, "missing.bin")):
        box = wait_for("a message over the dialog",
                       lambda: CAPTION in shown() and [w for n, w in shown().items() if n != CAPTION])
        texts = [control.name for control in box[0]]
        assert any("見つかりません" in text for text in texts), texts
