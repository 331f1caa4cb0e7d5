#!/usr/bin/python3
# The window program as a screen reader meets it, through AT-SPI: every control's name is the
# label a user reads (an edit box's, the label above it), and a file named on the command line
# fills the source box, or is reported over the dialog when it cannot be read.
# Usage: dbus-run-session -- accessibility_test.py PROGRAM   (it starts an X display of its own),
# with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1.
import atexit
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
        if found := find():
            return found
        time.sleep(0.2)
    sys.exit("waited in vain for " + what)


# Starts the program with the argument; yields what finds its top-level windows by name.
def windows(program, argument):
    with subprocess.Popen([program, argument]) as process:
        try:
            yield lambda: next(({w.name: w for w in app} for app in pyatspi.Registry.getDesktop(0)
                                if app and app.name == os.path.basename(program)), {})
        finally:
            process.kill()


# Qt's bridge to AT-SPI needs an X display: a virtual one, on a number Xvfb finds free.
display, server = os.pipe()
xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(server), "-screen", "0", "800x600x24"],
                        pass_fds=[server])
atexit.register(xvfb.kill)
os.environ["DISPLAY"] = ":" + os.read(display, 16).decode().strip()
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
        assert any("見つかりません" in c.name for c in box[0]), [c.name for c in box[0]]
