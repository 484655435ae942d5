"""Checks through AT-SPI, as a screen reader sees the running program, that its controls carry
Japanese names and descriptions and that the line being read is told without moving the caret.
Usage: accessible_controls.py <program pid>; keys are sent with xdotool."""
import subprocess
import sys
import time

import pyatspi


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, condition, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    fail("timed out waiting for " + what)


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def find(app, role, name=None):
    for node in descendants(app):
        if node.getRole() == role and (name is None or node.name == name):
            return node
    fail("no %s named %r; controls: %s" % (role, name, [(n.getRoleName(), n.name) for n in descendants(app)]))


def is_japanese(text):
    return any(ord(c) >= 0x3000 for c in text)


pid = int(sys.argv[1])
app = wait_for("the program on the accessibility bus", lambda: application(pid))
memo = wait_for("the text box", lambda: find(app, pyatspi.ROLE_TEXT, "数字入力欄"))
idle = memo.description
if not is_japanese(idle):
    fail("the text box has no Japanese description: %r" % idle)

buttons = [b for b in descendants(app) if b.getRole() == pyatspi.ROLE_PUSH_BUTTON]
names = [b.name for b in buttons]
for caption in ("読み上げ開始", "テキストコピー", "テキスト入替え", "クリア"):
    if caption not in names:
        fail("no button %s among %s" % (caption, names))
for button in buttons:
    if button.name in ("読み上げ開始", "テキストコピー", "テキスト入替え", "クリア") and not is_japanese(button.description):
        fail("button %s has no Japanese description" % button.name)
for node in descendants(app):
    role = node.getRole()
    if role in (pyatspi.ROLE_TOOL_BAR, pyatspi.ROLE_STATUS_BAR) and not is_japanese(node.name):
        fail("a %s has no Japanese name: %r" % (node.getRoleName(), node.name))
panels = [n for n in descendants(app) if n.getRole() == pyatspi.ROLE_LABEL and n.parent is not None and n.parent.getRole() == pyatspi.ROLE_STATUS_BAR]
if len(panels) != 3 or not all(p.name and is_japanese(p.description) for p in panels):
    fail("status panels without name or description: %s" % [(p.name, p.description) for p in panels])
menu_bar = find(app, pyatspi.ROLE_MENU_BAR)
menus = [n.name for n in menu_bar if n is not None]
if not all(any(caption in name for name in menus) for caption in ("ファイル", "編集", "音声", "ヘルプ")):
    fail("the menus are not named: %s" % menus)

text = memo.queryText()
caret = text.caretOffset
subprocess.run(["xdotool", "key", "Escape"], check=True)
wait_for("the second line to be told as read", lambda: memo.description == "2行目を読み上げ中")
if text.caretOffset != caret or text.getNSelections() != 0:
    fail("reading moved the caret from %d to %d or selected text" % (caret, text.caretOffset))
wait_for("the end of reading to be told", lambda: memo.description == idle, 60)
print("controls named and described; the line being read told at the caret's place")
