// Assembles the page as one HTML file: the style, the script with the window's texts, the
// worker with both builds of the core, and a Content-Security-Policy that admits exactly these.
// node build_page.mjs SOURCE_DIR TEXTS.json CORE_SCALAR.wasm CORE_SIMD.wasm SEARCH.wasm OUTPUT.html
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';

const [sourceDir, textsFile, scalarFile, simdFile, searchFile, output] = process.argv.slice(2);
const read = (name) => fs.readFileSync(path.join(sourceDir, name), 'utf8');
const texts = JSON.parse(fs.readFileSync(textsFile, 'utf8'));

const style = read('page.css');
const script = `const PAGE_TEXTS = ${JSON.stringify(texts)};\n${read('page.js')}`;
const modules = {
    scalar: fs.readFileSync(scalarFile).toString('base64'),
    simd: fs.readFileSync(simdFile).toString('base64'),
    search: fs.readFileSync(searchFile).toString('base64'),
};
const worker = `${read('core.js')}\n${read('search.js')}\n` +
    `const CORE_MODULES = ${JSON.stringify(modules)};\n${read('worker.js')}`;

for (const [name, text, tag] of [['style', style, 'style'], ['script', script, 'script'],
    ['worker', worker, 'script']]) {
    if (text.toLowerCase().includes(`</${tag}`)) {
        throw new Error(`the ${name} would end its element early`);
    }
}

const hash = (text) => `'sha256-${crypto.createHash('sha256').update(text, 'utf8').digest('base64')}'`;
// No requests at all: no connections, no frames, no forms; the worker from a blob of this page;
// WebAssembly compiled from the page's own bytes.
const policy = [
    "default-src 'none'",
    `script-src ${hash(script)} 'wasm-unsafe-eval'`,
    'worker-src blob:',
    `style-src ${hash(style)}`,
    'img-src data:',
    "connect-src 'none'",
    "base-uri 'none'",
    "form-action 'none'",
].join('; ');

const escapeHtml = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;')
    .replace(/>/g, '&gt;').replace(/"/g, '&quot;');
const substitutions = {
    CSP: policy, TITLE: escapeHtml(texts.dialog.caption), NOSCRIPT: escapeHtml(texts.needsScripts),
    ICON: texts.icon,
    STYLE: style, SCRIPT: script, WORKER: worker,
};
// One pass, so that nothing substituted is read as a placeholder again.
const page = read('page.html').replace(/\{\{([A-Z]+)\}\}/g, (whole, name) => {
    if (!(name in substitutions)) throw new Error(`unknown placeholder ${whole}`);
    return substitutions[name];
});
fs.mkdirSync(path.dirname(output), { recursive: true });
fs.writeFileSync(output, page);
