// Throughput of the WebAssembly core in memory, by build and case, on 8 MiB pieces as the page
// converts them. node core_bench.mjs WEB_BUILD_DIR [MiB per case]
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

const [webBuild, totalArgument] = process.argv.slice(2);
const { loadCore } = createRequire(import.meta.url)('../../web/core.js');
const pieceSize = 8 << 20;
const total = Number(totalArgument ?? 4096) * 2 ** 20;

const cases = [
    ['plain, every byte', { step: 1, value: 90, start: 0, slide: 0, randomize: false }],
    ['randomised, every byte', { step: 1, value: 90, start: 0, slide: 0, randomize: true }],
    ['randomised, every 7th', { step: 7, value: 90, start: 0, slide: 0, randomize: true }],
];
for (const variant of ['scalar', 'simd']) {
    const core = await loadCore(fs.readFileSync(path.join(webBuild, `pomuru-core-${variant}.wasm`)));
    for (const [name, settings] of cases) {
        const converter = core.createConverter(settings, pieceSize);
        for (let i = 0; i < pieceSize; ++i) converter.block[i] = (i * 2654435761) >>> 24;
        converter.convert(pieceSize, 1);  // warm-up
        const started = process.hrtime.bigint();
        for (let done = 0; done < total; done += pieceSize) {
            converter.convert(pieceSize, done + 1);
        }
        const seconds = Number(process.hrtime.bigint() - started) / 1e9;
        converter.destroy();
        console.log(`${variant.padEnd(6)} ${name.padEnd(24)} ${(total / seconds / 1e9).toFixed(2)} GB/s`);
    }
}
