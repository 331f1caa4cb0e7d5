#!/usr/bin/python3
"""The page in headless Chromium, driven through the DevTools protocol with simulated input:
files of several sizes converted through the download and through the save dialog compared with
the command line's output, a box without an integer, cancelling, the About box, and no request
after the page has loaded.

page_test.py PAGE.html CLI WORK_DIR"""
import hashlib
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

import websocket

PAGE, CLI, WORK = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve(), Path(sys.argv[3])
REPO = Path(__file__).resolve().parents[2]
TEXTS = json.loads(Path(PAGE.parent.parent, 'web', 'page_texts.json').read_text('utf-8'))
failures = []


def check(condition, what):
    print(('ok   ' if condition else 'FAIL ') + what, flush=True)
    if not condition:
        failures.append(what)


class Browser:
    """One headless Chromium and one page in it, over the browser's WebSocket."""

    def __init__(self, profile):
        arguments = ['chromium', '--headless=new', '--disable-gpu', '--remote-debugging-port=0',
                     f'--user-data-dir={profile}', '--no-first-run', '--window-size=800,400',
                     'about:blank']
        if os.geteuid() == 0:
            arguments.insert(1, '--no-sandbox')  # Chromium refuses to run as root otherwise
        port_file = Path(profile, 'DevToolsActivePort')
        port_file.unlink(missing_ok=True)  # one left by an earlier browser names a dead port
        self.process = subprocess.Popen(arguments, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        for _ in range(300):
            if port_file.exists() and len(port_file.read_text().split()) == 2:
                break
            time.sleep(0.1)
        port, path = port_file.read_text().split()
        self.socket = websocket.create_connection(f'ws://127.0.0.1:{port}{path}', timeout=600)
        self.next_id = 0
        self.events = []
        target = self.call('Target.createTarget', url='about:blank')['targetId']
        self.session = self.call('Target.attachToTarget', targetId=target,
                                 flatten=True)['sessionId']

    def call(self, method, session=None, **params):
        self.next_id += 1
        message = {'id': self.next_id, 'method': method, 'params': params}
        if session:
            message['sessionId'] = session
        self.socket.send(json.dumps(message))
        while True:
            reply = json.loads(self.socket.recv())
            if reply.get('id') == self.next_id:
                if 'error' in reply:
                    raise RuntimeError(f'{method}: {reply["error"]}')
                return reply.get('result', {})
            if 'method' in reply:
                self.events.append(reply)

    def page(self, method, **params):
        return self.call(method, session=self.session, **params)

    def evaluate(self, expression):
        result = self.page('Runtime.evaluate', expression=expression, awaitPromise=True,
                           returnByValue=True)
        if 'exceptionDetails' in result:
            raise RuntimeError(f'{expression}: {result["exceptionDetails"]}')
        return result['result'].get('value')

    def wait_for(self, expression, timeout=120):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            value = self.evaluate(expression)
            if value:
                return value
            time.sleep(0.05)
        problems = [e for e in self.events if e.get('method') in
                    ('Runtime.exceptionThrown', 'Runtime.consoleAPICalled', 'Log.entryAdded')]
        state = self.evaluate("JSON.stringify([document.title, [...document.querySelectorAll(\"input\")].map(i => i.value + \":\" + i.disabled), document.querySelector(\"progress\").value])")
        raise TimeoutError(f"{expression}\n{state}\n{json.dumps(problems, ensure_ascii=False)[:3000]}")

    def open(self, url, save_dialog, downloads):
        for domain in ('Page', 'Network', 'Runtime', 'Log'):
            self.page(f'{domain}.enable')
        # The save dialog answered by a file of the origin's private file system, which the
        # test can read back; or no save dialog at all, as in browsers without one.
        stub = ('''window.showSaveFilePicker = async () =>
                   (await navigator.storage.getDirectory()).getFileHandle('saved', {create: true});'''
                if save_dialog else 'delete Window.prototype.showSaveFilePicker;'
                                    'delete window.showSaveFilePicker;')
        if getattr(self, 'stub', None):
            self.page('Page.removeScriptToEvaluateOnNewDocument', identifier=self.stub)
        self.stub = self.page('Page.addScriptToEvaluateOnNewDocument', source=stub)['identifier']
        self.call('Browser.setDownloadBehavior', behavior='allow', downloadPath=str(downloads),
                  eventsEnabled=True)
        self.page('Page.navigate', url=url)
        self.wait_for('document.readyState === "complete" && !!document.querySelector(".client")')
        self.events.clear()
        # Every caption the title shows, in order.
        self.evaluate('''window.titles = [];
            new MutationObserver(() => titles.push(document.title))
                .observe(document.querySelector('title'), {childList: true});''')

    def centre(self, selector):
        box = self.evaluate(f'''(() => {{ const r = document.querySelector({json.dumps(selector)})
            .getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; }})()''')
        return box

    def click(self, selector, button='left'):
        x, y = self.centre(selector)
        for kind in ('mousePressed', 'mouseReleased'):
            self.page('Input.dispatchMouseEvent', type=kind, x=x, y=y, button=button,
                      clickCount=1)

    def type_into(self, selector, text):
        self.click(selector)
        self.page('Input.dispatchKeyEvent', type='keyDown', key='a', code='KeyA',
                  modifiers=2, commands=['selectAll'])
        self.page('Input.dispatchKeyEvent', type='keyUp', key='a', code='KeyA', modifiers=2)
        self.page('Input.insertText', text=text)

    def choose_source(self, path):
        node = self.page('Runtime.evaluate',
                         expression='document.querySelector("input[type=file]")')['result']
        self.page('DOM.setFileInputFiles', files=[str(path)], objectId=node['objectId'])
        self.wait_for(f'document.querySelectorAll("input.edit")[0].value === {json.dumps(path.name)}')

    def close(self):
        self.socket.close()
        self.process.terminate()
        self.process.wait()


def by_label(label):
    """The number box under a label of the window's template, by the template's order."""
    ids = {'数値': 1009, 'ステップ': 1010, '開始場所': 1011, 'すべり': 1012}
    order = [c['id'] for c in TEXTS['dialog']['controls'] if c['kind'] == 'edit']
    return f'input.edit:nth-of-type({order.index(ids[label]) + 1})'


def sha256(path):
    digest = hashlib.sha256()
    with open(path, 'rb') as f:
        while chunk := f.read(1 << 22):
            digest.update(chunk)
    return digest.hexdigest()


def native(source, settings, dest):
    options = [f'--{name}={settings[name]}' for name in ('step', 'value', 'start', 'slide')]
    subprocess.run([CLI, *options, *(['--randomize'] if settings['randomize'] else []),
                    source, dest], check=True)
    return sha256(dest)


def make_file(path, size):
    with open(path, 'wb') as f:
        left = size
        while left > 0:
            chunk = min(left, 1 << 24)
            f.write(os.urandom(chunk))
            left -= chunk
    return path


def run_in_page(browser, source, settings, dest_name=None):
    browser.choose_source(source)
    browser.click('.client > button:nth-of-type(3)')  # 保存用ファイルの設定
    if dest_name:
        browser.page('Input.insertText', text=dest_name)
    for label, name in (('ステップ', 'step'), ('数値', 'value'), ('開始場所', 'start'),
                        ('すべり', 'slide')):
        browser.type_into(by_label(label), str(settings[name]))
    if browser.evaluate('document.querySelector(".check-box input").checked') != settings['randomize']:
        browser.click('.check-box input')
    browser.evaluate('titles.length = 0')
    browser.click('.client > button:nth-of-type(1)')  # プログラム実行
    browser.wait_for(f'document.title === {json.dumps(TEXTS["dialog"]["caption"])} && '
                     'document.querySelector(".run-strip button").disabled && '
                     'document.querySelector("progress").value === 1')


def wait_download(browser, timeout=600):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for event in browser.events:
            if event.get('method') == 'Browser.downloadProgress' and \
                    event['params']['state'] in ('completed', 'canceled'):
                browser.events.remove(event)
                return event['params']['state']
        browser.call('Browser.getVersion')  # reads pending events
        time.sleep(0.05)
    raise TimeoutError('download')


def main():
    work = Path(tempfile.mkdtemp(dir=WORK))
    class QuietHandler(http.server.SimpleHTTPRequestHandler):
        def __init__(self, *arguments):
            super().__init__(*arguments, directory=str(PAGE.parent))

        def log_message(self, *arguments):
            pass

    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), QuietHandler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f'http://127.0.0.1:{server.server_address[1]}/{PAGE.name}'
    downloads = work / 'downloads'
    downloads.mkdir()
    browser = Browser(work / 'profile')
    try:
        # Through the download, as in browsers without a save dialog; one file over 256 MiB.
        browser.open(url, save_dialog=False, downloads=downloads)
        cases = [
            (0, dict(step=0, value=7, start=0, slide=0, randomize=False)),
            (1, dict(step=1, value=-1, start=0, slide=0, randomize=True)),
            ((8 << 20) + 1, dict(step=3, value=1000, start=5, slide=-2, randomize=True)),
            (300 << 20, dict(step=1, value=90, start=0, slide=0, randomize=True)),
        ]
        for i, (size, settings) in enumerate(cases):
            source = make_file(work / f'source-{i}.bin', size)
            expected = native(source, settings, work / f'native-{i}.bin')
            started = time.monotonic()
            run_in_page(browser, source, settings, f'page-{i}.bin')
            check(wait_download(browser) == 'completed', f'download of {size} bytes completes')
            seconds = time.monotonic() - started
            check(sha256(downloads / f'page-{i}.bin') == expected,
                  f'{size} bytes, {settings}: the download matches the command line '
                  f'({seconds:.1f} s)')
            os.remove(downloads / f'page-{i}.bin')
            if size > 256 << 20:
                titles = browser.evaluate('titles')
                check(titles[0] == TEXTS['runningCaption'] and TEXTS['waitCaption'] in titles
                      and TEXTS['waitElsewhereCaption'] in titles
                      and titles[-1] == TEXTS['dialog']['caption'],
                      'the title shows the running caption, both wait captions, then the dialog\'s')
            os.remove(source)

        # A box without an integer: the framework's message, then that box selected.
        message = Path(REPO, 'framework/data_exchange.cpp').read_text('utf-8')
        check('"整数を入力してください。"' in message, 'the window still uses the same message')
        browser.choose_source(make_file(work / 'small.bin', 100))
        browser.type_into(by_label('開始場所'), '１．５')
        browser.click('.client > button:nth-of-type(1)')
        text = browser.wait_for('document.querySelector("dialog .message-text")?.textContent')
        check(text == '整数を入力してください。', f'a box without an integer is reported: {text}')
        browser.click('dialog button')
        focused = browser.wait_for('!document.querySelector("dialog") && '
                                   '[document.activeElement.value, document.activeElement.selectionStart,'
                                   ' document.activeElement.selectionEnd]')
        check(focused == ['１．５', 0, 3], f'the box at fault is focused and selected: {focused}')
        browser.type_into(by_label('開始場所'), '0')

        # The About box from the context menu.
        browser.click('.client', button='right')
        browser.click('.menu-item')
        caption = browser.wait_for('document.querySelector("dialog .title")?.textContent')
        check(caption == TEXTS['about']['caption'], f'the About box opens: {caption}')
        browser.click('dialog button')
        browser.wait_for('!document.querySelector("dialog")')

        requests = [e['params']['request']['url'] for e in browser.events
                    if e.get('method') == 'Network.requestWillBeSent']
        check(all(u.startswith(('blob:', 'data:')) for u in requests),
              f'no network request after load: {[u[:60] for u in requests if not u.startswith(("blob:", "data:"))]}')

        # From a local folder, where the page cannot reach the network at all.
        browser.open(PAGE.as_uri(), save_dialog=False, downloads=downloads)
        settings = dict(step=5, value=33, start=0, slide=9, randomize=True)
        source = make_file(work / 'local.bin', 70000)
        expected = native(source, settings, work / 'native-local.bin')
        run_in_page(browser, source, settings, 'local.bin')
        check(wait_download(browser) == 'completed' and sha256(downloads / 'local.bin') == expected,
              'opened from a local folder, the page converts as the command line does')

        # Through the save dialog, and a cancel that leaves the chosen file alone.
        browser.open(url, save_dialog=True, downloads=downloads)
        settings = dict(step=2, value=-300, start=3, slide=7, randomize=True)
        source = make_file(work / 'saved.bin', (20 << 20) + 5)
        expected = native(source, settings, work / 'native-saved.bin')
        run_in_page(browser, source, settings)
        saved_digest = '''(async () => {
            const file = await (await (await navigator.storage.getDirectory())
                .getFileHandle('saved')).getFile();
            const hash = await crypto.subtle.digest('SHA-256', await file.arrayBuffer());
            return [...new Uint8Array(hash)].map(b => b.toString(16).padStart(2, '0')).join('');
        })()'''
        check(browser.evaluate(saved_digest) == expected,
              'through the save dialog, the file matches the command line')
        big = make_file(work / 'big.bin', 300 << 20)
        browser.choose_source(big)
        browser.click('.client > button:nth-of-type(3)')
        browser.click('.client > button:nth-of-type(1)')
        browser.wait_for('document.querySelector("progress").value > 0')
        browser.click('.run-strip button')
        browser.wait_for(f'document.title === {json.dumps(TEXTS["dialog"]["caption"])}')
        check(browser.evaluate(saved_digest) == expected,
              'a cancelled run leaves the chosen file as it was')
    finally:
        browser.close()
        server.shutdown()
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print(f'page_test: {len(failures)} failures')
        sys.exit(1)
    print('page_test: all checks pass')


if __name__ == "__main__":
    main()
