#!/usr/bin/python3
# The page in headless Firefox ESR, driven through WebDriver BiDi with simulated input: the
# conversions byte for byte as the command line's, cancel, a box without an integer, no request
# after load, and a 1 GiB conversion whose memory stays flat, the result being kept on disk.
# firefox_test.py PAGE.html CLI WORK_DIR   (the arguments of page_test.py, whose helpers it uses)
import json, os, re, subprocess, sys, threading, time
from pathlib import Path

import websocket

from page_test import BOX, CAPTION, CHOOSE_DEST, CLI, PAGE, RUN, TEXTS, WORK, check, failures, \
    random_file, serve, sha256

PAGE_HOOKS = '''() => { window.titles = []; addEventListener('DOMContentLoaded', () =>
    new MutationObserver((records) => titles.push(...records.map((r) => r.addedNodes[0]?.textContent)))
        .observe(document.querySelector('title'), {childList: true})); }'''
# The results the worker keeps in the origin's private file system, by size.
TEMP_FILES = '''(async () => { const sizes = [];
    for await (const [name, handle] of (await navigator.storage.getDirectory()).entries())
        if (name.startsWith('pomuru-run-')) sizes.push((await handle.getFile()).size);
    return sizes; })()'''
# Within the task's few minutes, and larger than any piece or memory the page keeps.
BIG = 1 << 30
MEMORY_LIMIT = 600 << 20


def remote_value(value):
    kind = value['type']
    if kind == 'array':
        return [remote_value(item) for item in value['value']]
    if kind == 'object':
        return {key: remote_value(item) for key, item in value['value']}
    return value if kind == 'node' else value.get('value')


def tree_rss(root):
    # The resident memory of a process and all its descendants, in bytes.
    parents, rss = {}, {}
    for entry in Path('/proc').iterdir():
        if not entry.name.isdigit():
            continue
        try:
            status = (entry / 'status').read_text()
        except (OSError, ValueError):
            continue
        fields = dict(line.split(':', 1) for line in status.splitlines() if ':' in line)
        parents[int(entry.name)] = int(fields['PPid'])
        rss[int(entry.name)] = int(fields.get('VmRSS', '0 kB').split()[0]) * 1024
    tree, grew = {root}, True
    while grew:
        grown = tree | {pid for pid, parent in parents.items() if parent in tree}
        grew, tree = grown != tree, grown
    return sum(rss.get(pid, 0) for pid in tree)


class Firefox:
    def __init__(self, profile, downloads):
        profile.mkdir(parents=True)
        # Downloads go to the folder without asking; nothing of the browser's own reaches out.
        prefs = {'browser.download.folderList': 2, 'browser.download.dir': str(downloads),
                 'browser.download.useDownloadDir': True,
                 'browser.download.always_ask_before_handling_new_types': False,
                 'browser.download.start_downloads_in_tmp_dir': False,
                 'browser.download.alwaysOpenPanel': False,
                 'browser.shell.checkDefaultBrowser': False,
                 'datareporting.policy.dataSubmissionEnabled': False,
                 'toolkit.telemetry.reportingpolicy.firstRun': False,
                 'network.captive-portal-service.enabled': False,
                 'network.connectivity-service.enabled': False,
                 'app.update.disabledForTesting': True}
        Path(profile, 'user.js').write_text(
            ''.join(f'user_pref({json.dumps(k)}, {json.dumps(v)});\n' for k, v in prefs.items()))
        self.process = subprocess.Popen(
            ['firefox-esr', '--headless', '--no-remote', '--profile', str(profile),
             '--remote-debugging-port', '0', 'about:blank'],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        for line in self.process.stderr:
            if found := re.search(r'WebDriver BiDi listening on (ws://\S+)', line):
                break
        else:
            raise RuntimeError('Firefox ended before it listened')
        threading.Thread(target=self.process.stderr.read, daemon=True).start()
        # Firefox refuses a connection that names an origin.
        self.socket = websocket.create_connection(found[1] + '/session', timeout=600,
                                                  suppress_origin=True)
        self.next_id, self.late_requests, self.loaded = 0, [], False
        self.call('session.new', capabilities={})
        self.call('session.subscribe', events=['network.beforeRequestSent'])
        self.context = self.call('browsingContext.getTree')['contexts'][0]['context']
        self.call('script.addPreloadScript', functionDeclaration=PAGE_HOOKS)

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({'id': self.next_id, 'method': method, 'params': params}))
        while True:
            reply = json.loads(self.socket.recv())
            if reply.get('id') == self.next_id:
                if reply['type'] == 'error':
                    raise RuntimeError(f'{method}: {reply["error"]}: {reply.get("message")}')
                return reply['result']
            if self.loaded and reply.get('method') == 'network.beforeRequestSent':
                self.late_requests.append(reply['params']['request']['url'][:100])

    def evaluate(self, expression):
        reply = self.call('script.evaluate', expression=expression, awaitPromise=True,
                          target={'context': self.context}, resultOwnership='none')
        if reply['type'] == 'exception':
            raise RuntimeError(f'{expression}: {reply["exceptionDetails"]["text"]}')
        return remote_value(reply['result'])

    def wait_for(self, expression, minutes=10):
        for _ in range(minutes * 1200):
            if value := expression() if callable(expression) else self.evaluate(expression):
                return value
            time.sleep(0.05)
        raise TimeoutError(str(expression))

    def open(self, url):
        self.loaded = False
        self.call('browsingContext.navigate', context=self.context, url=url, wait='complete')
        self.wait_for('!!document.querySelector(".client")')
        self.loaded = True

    def node(self, selector):
        return {'sharedId': self.evaluate(f'document.querySelector({json.dumps(selector)})')['sharedId']}

    def click(self, selector):
        self.call('input.performActions', context=self.context, actions=[{
            'type': 'pointer', 'id': 'mouse', 'parameters': {'pointerType': 'mouse'},
            'actions': [{'type': 'pointerMove', 'x': 0, 'y': 0,
                         'origin': {'type': 'element', 'element': self.node(selector)}},
                        {'type': 'pointerDown', 'button': 0}, {'type': 'pointerUp', 'button': 0}]}])

    def keys(self, *presses):
        # Each press is a key, or a tuple of keys held together (a modifier first).
        actions = []
        for press in presses:
            held = press if isinstance(press, tuple) else (press,)
            actions += [{'type': 'keyDown', 'value': key} for key in held]
            actions += [{'type': 'keyUp', 'value': key} for key in reversed(held)]
        self.call('input.performActions', context=self.context,
                  actions=[{'type': 'key', 'id': 'keyboard', 'actions': actions}])

    def type_into(self, selector, text):
        self.click(selector)
        self.keys(('\ue009', 'a'), *text)  # Control+A, then the text over it

    def choose_source(self, path):
        # Emptied first, as the page's chooser button does: the same file again is a cancel.
        self.evaluate('document.querySelector("input[type=file]").value = ""')
        self.call('input.setFiles', context=self.context, element=self.node('input[type=file]'),
                  files=[str(path)])
        self.wait_for(f'document.querySelector("input.edit").value === {json.dumps(path.name)}')

    def start(self, source, settings, dest_name):
        self.choose_source(source)
        self.click(CHOOSE_DEST)
        self.keys(*dest_name)
        for name in ('step', 'value', 'start', 'slide'):
            self.type_into(BOX[name], str(settings[name]))
        if self.evaluate('document.querySelector(".check-box input").checked') != settings['randomize']:
            self.click('.check-box input')
        self.evaluate('titles.length = 0')
        self.click(RUN)

    def finished(self):
        return self.evaluate(f'document.title === {CAPTION} && '
                             'document.querySelector("progress").value === 1')


def downloaded(path, size):
    # Firefox makes NAME empty at once, writes into NAME.*.part and moves that over NAME at the end.
    return path.exists() and path.stat().st_size == size and \
        not any(path.parent.glob(f'{path.name}.*part'))


def cli_output(source, settings):
    subprocess.run([CLI, *[f'--{name}={settings[name]}' for name in BOX],
                    *(['--randomize'] * settings['randomize']), source, WORK / 'native'],
                   check=True)
    return sha256(WORK / 'native')


def main():
    served = serve() + '?download'
    downloads = WORK / 'firefox-downloads'
    downloads.mkdir()
    browser = Firefox(WORK / 'firefox-profile', downloads)
    try:
        browser.open(served)
        check(browser.evaluate('document.querySelector(".in-memory-note").hidden') is True,
              'Firefox keeps the result on disk: no note on memory')
        for size, step, value, start, slide, randomize in [
                (70000, 5, 33, 0, 9, True), ((20 << 20) + 5, 2, -300, 3, 7, True),
                (0, 0, 7, 0, 0, False), ((40 << 20) + 1, 1, 90, 0, 0, False)]:
            settings = dict(step=step, value=value, start=start, slide=slide, randomize=randomize)
            source = random_file(WORK / f'firefox-source-{size}', size)
            browser.start(source, settings, f'page-{size}')
            browser.wait_for(browser.finished)
            browser.wait_for(lambda: downloaded(downloads / f'page-{size}', size))
            check(sha256(downloads / f'page-{size}') == cli_output(source, settings),
                  f'Firefox: {size} bytes, {settings}: as the command line')
            # Only the last result stays on disk, until the next one is handed over.
            temp = browser.evaluate(TEMP_FILES)
            check(temp == [size], f'Firefox: the last result alone kept on disk: {temp}')

        # A box without an integer: the window's message, then that box selected.
        browser.type_into(BOX['start'], '１．５')
        browser.click(RUN)
        text = browser.wait_for('document.querySelector("dialog .message-text")?.textContent')
        check(text == TEXTS['notAnInteger'], f'Firefox: a box without an integer: "{text}"')
        browser.click('dialog button')
        focused = browser.wait_for('!document.querySelector("dialog") && (({value, selectionStart: '
                                   'from, selectionEnd: to}) => [value, from, to])(document.activeElement)')
        check(focused == ['１．５', 0, 3], f'Firefox: the box at fault is selected: {focused}')

        # 1 GiB, cancelled first, then run: the browser's memory, sampled through the run and
        # the download, stays flat.
        settings = dict(step=3, value=77, start=1, slide=2, randomize=True)
        # 64 MiB of seeded bytes over and over, quick to make: the masks still differ everywhere.
        block = random_file(WORK / 'firefox-block', 1 << 26).read_bytes()
        with open(source := WORK / 'firefox-big', 'wb') as big:
            for _ in range(BIG >> 26):
                big.write(block)
        expected = cli_output(source, settings)
        (WORK / 'native').unlink()
        # A cancelled run: no download, and nothing of it left on disk.
        browser.start(source, settings, 'cancelled')
        browser.wait_for('document.querySelector("progress").value > 0')
        browser.click('.run-strip button')
        browser.wait_for(f'document.title === {CAPTION}')
        temp = browser.evaluate(TEMP_FILES)
        check(temp == [size] and not any(downloads.glob('cancelled*')),
              f'Firefox: a cancelled run downloads nothing and leaves nothing: {temp}')

        base = tree_rss(browser.process.pid)
        peak, began = base, time.monotonic()
        browser.start(source, settings, 'page-big')
        while not (browser.finished() and downloaded(downloads / 'page-big', BIG)):
            peak = max(peak, tree_rss(browser.process.pid))
            time.sleep(0.1)
        seconds = time.monotonic() - began
        rise = peak - base
        print(f'Firefox, 1 GiB: {seconds:.1f} s to the download, memory rise {rise >> 20} MiB '
              f'(from {base >> 20} MiB)', flush=True)
        check(rise < MEMORY_LIMIT and sha256(downloads / 'page-big') == expected,
              f'Firefox: 1 GiB as the command line, memory rising by {rise >> 20} MiB < '
              f'{MEMORY_LIMIT >> 20} MiB')

        check(all(u.startswith(('blob:', 'data:')) for u in browser.late_requests),
              f'Firefox: no network request after load: {browser.late_requests}')
    finally:
        browser.process.terminate()
        browser.process.wait()
    sys.exit(f'firefox_test: {len(failures)} failures' if failures else 0)


if __name__ == '__main__':
    main()
