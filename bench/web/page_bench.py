#!/usr/bin/python3
"""The page on a large file in headless Chromium.

Runs: the time of a run from the click to the end, and the memory of all the browser's processes
meanwhile, through the save dialog (a file of the origin's private file system) and through the
download; each several times, with the median.

Stages (--stages): where the time goes, measured in a worker of the page with the page's own
core: reading the file alone, reading and converting, reading and writing through a writable
file, and reading into blobs as the download does, with pieces of several sizes.

page_bench.py PAGE.html CLI WORK_DIR [MiB] [--runs N] [--only save|download]
                                         [--stages [--pieces MiB...]]"""
import argparse
import http.server
import json
import os
import statistics
import subprocess
import sys
import threading
import time
from functools import partial
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / 'tests' / 'web'))
import page_test  # noqa: E402  (the test's browser driver)

SETTINGS = dict(step=1, value=90, start=0, slide=0, randomize=True)

# Appended to the page's worker source: the same core, but each stage timed on its own.
STAGES_WORKER = r'''
onmessage = async ({ data: { file, piece } }) => {
    const core = await corePromise;
    const converter = core.createConverter(
        { step: 1, value: 90, start: 0, slide: 0, randomize: true }, 8 << 20);
    const pass = async (perPiece, finish) => {
        const started = performance.now();
        let next = file.slice(0, piece).arrayBuffer();
        for (let done = 0; done < file.size;) {
            const bytes = new Uint8Array(await next);
            const at = done;
            done += bytes.length;
            next = done < file.size ? file.slice(done, done + piece).arrayBuffer() : null;
            await perPiece(bytes, at);
        }
        await finish?.();
        return (performance.now() - started) / 1000;
    };
    const root = await navigator.storage.getDirectory();
    const writable = async () =>
        (await root.getFileHandle('stages', { create: true })).createWritable();
    const results = {};
    results['read'] = await pass(() => {});
    results['read, convert'] = await pass((bytes, at) => converter.convertInPlace(bytes, at + 1));
    let out = await writable();
    results['read, write each awaited'] = await pass((bytes) => out.write(bytes), () => out.close());
    out = await writable();
    const pending = [];
    results['read, write not awaited'] = await pass((bytes) => { pending.push(out.write(bytes)); },
        async () => { await Promise.all(pending); await out.close(); });
    const parts = [];
    results['read, blob parts'] = await pass((bytes) => { parts.push(new Blob([bytes])); },
        async () => { const blob = new Blob(parts); await blob.slice(blob.size - 1).arrayBuffer(); });
    postMessage(results);
};
'''


def browser_rss_mib(root_pid):
    """Resident memory of the browser and all its descendants."""
    children = subprocess.run(['ps', '-o', 'pid=,ppid=,rss=', '-A'], capture_output=True,
                              text=True).stdout.split()
    rows = [tuple(map(int, children[i:i + 3])) for i in range(0, len(children), 3)]
    tree, total, grown = {root_pid}, 0, True
    while grown:
        grown = False
        for pid, ppid, _ in rows:
            if ppid in tree and pid not in tree:
                tree.add(pid)
                grown = True
    for pid, _, rss in rows:
        if pid in tree:
            total += rss
    return total / 1024


def measure(browser, url, source, save_dialog, work):
    """One run: seconds, and the browser's memory before and at most during it."""
    # A fresh page each time: choosing the same file again counts as no choice.
    browser.open(url if save_dialog else url + '?download')
    samples = []
    done = threading.Event()

    def sample():
        while not done.is_set():
            samples.append(browser_rss_mib(browser.process.pid))
            time.sleep(0.2)

    before = browser_rss_mib(browser.process.pid)
    sampler = threading.Thread(target=sample)
    (work / 'bench.bin').unlink(missing_ok=True)
    started = time.monotonic()
    sampler.start()
    browser.run(source, SETTINGS, None if save_dialog else 'bench.bin')
    if not save_dialog:
        browser.wait_for((work / 'bench.bin').exists)
    seconds = time.monotonic() - started
    done.set()
    sampler.join()
    return seconds, before, max(samples)


def load():
    return 'load average ' + ', '.join(f'{x:.2f}' for x in os.getloadavg())


def stages(browser, source, pieces_mib):
    browser.choose_source(source)
    for mib in pieces_mib:
        results = browser.evaluate(f'''new Promise((resolve, reject) => {{
            const code = document.getElementById('worker-source').textContent
                + {json.dumps(STAGES_WORKER)};
            const worker = new Worker(URL.createObjectURL(new Blob([code],
                {{ type: 'text/javascript' }})));
            worker.onmessage = ({{ data }}) => {{ worker.terminate(); resolve(data); }};
            worker.onerror = (event) => reject(new Error(event.message));
            worker.postMessage({{ file: document.querySelector('input[type=file]').files[0],
                                  piece: {mib} << 20 }});
        }})''')
        size = source.stat().st_size
        for stage, seconds in results.items():
            print(f'{mib:3} MiB pieces, {stage:25}: {seconds:5.1f} s, '
                  f'{size / seconds / 1e6:4.0f} MB/s', flush=True)
        print(load(), flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('page')
    parser.add_argument('cli')
    parser.add_argument('work', type=Path)
    parser.add_argument('mib', type=int, nargs='?', default=1024)
    parser.add_argument('--runs', type=int, default=3)
    parser.add_argument('--stages', action='store_true')
    parser.add_argument('--pieces', type=int, nargs='+', default=[8, 32], help='MiB, for --stages')
    parser.add_argument('--only', choices=['save', 'download'])
    arguments = parser.parse_args()
    work = arguments.work
    source = work / 'bench-source.bin'
    with open(source, 'wb') as f:
        for _ in range(arguments.mib):
            f.write(os.urandom(1 << 20))
    page = Path(arguments.page).resolve()
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), partial(
        http.server.SimpleHTTPRequestHandler, directory=str(page.parent)))
    http.server.SimpleHTTPRequestHandler.log_message = lambda *arguments: None
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f'http://127.0.0.1:{server.server_address[1]}/{page.name}'
    browser = page_test.Browser(work / 'profile', work)
    size = source.stat().st_size
    try:
        print(load(), flush=True)
        if arguments.stages:
            browser.open(url)
            stages(browser, source, arguments.pieces)
            return
        for save_dialog in (True, False):
            if arguments.only and arguments.only != ('save' if save_dialog else 'download'):
                continue
            runs = [measure(browser, url, source, save_dialog, work)
                    for _ in range(arguments.runs)]
            for seconds, before, most in runs:
                print(f'  {seconds:.1f} s, browser memory {before:.0f} MiB before, '
                      f'at most {most:.0f} MiB during the run', flush=True)
            median = statistics.median(seconds for seconds, _, _ in runs)
            print(f'{"save dialog" if save_dialog else "download"}: {size >> 20} MiB, median '
                  f'{median:.1f} s ({size / median / 1e6:.0f} MB/s, from the click, setting up '
                  f'included); {load()}', flush=True)
    finally:
        browser.socket.close()
        browser.process.terminate()
        browser.process.wait()
        server.shutdown()
        source.unlink()


if __name__ == '__main__':
    main()
