// Loads the settings search's WebAssembly module and wraps it; shared by the page's worker and
// the tests under node. The module reads the file through its host, a piece at a time.
'use strict';

// moduleBytes: the .wasm file's bytes, or an already compiled WebAssembly.Module.
async function loadSearch(moduleBytes) {
    let memory = null;
    let host = null;  // the running search's read and progress
    const imports = {
        env: {
            pomuru_read_source(offset, at, length) {
                const bytes = host.read(offset, length);
                new Uint8Array(memory.buffer, at, bytes.length).set(bytes);
                return bytes.length;
            },
            pomuru_search_progress(done) {
                host.progress(done);
            },
        },
        wasi_snapshot_preview1: {
            proc_exit(code) {
                throw new Error(`settings search stopped (${code})`);
            },
            // Nanoseconds, for the search's time limit.
            clock_time_get(id, precision, resultAt) {
                new DataView(memory.buffer).setBigUint64(
                    resultAt, BigInt(Math.round(performance.now() * 1e6)), true);
                return 0;
            },
        },
    };
    const instance = await WebAssembly.instantiate(
        moduleBytes instanceof WebAssembly.Module
            ? moduleBytes
            : await WebAssembly.compile(moduleBytes),
        imports);
    const search = instance.exports;
    memory = search.memory;
    search._initialize();
    const decoder = new TextDecoder();

    return {
        // Searches a file of size bytes for up to seconds: read(offset, length) returns its
        // bytes there at once, progress(share) hears how far the search has come. The outcome:
        // {verdict, timedOut, found, laterBeginnings, answers: [{kind, value, step, start,
        // slide, randomize, confirmed, checksums}]}, or {error}.
        findSettings(size, read, progress, seconds) {
            host = { read, progress };
            try {
                const at = search.pomuru_find_settings(size, seconds);
                const bytes = new Uint8Array(memory.buffer, at);
                return JSON.parse(decoder.decode(bytes.subarray(0, bytes.indexOf(0))));
            } finally {
                host = null;
            }
        },
    };
}

if (typeof module !== 'undefined') {
    module.exports = { loadSearch };
}
