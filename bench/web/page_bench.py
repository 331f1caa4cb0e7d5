#!/usr/bin/python3
"""The page on a large file in headless Chromium: the time of a run from the click to the end,
and the memory of all the browser's processes meanwhile, through the save dialog (a file of the
origin's private file system) and through the download.

page_bench.py PAGE.html CLI WORK_DIR [MiB]"""
import os
import subprocess
import sys
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / 'tests' / 'web'))
import page_test  # noqa: E402  (the test's browser driver)


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


def measure(browser, source, save_dialog, work):
    settings = dict(step=1, value=90, start=0, slide=0, randomize=True)
    samples = []
    done = threading.Event()

    def sample():
        while not done.is_set():
            samples.append(browser_rss_mib(browser.process.pid))
            time.sleep(0.2)

    before = browser_rss_mib(browser.process.pid)
    sampler = threading.Thread(target=sample)
    started = time.monotonic()
    sampler.start()
    page_test.run_in_page(browser, source, settings, None if save_dialog else 'bench.bin')
    if not save_dialog:
        page_test.wait_download(browser)
    seconds = time.monotonic() - started
    done.set()
    sampler.join()
    size = source.stat().st_size
    print(f'{"save dialog" if save_dialog else "download   "}: {size >> 20} MiB in {seconds:.1f} s '
          f'(includes setting up the run), {size / seconds / 1e6:.0f} MB/s; browser memory '
          f'{before:.0f} MiB before, at most {max(samples):.0f} MiB during the run', flush=True)


def main():
    page, cli, work = sys.argv[1], sys.argv[2], Path(sys.argv[3])
    mib = int(sys.argv[4]) if len(sys.argv) > 4 else 1024
    source = page_test.make_file(work / 'bench-source.bin', mib << 20)
    downloads = work / 'downloads'
    downloads.mkdir(exist_ok=True)
    import http.server
    server = http.server.ThreadingHTTPServer(
        ('127.0.0.1', 0), lambda *a: http.server.SimpleHTTPRequestHandler(
            *a, directory=str(Path(page).parent)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f'http://127.0.0.1:{server.server_address[1]}/{Path(page).name}'
    browser = page_test.Browser(work / 'profile')
    try:
        browser.open(url, save_dialog=True, downloads=downloads)
        measure(browser, source, True, work)
        browser.open(url, save_dialog=False, downloads=downloads)
        measure(browser, source, False, work)
    finally:
        browser.close()
        server.shutdown()
        os.remove(source)


if __name__ == '__main__':
    main()
