// Loads the conversion core's WebAssembly module and wraps its C functions; shared by the page's
// worker and the tests under node.
'use strict';

// The core asks its host for nothing but a way to stop, which only a failed allocation takes.
function coreImports() {
    return {
        wasi_snapshot_preview1: {
            proc_exit(code) {
                throw new Error(`conversion core stopped (${code})`);
            },
        },
    };
}

// moduleBytes: the .wasm file's bytes, or an already compiled WebAssembly.Module.
async function loadCore(moduleBytes) {
    const instance = await WebAssembly.instantiate(
        moduleBytes instanceof WebAssembly.Module
            ? moduleBytes
            : await WebAssembly.compile(moduleBytes),
        coreImports());
    const core = instance.exports;
    core._initialize();
    const encoder = new TextEncoder();

    return {
        fastestUnit: core.pomuru_fastest_unit(),

        // settings: {step, value, start, slide, randomize}; unit: a VectorUnit, -1 the fastest.
        createConverter(settings, blockSize, unit = -1) {
            const handle = core.pomuru_converter_create(settings.step, settings.value,
                settings.start, settings.slide, settings.randomize ? 1 : 0, blockSize, unit);
            // The memory never grows, so this view stays valid for the converter's life.
            const block = new Uint8Array(core.memory.buffer,
                core.pomuru_converter_block(handle), blockSize);
            return {
                block,
                // Converts block[0 .. size) standing at 1-based positions firstPosition on.
                convert(size, firstPosition) {
                    core.pomuru_converter_convert(handle, size, firstPosition);
                },
                // Converts bytes of any length, which stand at positions firstPosition on, in
                // place, a block at a time: the caller's buffer can then be handed on as it is.
                convertInPlace(bytes, firstPosition) {
                    for (let at = 0; at < bytes.length; at += blockSize) {
                        const part = bytes.subarray(at, at + blockSize);
                        block.set(part);
                        core.pomuru_converter_convert(handle, part.length, firstPosition + at);
                        part.set(block.subarray(0, part.length));
                    }
                },
                destroy() {
                    core.pomuru_converter_destroy(handle);
                },
            };
        },

        // A number box's text as the window reads it: the integer, or null.
        parseInteger(text) {
            const utf8 = encoder.encode(text);
            // The result after the text, on a 4-byte boundary.
            const resultOffset = (utf8.length + 3) & ~3;
            const textAt = core.malloc(resultOffset + 4);
            try {
                new Uint8Array(core.memory.buffer, textAt, utf8.length).set(utf8);
                const resultAt = textAt + resultOffset;
                if (!core.pomuru_parse_integer(textAt, utf8.length, resultAt)) {
                    return null;
                }
                return new DataView(core.memory.buffer).getInt32(resultAt, true);
            } finally {
                core.free(textAt);
            }
        },
    };
}

if (typeof module !== 'undefined') {
    module.exports = { loadCore };
}
