// The page's worker: reads the source in pieces, converts them with the WebAssembly core and
// writes them out, so that memory does not grow with the file and the page never waits.
// Follows core.js; CORE_MODULES holds the two builds of the core, base64-encoded.
'use strict';

// Enough to keep the core's loops busy and few enough calls; the module's memory is 16 MiB.
const PIECE_SIZE = 8 * 1024 * 1024;

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

let cancelRequested = false;

// Where the converted pieces go: the file the user picked, or parts of a download.
async function openSink(handle) {
    if (handle) {
        // The browser writes to a copy and replaces the file only at close: a failed or
        // cancelled run leaves the chosen file as it was.
        const writable = await handle.createWritable();
        return {
            write: (bytes) => writable.write(bytes),
            close: async () => {
                await writable.close();
                return null;
            },
            abort: () => writable.abort().catch(() => {}),
        };
    }
    // Blobs may be kept on disk by the browser, so the parts need not stay in memory.
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
    const converter = core.createConverter(settings, PIECE_SIZE);
    try {
        // The next piece is read while this one is converted and written.
        let next = file.size > 0 ? file.slice(0, PIECE_SIZE).arrayBuffer() : null;
        let pendingWrite = null;
        for (let done = 0; done < file.size;) {
            let piece;
            try {
                piece = new Uint8Array(await next);
            } catch (error) {
                throw new FileStepError('read', error);
            }
            const following = done + piece.length;
            next = following < file.size
                ? file.slice(following, following + PIECE_SIZE).arrayBuffer() : null;
            // Read errors of a piece not awaited are reported when its turn comes.
            next?.catch(() => {});
            converter.block.set(piece);
            converter.convert(piece.length, done + 1);
            // One write at a time, under way while the next piece is read and converted; the
            // piece is copied out, since the block is reused.
            await finishWrite(pendingWrite);
            pendingWrite = sink.write(converter.block.slice(0, piece.length));
            pendingWrite.catch(() => {});
            done = following;
            if (cancelRequested) {
                await sink.abort();
                postMessage({ type: 'cancelled' });
                return;
            }
            postMessage({ type: 'progress', done, total: file.size });
        }
        await finishWrite(pendingWrite);
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
        await convert(data);
    } catch (error) {
        postMessage({
            type: 'failed',
            action: error.action ?? 'convert',
            name: (error.cause ?? error).name,
            message: (error.cause ?? error).message,
        });
    }
};
