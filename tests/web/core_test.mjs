// The WebAssembly core under node: byte-identical to the native command line on random settings,
// sizes and piece boundaries, to the rule at positions far beyond 2^31, and reading numbers as
// the window does; and the settings search's module finding what scrambled a PNG.
// node core_test.mjs WEB_BUILD_DIR CLI [SEED]; POMURU_TEST_SEED=N replays a seed as well
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';

const [webBuild, cli, seedArgument] = process.argv.slice(2);
const require = createRequire(import.meta.url);
const { loadCore } = require('../../web/core.js');
const { loadSearch } = require('../../web/search.js');
const seed = Number(seedArgument ?? process.env.POMURU_TEST_SEED ?? Date.now() % 1000000);
console.log(`core_test: seed ${seed}`);

// A small seeded generator, so that a failing seed can be run again.
let state = seed >>> 0;
function random32() {
    state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
    return (state ^ (state >>> 15)) >>> 0;
}
const below = (n) => random32() % n;
const pick = (list) => list[below(list.length)];

const INT_MIN = -2147483648;
const INT_MAX = 2147483647;
function randomSetting() {
    return pick([0, 1, -1, 2, 3, 7, 255, 256, -256, 32767, 32768, -32769, INT_MIN, INT_MAX,
        below(64) - 32, below(70000) - 35000, (random32() | 0)]);
}
function randomSettings() {
    return {
        step: pick([randomSetting(), below(5), 1]), value: randomSetting(),
        start: pick([randomSetting(), below(300)]), slide: pick([randomSetting(), below(300)]),
        randomize: below(3) !== 0,
    };
}
const edgeSizes = [0, 1, 15, 16, 17, 31, 32, 33, 4095, 4096, 4097, 131071, 131072, 131073];

// The rule itself, byte by byte, for positions no file here reaches.
function referenceMask(settings, position) {
    let mask = settings.value;
    if (settings.randomize && settings.value !== 0) {
        // Reduced first: the plain sum may pass 2^53, where doubles lose units.
        const seedValue = (settings.step + settings.start + settings.slide + position % 2 ** 32) >>> 0;
        const generated = ((Math.imul(seedValue, 214013) + 2531011) >>> 16) & 0x7FFF;
        mask ^= generated % settings.value;
    }
    return mask & 0xFF;
}
function referenceChosen(settings, position) {
    if (settings.step <= 0) return position >= Math.max(1, settings.start);
    const first = Math.max(settings.start, Math.max(1, settings.slide) + settings.step - 1);
    return position >= first && (position - first) % settings.step === 0;
}

function nativeConversion(folder, input, settings) {
    const source = path.join(folder, 'source');
    const dest = path.join(folder, 'dest');
    fs.writeFileSync(source, input);
    execFileSync(cli, [`--step=${settings.step}`, `--value=${settings.value}`,
        `--start=${settings.start}`, `--slide=${settings.slide}`,
        ...(settings.randomize ? ['--randomize'] : []), source, dest]);
    return fs.readFileSync(dest);
}

// Converts input in pieces of random sizes, some over several blocks, as the worker converts a
// file.
function wasmConversion(core, input, settings, unit, blockSize) {
    const converter = core.createConverter(settings, blockSize, unit);
    const output = Buffer.from(input);
    try {
        for (let done = 0; done < input.length;) {
            const size = Math.min(input.length - done, 1 + below(3 * blockSize));
            converter.convertInPlace(output.subarray(done, done + size), done + 1);
            done += size;
        }
    } finally {
        converter.destroy();
    }
    return output;
}

let failures = 0;
function check(condition, what) {
    if (!condition) {
        failures += 1;
        if (failures <= 10) console.error(`FAIL (seed ${seed}): ${what}`);
    }
}

const cores = {};
for (const variant of ['scalar', 'simd']) {
    cores[variant] = await loadCore(fs.readFileSync(path.join(webBuild, `pomuru-core-${variant}.wasm`)));
}
check(cores.simd.fastestUnit !== 0, 'the SIMD build picks its vector loops');
check(cores.scalar.fastestUnit === 0, 'the scalar build uses the portable loops');

const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'pomuru-web-core-'));
try {
    const cases = Number(process.env.POMURU_WEB_CORE_CASES ?? 300);
    for (let i = 0; i < cases; ++i) {
        const settings = randomSettings();
        const size = i < edgeSizes.length * 2 ? edgeSizes[i % edgeSizes.length] : below(300000);
        const input = Buffer.alloc(size);
        for (let j = 0; j < size; ++j) input[j] = random32() & 0xFF;
        const expected = nativeConversion(folder, input, settings);
        const blockSize = pick([16, 100, 4096, 65536, 1 << 20]);
        for (const [variant, core] of Object.entries(cores)) {
            for (const unit of new Set([0, core.fastestUnit])) {
                const actual = wasmConversion(core, input, settings, unit, blockSize);
                check(actual.equals(expected),
                    `${variant} unit ${unit} differs from the command line for ` +
                    `${JSON.stringify(settings)}, ${size} bytes, pieces up to ${blockSize}`);
            }
        }
    }
} finally {
    fs.rmSync(folder, { recursive: true, force: true });
}

// Positions near 2^31, 2^32, 2^40 and 2^53 - 2^16: one piece each, against the rule.
for (const around of [2 ** 31, 2 ** 32, 2 ** 40, 2 ** 53 - 2 ** 16]) {
    for (let i = 0; i < 20; ++i) {
        const settings = randomSettings();
        const first = around - 40000 + below(40000);
        const size = 1 + below(60000);
        const input = new Uint8Array(size);
        for (let j = 0; j < size; ++j) input[j] = random32() & 0xFF;
        for (const [variant, core] of Object.entries(cores)) {
            const converter = core.createConverter(settings, size);
            converter.block.set(input);
            converter.convert(size, first);
            let wrong = -1;
            for (let j = 0; j < size && wrong < 0; ++j) {
                const mask = referenceChosen(settings, first + j) ? referenceMask(settings, first + j) : 0;
                if ((converter.block[j] ^ input[j]) !== mask) wrong = j;
            }
            converter.destroy();
            check(wrong < 0, `${variant} differs from the rule at position ${first + wrong} ` +
                `for ${JSON.stringify(settings)}`);
        }
    }
}

// The number boxes' syntax: full-width forms and blanks as an input method types them.
const numbers = [
    ['0', 0], ['-5', -5], ['+7', 7], [' 12 ', 12], ['\uFF0D\uFF15', -5], ['\u3000３\u3000', 3],
    ['2147483647', INT_MAX], ['-2147483648', INT_MIN], ['2147483648', null], ['', null],
    ['1.5', null], ['abc', null], ['- 1', null], ['\u65E5', null],
];
for (const core of Object.values(cores)) {
    for (const [text, expected] of numbers) {
        check(core.parseInteger(text) === expected, `parseInteger(${JSON.stringify(text)})`);
    }
}

// The search: a PNG with real chunk checksums, scrambled plain and randomised, is restored by
// the settings found; bytes of no kind give no answer.
function crc32(bytes) {
    let crc = ~0;
    for (const byte of bytes) {
        crc ^= byte;
        for (let k = 0; k < 8; ++k) crc = (crc >>> 1) ^ (0xEDB88320 & -(crc & 1));
    }
    return ~crc >>> 0;
}
function png() {
    const chunk = (type, data) => {
        const body = Buffer.concat([Buffer.from(type), data]);
        const length = Buffer.alloc(4);
        length.writeUInt32BE(data.length);
        const sum = Buffer.alloc(4);
        sum.writeUInt32BE(crc32(body));
        return Buffer.concat([length, body, sum]);
    };
    const header = Buffer.from([0, 0, 0, 40, 0, 0, 0, 30, 8, 2, 0, 0, 0]);
    const data = Buffer.alloc(5000 + below(5000));
    for (let i = 0; i < data.length; ++i) data[i] = random32() & 0xFF;
    return Buffer.concat([Buffer.from([0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A]),
        chunk('IHDR', header), chunk('IDAT', data), chunk('IEND', Buffer.alloc(0))]);
}
const search = await loadSearch(fs.readFileSync(path.join(webBuild, 'pomuru-search.wasm')));
const noise = Buffer.alloc(3000);
for (let i = 0; i < noise.length; ++i) noise[i] = random32() & 0xFF;
for (const settings of [{ step: 3, value: 90, start: 5, slide: 0, randomize: true },
    { step: 1 + below(8), value: 1 + below(255), start: below(9), slide: below(9), randomize: false },
    { step: 1 + below(8), value: 2 + below(30000), start: below(9), slide: below(9), randomize: true },
    null]) {
    const original = settings ? png() : noise;
    const scrambled = settings ? wasmConversion(cores.scalar, original, settings, 0, 65536) : noise;
    let progressed = 0;
    const outcome = search.findSettings(scrambled.length,
        (offset, length) => scrambled.subarray(offset, offset + length),
        (done) => { progressed = done; }, 20);
    const what = `search for ${JSON.stringify(settings)}: ${JSON.stringify(outcome)}`;
    if (!settings) {
        check(outcome.verdict === 'nothing' && outcome.answers.length === 0, what);
        continue;
    }
    check(outcome.verdict === 'confirmed' && outcome.answers.length === 1 &&
        outcome.answers[0].kind === 'PNG' && outcome.answers[0].confirmed, what);
    check(progressed > 0, `progress for ${what}`);
    const found = outcome.answers[0];
    if (found) {
        check(wasmConversion(cores.scalar, scrambled, found, 0, 65536).equals(original), what);
    }
}

if (failures > 0) {
    console.error(`core_test: ${failures} failures (seed ${seed})`);
    process.exit(1);
}
console.log('core_test: all cases match');
