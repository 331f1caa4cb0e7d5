#!/usr/bin/python3
# The page in headless Chromium, driven through the DevTools protocol with simulated input.
# page_test.py PAGE.html CLI WORK_DIR; POMURU_TEST_SEED=N replays the printed seed of its files
import hashlib, http.server, json, os, random, subprocess, sys, threading, time
from functools import partial
from pathlib import Path

import websocket

PAGE, CLI, WORK = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve(), Path(sys.argv[3])
SEED = int(os.environ.get('POMURU_TEST_SEED') or time.time_ns() % 1000000)
print(f'page_test: seed {SEED}', flush=True)
FILES = random.Random(SEED)

TEXTS = json.loads(Path(PAGE.parent.parent, 'web', 'page_texts.json').read_text('utf-8'))
CAPTION = json.dumps(TEXTS['dialog']['caption'])
# The number boxes by the settings' names, in the template's order of edit boxes.
EDITS = [c['id'] for c in TEXTS['dialog']['controls'] if c['kind'] == 'edit']
BOX = {name: f'input.edit:nth-of-type({EDITS.index(id) + 1})'
       for name in ('value', 'step', 'start', 'slide') for id in [TEXTS['ids'][f'IDC_{name.upper()}']]}
RUN, CHOOSE_DEST = '.client > button:nth-of-type(1)', '.client > button:nth-of-type(3)'
DEST = f"input.edit:nth-of-type({EDITS.index(TEXTS['ids']['IDC_DEST_PATH']) + 1})"
# The save dialog answers with a file of the origin's private file system, which the test reads
# back; a page opened with ?download has no save dialog, as in browsers without one, and with
# ?download&memory its worker has no files of its own either, as in browsers without those. The
# titles are every caption the title shows, in order.
PAGE_HOOKS = '''if (location.search === '?download&memory') window.Blob = class extends Blob {
        constructor(parts, options) {
            super(options?.type === 'text/javascript' ? [
                'delete FileSystemFileHandle.prototype.createSyncAccessHandle;', ...parts] : parts,
                options);
        } };
    if (location.search.startsWith('?download')) delete window.showSaveFilePicker;
    else window.showSaveFilePicker = async () =>
        (await navigator.storage.getDirectory()).getFileHandle('saved', {create: true});
    window.titles = []; addEventListener('DOMContentLoaded', () => new MutationObserver((records) =>
        titles.push(...records.map((r) => r.addedNodes[0]?.textContent))).observe(
        document.querySelector('title'), {childList: 1}));'''
SAVED_DIGEST = '''(async () => {
    const directory = await navigator.storage.getDirectory();
    const file = await (await directory.getFileHandle('saved')).getFile();
    const hash = new Uint8Array(await crypto.subtle.digest('SHA-256', await file.arrayBuffer()));
    return [...hash].map(b => b.toString(16).padStart(2, '0')).join(''); })()'''
# The results the worker keeps in the origin's private file system, by size; null for a page
# from a local folder, which has no such file system.
TEMP_FILES = '''(async () => { const sizes = [];
    const directory = await navigator.storage.getDirectory().catch(() => null);
    if (!directory) return null;
    for await (const [name, handle] of directory.entries())
        if (name.startsWith('pomuru-run-')) sizes.push((await handle.getFile()).size);
    return sizes; })()'''
NOTE_SHOWN = '!document.querySelector(".in-memory-note").hidden'
failures = []


def random_file(path, size):
    with open(path, 'wb') as out:
        for done in range(0, size, 1 << 20):
            out.write(FILES.randbytes(min(1 << 20, size - done)))
    return path


def check(condition, what):
    print(('ok   ' if condition else 'FAIL ') + what, flush=True)
    failures.extend([] if condition else [what])


class Browser:
    # One headless Chromium and one page in it, over the browser's WebSocket.

    def __init__(self, profile, downloads):
        port_file = Path(profile, 'DevToolsActivePort')
        port_file.unlink(missing_ok=True)  # one left by an earlier browser names a dead port
        # Chromium refuses to run as root without --no-sandbox.
        self.process = subprocess.Popen(
            ['chromium', *(['--no-sandbox'] if os.geteuid() == 0 else []), '--headless=new',
             '--no-first-run', '--disable-gpu', '--remote-debugging-port=0',
             f'--user-data-dir={profile}', 'about:blank'],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        while len(port_file.read_text().split() if port_file.exists() else []) != 2:
            time.sleep(0.1)
        port, path = port_file.read_text().split()
        self.socket = websocket.create_connection(f'ws://127.0.0.1:{port}{path}', timeout=600)
        self.next_id, self.events, self.late_requests, self.loaded = 0, [], [], False
        target = self.call('Target.createTarget', url='about:blank')['targetId']
        self.session = self.call('Target.attachToTarget', targetId=target,
                                 flatten=True)['sessionId']
        for domain in ('Page', 'Network', 'Runtime', 'Log'):
            self.call(f'{domain}.enable', self.session)
        self.call('Page.addScriptToEvaluateOnNewDocument', self.session, source=PAGE_HOOKS)
        self.call('Browser.setDownloadBehavior', behavior='allow', downloadPath=str(downloads))

    def call(self, method, session=None, **params):
        self.next_id += 1
        self.socket.send(json.dumps({'id': self.next_id, 'method': method, 'params': params,
                                     **({'sessionId': session} if session else {})}))
        while True:
            reply = json.loads(self.socket.recv())
            if reply.get('id') == self.next_id:
                if 'error' in reply:
                    raise RuntimeError(f'{method}: {reply["error"]}')
                return reply.get('result', {})
            # A request, or one the page's policy stopped before it was made.
            params = reply.get('params', {})
            if self.loaded and (seen := params.get('request', {}).get('url') or (
                    'Content Security Policy' in str(params) and str(params))):
                self.late_requests.append(seen[:100])
            self.events.append(reply)

    def evaluate(self, expression):
        result = self.call('Runtime.evaluate', self.session, expression=expression,
                           awaitPromise=True, returnByValue=True)
        if 'exceptionDetails' in result:
            raise RuntimeError(f'{expression}: {result["exceptionDetails"]}')
        return result['result'].get('value')

    def wait_for(self, expression):
        # Until expression, in the page or a Python function, is true; ten minutes at most.
        for _ in range(12000):
            if value := expression() if callable(expression) else self.evaluate(expression):
                return value
            time.sleep(0.05)
        raise TimeoutError(f'{expression}: {[e for e in self.events if "exception" in str(e)]}')

    def open(self, url):
        self.loaded = False
        self.call('Page.navigate', self.session, url=url)
        self.wait_for('document.readyState === "complete" && !!document.querySelector(".client")')
        self.loaded = True

    def click(self, selector, button='left'):
        x, y = self.evaluate(f'''(() => {{ const r = document.querySelector({json.dumps(selector)})
            .getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; }})()''')
        for kind in ('mousePressed', 'mouseReleased'):
            self.call('Input.dispatchMouseEvent', self.session, type=kind, x=x, y=y,
                      button=button, clickCount=1)

    def type_into(self, selector, text):
        self.click(selector)
        self.call('Input.dispatchKeyEvent', self.session, type='keyDown', key='a', code='KeyA',
                  modifiers=2, commands=['selectAll'])
        self.call('Input.insertText', self.session, text=text)

    def press(self, key, modifiers=0):
        # A key as the keyboard sends it: Tab, Enter, Space, or a character typed.
        named = {'Tab': ('Tab', 9, ''), 'Enter': ('Enter', 13, '\r'), ' ': ('Space', 32, ' ')}
        code, vk, text = named[key] if key in named else ('', ord(key.upper()), key)
        for kind in ('keyDown' if text else 'rawKeyDown', 'keyUp'):
            self.call('Input.dispatchKeyEvent', self.session, type=kind, key=key, code=code,
                      windowsVirtualKeyCode=vk, modifiers=modifiers,
                      **({'text': text} if text and kind == 'keyDown' else {}))

    def choose_source(self, path):
        node = self.call('Runtime.evaluate', self.session,
                         expression='document.querySelector("input[type=file]")')['result']
        self.call('DOM.setFileInputFiles', self.session, files=[str(path)],
                  objectId=node['objectId'])
        self.wait_for(f'document.querySelector("input.edit").value === {json.dumps(path.name)}')

    def run(self, source, settings, dest_name=None):
        # Converts source with settings; dest_name names the download where there is no save dialog.
        self.choose_source(source)
        self.click(CHOOSE_DEST)
        if dest_name:
            self.call('Input.insertText', self.session, text=dest_name)
        self.wait_for(f'document.querySelector("{DEST}").value')  # the save dialog answers later
        for name in ('step', 'value', 'start', 'slide'):
            self.type_into(BOX[name], str(settings[name]))
        if self.evaluate('document.querySelector(".check-box input").checked') != \
                settings['randomize']:
            self.click('.check-box input')
        self.evaluate('titles.length = 0')
        self.click(RUN)
        self.wait_for(f'document.title === {CAPTION} && document.querySelector("progress").value === 1')


def sha256(path):
    with open(path, 'rb') as file:
        return hashlib.file_digest(file, 'sha256').hexdigest()


def serve():
    # The page's address on a server of its own, for the rest of the test.
    handler = partial(http.server.SimpleHTTPRequestHandler, directory=str(PAGE.parent))
    http.server.SimpleHTTPRequestHandler.log_message = lambda *arguments: None
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return f'http://127.0.0.1:{server.server_address[1]}/{PAGE.name}'


def accessibility(browser, url):
    # Every control is named as it is labelled: a button and the check box by their text, an
    # edit box by the label above it, as the window names them.
    browser.open(url)
    controls = TEXTS['dialog']['controls']
    roles = {'edit': 'textbox', 'button': 'button', 'defaultButton': 'button',
             'checkBox': 'checkbox'}
    expected = sorted([(roles[c['kind']], controls[c['labelledBy']]['text'] if c['kind'] == 'edit'
                        else c['text']) for c in controls if c['kind'] in roles] +
                      [('button', TEXTS['productName']), ('button', TEXTS['cancel']),
                       ('button', TEXTS['search']['find'])])
    browser.call('Accessibility.enable', browser.session)
    nodes = browser.call('Accessibility.getFullAXTree', browser.session)['nodes']
    browser.call('Accessibility.disable', browser.session)
    named = sorted((n['role']['value'], n.get('name', {}).get('value')) for n in nodes
                   if not n['ignored'] and n['role']['value'] in set(roles.values()))
    check(named == expected, f'every control named as labelled: {named}')

    # Tab goes through the window's controls in the template's order, then the page's own.
    order = []
    for _ in range(30):
        browser.press('Tab')
        order.append(browser.evaluate(
            '(({className, parentElement}) => parentElement.matches(".client, .check-box") ? '
            '[...document.querySelector(".client").children].indexOf('
            'document.activeElement.closest(".control")) : className)(document.activeElement)'))
        if order[-1] == 0:
            break
    tab_stops = [i for i, c in enumerate(controls) if c['kind'] in roles]
    check([o for o in order if o != ''] == [*tab_stops[1:], 'find-settings',
                                            'system-menu-button', 0],
          f'Tab reaches every control in order: {order}')


def out_of_room(browser, url, source):
    # A result from a run that crashed is removed; a run out of room says so and keeps nothing,
    # rather than download a part.
    browser.evaluate('''navigator.storage.getDirectory().then((d) => d.getFileHandle(
        'pomuru-run-crashed', {create: true})).then(async (h) => {
            const w = await h.createWritable(); await w.write('crashed'); await w.close(); })''')
    browser.open(url)
    origin = browser.evaluate('location.origin')
    usage = browser.evaluate('navigator.storage.estimate().then((e) => e.usage)')
    browser.call('Storage.overrideQuotaForOrigin', browser.session, origin=origin,
                 quotaSize=usage + (4 << 20))
    try:
        browser.choose_source(source)
        browser.click(CHOOSE_DEST)
        browser.call('Input.insertText', browser.session, text='no-room')
        browser.click(RUN)
        # The message, or the end of a run that should have failed.
        text = browser.wait_for(f'''document.querySelector("dialog .message-text")?.textContent ||
            document.title === {CAPTION} && document.querySelector("progress").value === 1 &&
            "no message"''')
    finally:
        browser.call('Storage.overrideQuotaForOrigin', browser.session, origin=origin)
    words = TEXTS['fileErrors']
    kept = browser.evaluate(TEMP_FILES)
    check(text == f"{words['write'].replace('%1', 'no-room')}\n{words['reasons']['ENOSPC']}" and
          kept == [] and not any(WORK.glob('no-room*')),
          f'out of room: the write\'s message, no download, nothing kept: "{text}", {kept}')
    if text != 'no message':
        browser.click('dialog button')
        browser.wait_for('!document.querySelector("dialog")')


def keys_only(browser, url, source):
    # A conversion with the keyboard alone: Space on the chooser, Enter on the buttons, the
    # boxes typed into as Tab reaches them.
    browser.open(url)
    browser.call('Page.setInterceptFileChooserDialog', browser.session, enabled=True)
    settings = dict(step=3, value=57, start=1, slide=2, randomize=True)
    browser.press('Tab')
    browser.press('Tab')
    browser.press(' ')
    # Events are read with the replies: each look asks the page something.
    chooser = browser.wait_for(lambda: browser.evaluate('1') and next(
        (e for e in browser.events if e.get('method') == 'Page.fileChooserOpened'), None))
    browser.call('DOM.setFileInputFiles', browser.session, files=[str(source)],
                 backendNodeId=chooser['params']['backendNodeId'])
    browser.wait_for(f'document.querySelector("input.edit").value === {json.dumps(source.name)}')
    browser.press('Tab')
    browser.press('Tab')
    browser.press('Enter')
    for key in 'keys-only':
        browser.press(key)
    browser.press('Tab')
    for name in ('value', 'step', 'start', 'slide'):
        browser.press('Tab')
        for key in str(settings[name]):
            browser.press(key)
    browser.press('Tab')
    browser.press(' ')
    for _ in range(5):
        browser.press('Tab')
    browser.press('Enter')
    browser.wait_for((WORK / 'keys-only').exists)
    subprocess.run([CLI, *[f'--{name}={settings[name]}' for name in BOX], '--randomize', source,
                    WORK / 'native'], check=True)
    check(sha256(WORK / 'keys-only') == sha256(WORK / 'native'),
          'a conversion with the keyboard alone, as the command line')


def main():
    served = serve()
    browser = Browser(WORK / 'profile', WORK)
    try:
        # From a local folder and served, through the download and through the save dialog; an
        # empty file, one of a few pieces, and one over 256 MiB. Rows of one address share the
        # page, so that a run follows another.
        for url, size, step, value, start, slide, randomize in [
                (PAGE.as_uri() + '?download', 70000, 5, 33, 0, 9, True),
                (served + '?download', (300 << 20) + 3, 1, 90, 0, 0, True),
                (served + '?download', 0, 0, 7, 0, 0, False),
                (served + '?download&memory', 70001, 3, 12, 1, 0, True),
                (served, (20 << 20) + 5, 2, -300, 3, 7, True)]:
            settings = dict(step=step, value=value, start=start, slide=slide, randomize=randomize)
            if url != browser.evaluate('location.href'):
                browser.open(url)
            source = random_file(WORK / f'source-{size}', size)
            kept_before = browser.evaluate(TEMP_FILES)
            subprocess.run([CLI, *[f'--{name}={settings[name]}' for name in BOX],
                            *(['--randomize'] * randomize), source, WORK / 'native'], check=True)
            browser.run(source, settings, None if url == served else f'page-{size}')
            # A download takes its name only when it is complete.
            digest = browser.evaluate(SAVED_DIGEST) if url == served else \
                browser.wait_for((WORK / f'page-{size}').exists) and sha256(WORK / f'page-{size}')
            check(digest == sha256(WORK / 'native'),
                  f'{size} bytes, {settings}, {url[:4]}, {url.split("/")[-1]}: as the command line')
            # Downloaded from a file on disk, the last result's alone; in memory, and said so,
            # only where the page has no such files (from a local folder, or without the API).
            kept, note = browser.evaluate(TEMP_FILES), browser.evaluate(NOTE_SHOWN)
            if url.startswith('http') and url.endswith('?download'):
                check(kept == [size] and not note, f'the result alone kept on disk: {kept}')
            else:
                check(note == ('?download' in url) and kept == kept_before,
                      f'in memory said so only without files: {note}, {kept}')
            # However short the run, both wait captions show, the first at once: a short run
            # shows exactly the running caption, the two wait captions and the dialog's again.
            titles = browser.evaluate('titles')
            turns = [TEXTS['waitCaption'], TEXTS['waitElsewhereCaption']] * len(titles)
            check(titles == [TEXTS['runningCaption'], *turns[:max(2, len(titles) - 2)],
                             TEXTS['dialog']['caption']] and (size < 256 << 20 or len(titles) > 4),
                  f'the running caption, then the two wait captions in turn: {titles}')
            if size > 256 << 20:
                big = source

        # A cancelled run through the save dialog leaves the chosen file as it was.
        browser.choose_source(big)
        browser.click(RUN)
        browser.wait_for('document.querySelector("progress").value > 0')
        browser.click('.run-strip button')
        browser.wait_for(f'document.title === {CAPTION}')
        check(browser.evaluate(SAVED_DIGEST) == digest, 'a cancelled run leaves the file as it was')

        # A source gone before the run: as in the window, the captions until the failure, the
        # dialog's again, then the message; the chosen file is left as it was.
        (gone := WORK / 'gone').write_bytes(b'gone')
        browser.choose_source(gone)
        gone.unlink()
        browser.evaluate('titles.length = 0')
        browser.click(RUN)
        text = browser.wait_for('document.querySelector("dialog .message-text")?.textContent')
        titles = browser.evaluate('titles')
        check(text.startswith(TEXTS['fileErrors']['read'].replace('%1', 'gone')) and
              titles == [TEXTS['runningCaption'], TEXTS['waitCaption'], TEXTS['dialog']['caption']] and
              browser.evaluate(SAVED_DIGEST) == digest,
              f'a failed run: {titles}, "{text}", the file as it was')
        browser.click('dialog button')
        browser.wait_for('!document.querySelector("dialog")')

        # A box without an integer: the window's message, then that box selected.
        browser.type_into(BOX['start'], '１．５')
        browser.click(RUN)
        text = browser.wait_for('document.querySelector("dialog .message-text")?.textContent')
        check(text == TEXTS['notAnInteger'], f'a box without an integer gets the window\'s message: {text}')
        browser.click('dialog button')
        focused = browser.wait_for('!document.querySelector("dialog") && (({value, selectionStart: '
                                   'from, selectionEnd: to}) => [value, from, to])(document.activeElement)')
        check(focused == ['１．５', 0, 3], f'the box at fault is focused and selected: {focused}')

        # The search beside the dialog finds what scrambled a PNG, and fills the boxes with it.
        sys.path.insert(0, str(Path(__file__).parents[2] / 'bench'))
        import sample_files
        (original := WORK / 'original.png').write_bytes(sample_files.png(random.Random(1)))
        subprocess.run([CLI, '--value=90', '--step=3', '--start=5', '--randomize', original,
                        scrambled := WORK / 'scrambled.pmr'], check=True)
        browser.choose_source(scrambled)
        browser.click('.find-settings')
        found = browser.wait_for('document.querySelector(".search-answers li")?.textContent')
        status = browser.evaluate('document.querySelector(".search-status").textContent')
        browser.click('.search-answers button')
        boxes = browser.evaluate(f'[{", ".join(f"document.querySelector({json.dumps(BOX[name])}).value" for name in ("value", "step", "start", "slide"))}, document.querySelector(".check-box input").checked]')
        check(status == '設定が見つかりました。' and boxes == ['90', '3', '5', '0', True],
              f'the search finds the settings and fills the boxes: "{status}", "{found}", {boxes}')

        # The About box from the context menu.
        browser.click('.client', button='right')
        browser.click('.menu-item')
        caption = browser.wait_for('document.querySelector("dialog .title")?.textContent')
        check(caption == TEXTS['about']['caption'], f'the About box opens: {caption}')

        accessibility(browser, served + '?download')
        out_of_room(browser, served + '?download', WORK / f'source-{(20 << 20) + 5}')
        keys_only(browser, served + '?download', WORK / 'source-70001')

        check(all(u.startswith(('blob:', 'data:')) for u in browser.late_requests),
              f'no network request after load: {browser.late_requests}')
    finally:
        browser.process.terminate()
        browser.process.wait()
    sys.exit(f'page_test: {len(failures)} failures' if failures else 0)


if __name__ == "__main__":
    main()
