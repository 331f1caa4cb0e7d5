// The page's worker: reads the source in pieces, converts them with the WebAssembly core and
// writes them out, so that memory does not grow with the file and the page never waits; and
// searches a file for forgotten settings. Follows core.js and search.js; CORE_MODULES holds the
// two builds of the core and the search, base64-encoded.
'use strict';

// Pieces as the file is read and written: large, since every read and write of the browser's
// file access costs a round trip through its storage processes whatever its size.
const PIECE_SIZE = 32 * 1024 * 1024;
// What the core converts at a time; its memory is 16 MiB.
const BLOCK_SIZE = 8 * 1024 * 1024;
// Writes under way at once, each holding its piece: memory stays at a few pieces whatever the
// file's size, while the storage processes always have the next piece to write.
const WRITES_IN_FLIGHT = 2;

function decodeBase64(text) {
    const binary = atob(text);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
}

// The vector build where the browser has WebAssembly's 128-bit vectors, the plain one elsewhere.
const corePromise = (async () => {
    let module;
    try {
        module = await WebAssembly.compile(decodeBase64(CORE_MODULES.simd));
    } catch {
        module = await WebAssembly.compile(decodeBase64(CORE_MODULES.scalar));
    }
    return loadCore(module);
})();

// The search's module, made when first asked for.
let searchPromise = null;
// How long the search may take, as the command line's default.
const SEARCH_SECONDS = 20;

async function findSettings({ file }) {
    searchPromise ??= WebAssembly.compile(decodeBase64(CORE_MODULES.search)).then(loadSearch);
    const search = await searchPromise;
    // Read by position as the search asks, synchronously: the search runs without pause here.
    const reader = new FileReaderSync();
    let result;
    try {
        result = search.findSettings(
            file.size,
            (offset, length) => new Uint8Array(
                reader.readAsArrayBuffer(file.slice(offset, offset + length))),
            (done) => postMessage({ type: 'searchProgress', done }),
            SEARCH_SECONDS);
    } catch (error) {
        // A failed read ends the search inside the module: the next search starts afresh.
        searchPromise = null;
        throw new FileStepError('read', error);
    }
    postMessage({ type: 'found', result, seconds: SEARCH_SECONDS });
}

let cancelRequested = false;

// Without a save dialog the result is written to a file of the origin's private file system and
// handed to the download from there, so that it is kept on disk, not in memory, in every browser.
// Each run's file has a name of its own, held by a lock as long as this page may still need it:
// what no page holds is left from an earlier page or a crash, and goes.
const TEMP_PREFIX = 'pomuru-run-';
const tempDirectory = (async () => {
    try {
        if (typeof FileSystemFileHandle?.prototype.createSyncAccessHandle !== 'function') return null;
        const directory = await navigator.storage.getDirectory();
        await removeStaleFiles(directory);
        return directory;
    } catch {
        // A browser that keeps no such files here (a private window, say) holds the result in
        // memory.
        return null;
    }
})();
tempDirectory.then((directory) => postMessage({ type: 'storage', onDisk: directory !== null }));

async function removeStaleFiles(directory) {
    const held = new Set((await navigator.locks.query()).held.map((lock) => lock.name));
    for await (const name of directory.keys()) {
        if (name.startsWith(TEMP_PREFIX) && !held.has(name)) {
            await directory.removeEntry(name).catch(() => {});
        }
    }
}

// The file of the last result handed to the download: kept until the next result is, or the
// page goes, since the download may still be reading it.
let lastResult = null;

async function holdTempFile(directory) {
    const name = `${TEMP_PREFIX}${crypto.randomUUID()}`;
    let release;
    const released = new Promise((resolve) => {
        release = resolve;
    });
    await new Promise((held) => {
        navigator.locks.request(name, () => {
            held();
            return released;
        });
    });
    return {
        name,
        remove: async () => {
            await directory.removeEntry(name).catch(() => {});
            release();
        },
    };
}

async function openTempSink(directory) {
    const temp = await holdTempFile(directory);
    let access;
    try {
        const handle = await directory.getFileHandle(temp.name, { create: true });
        access = await handle.createSyncAccessHandle();
        let at = 0;
        return {
            write: async (bytes) => {
                const written = access.write(bytes, { at });
                at += written;
                // A write cut short has run out of room; the download must not be truncated.
                if (written !== bytes.length) {
                    throw new DOMException('', 'QuotaExceededError');
                }
            },
            close: async () => {
                access.flush();
                access.close();
                access = null;
                // Typed as the blobs are, so that the download keeps its name as given; a slice
                // still reads from the file on disk.
                const file = await handle.getFile();
                await lastResult?.remove();
                lastResult = temp;
                return file.slice(0, file.size, 'application/octet-stream');
            },
            abort: async () => {
                access?.close();
                await temp.remove();
            },
        };
    } catch (error) {
        access?.close();
        await temp.remove();
        throw error;
    }
}

// Where the converted pieces go: the file the user picked, or a file to download.
async function openSink(handle) {
    if (handle) {
        // The browser writes to a copy and replaces the file only at close: a failed or
        // cancelled run leaves the chosen file as it was.
        // One writer for the run, so that writes queue up in order.
        const writer = (await handle.createWritable()).getWriter();
        return {
            write: (bytes) => writer.write(bytes),
            close: async () => {
                await writer.close();
                return null;
            },
            abort: () => writer.abort().catch(() => {}),
        };
    }
    const directory = await tempDirectory;
    if (directory) return openTempSink(directory);
    // Where there is no such file, parts of a blob, which the page says are held in memory.
    const parts = [];
    return {
        write: async (bytes) => {
            parts.push(new Blob([bytes]));
        },
        close: async () => new Blob(parts, { type: 'application/octet-stream' }),
        abort: async () => {
            parts.length = 0;
        },
    };
}

class FileStepError extends Error {
    constructor(action, cause) {
        super(cause.message);
        this.action = action;
        this.cause = cause;
    }
}

async function finishWrite(write) {
    try {
        await write;
    } catch (error) {
        throw new FileStepError('write', error);
    }
}

async function convert({ file, handle, texts, randomize }) {
    const core = await corePromise;
    // In the window's order of exchange; the first box without an integer is reported.
    const values = [];
    for (let i = 0; i < texts.length; ++i) {
        const value = core.parseInteger(texts[i]);
        if (value === null) {
            postMessage({ type: 'notInteger', box: i });
            return;
        }
        values.push(value);
    }
    const [step, value, start, slide] = values;
    const settings = { step, value, start, slide, randomize };

    let sink;
    try {
        sink = await openSink(handle);
    } catch (error) {
        throw new FileStepError('openWrite', error);
    }
    postMessage({ type: 'started', values });
    const converter = core.createConverter(settings, BLOCK_SIZE);
    const read = (from) => {
        const piece = file.slice(from, from + PIECE_SIZE).arrayBuffer();
        // Read errors of a piece not awaited yet are reported when its turn comes.
        piece.catch(() => {});
        return piece;
    };
    try {
        // The next piece is read while this one is converted, and earlier ones are written.
        let next = file.size > 0 ? read(0) : null;
        const writes = [];
        for (let done = 0; done < file.size;) {
            let piece;
            try {
                piece = new Uint8Array(await next);
            } catch (error) {
                throw new FileStepError('read', error);
            }
            const following = done + piece.length;
            next = following < file.size ? read(following) : null;
            // Converted where it was read, and handed to the write as it is: no copies beyond
            // the core's own block.
            converter.convertInPlace(piece, done + 1);
            if (writes.length === WRITES_IN_FLIGHT) await finishWrite(writes.shift());
            const write = sink.write(piece);
            write.catch(() => {});
            writes.push(write);
            done = following;
            if (cancelRequested) {
                await sink.abort();
                postMessage({ type: 'cancelled' });
                return;
            }
            postMessage({ type: 'progress', done, total: file.size });
        }
        for (const write of writes) await finishWrite(write);
        let blob;
        try {
            blob = await sink.close();
        } catch (error) {
            throw new FileStepError('close', error);
        }
        postMessage({ type: 'done', blob });
    } catch (error) {
        await sink.abort();
        throw error;
    } finally {
        converter.destroy();
    }
}

onmessage = async ({ data }) => {
    if (data.type === 'cancel') {
        cancelRequested = true;
        return;
    }
    cancelRequested = false;
    try {
        await (data.type === 'find' ? findSettings(data) : convert(data));
    } catch (error) {
        postMessage({
            type: 'failed',
            action: error.action ?? 'convert',
            name: (error.cause ?? error).name,
            message: (error.cause ?? error).message,
        });
    }
};
