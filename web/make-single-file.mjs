#!/usr/bin/env node
// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the page into one self-contained HTML file that opens from disk (file://), where a
// browser loads no module, WebAssembly or worker from a file: the style sheet and the page's
// script inline, and the module, its WebAssembly (gzipped, in base64) and the worker as text
// that the page turns into a worker through a Blob URL.
//
// The manifest and the icon stay out: a page from disk is neither installed nor kept offline.
//
//   make-single-file.mjs FOLDER OUTPUT   FOLDER holds index.html, velmora.css, velmora.js,
//                                        velmora-panels.js, chart.umd.min.js,
//                                        velmora-worker.js and velmora-engine.js
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';

const [folder, output] = process.argv.slice(2);
if (!folder || !output) {
  process.stderr.write('usage: make-single-file.mjs FOLDER OUTPUT\n');
  process.exit(64);
}
const read = (name) => readFileSync(join(folder, name), 'utf8');

// Text inside a <script> or <style> element ends at the first "</script" or "</style".
function embeddable(name, text, closing) {
  if (text.toLowerCase().includes(closing)) throw new Error(`${name} holds "${closing}" and cannot be embedded`);
  return text;
}

let page = read('index.html');
const replace = (from, to) => {
  if (!page.includes(from)) throw new Error(`index.html has no ${from}`);
  page = page.replace(from, () => to);
};
replace('<link rel="stylesheet" href="velmora.css">',
  `<style>\n${embeddable('velmora.css', read('velmora.css'), '</style')}</style>`);
replace('<link rel="manifest" href="velmora.webmanifest">\n', '');
replace('<link rel="icon" href="velmora-icon.svg" type="image/svg+xml">\n', '');
replace('<script src="chart.umd.min.js"></script>',
  `<script>\n${embeddable('chart.umd.min.js', read('chart.umd.min.js'), '</script')}</script>`);
replace('<script src="velmora-panels.js"></script>',
  `<script>\n${embeddable('velmora-panels.js', read('velmora-panels.js'), '</script')}</script>`);
// The module's WebAssembly, a third of its size gzipped: the page carries it compressed, and
// the worker inflates it (DecompressionStream) and hands it to the module as its wasmBinary.
// The module's own copy (a data URL) is left empty.
const kDataUrl = 'wasmBinaryFile="data:application/octet-stream;base64,';
let engine = read('velmora-engine.js');
const at = engine.indexOf(kDataUrl);
if (at < 0 || engine.indexOf(kDataUrl, at + 1) >= 0) throw new Error('velmora-engine.js has not one embedded WebAssembly');
const from = at + kDataUrl.length;
const to = engine.indexOf('"', from);
const wasm = Buffer.from(engine.slice(from, to), 'base64');
engine = engine.slice(0, from) + engine.slice(to);
const wasmGz = gzipSync(wasm, { level: 9 }).toString('base64');
replace('<script src="velmora.js"></script>',
  `<script type="text/plain" id="velmora-wasm-source">${wasmGz}</script>\n` +
  `<script type="text/plain" id="velmora-engine-source">${embeddable('velmora-engine.js', engine, '</script')}</script>\n` +
  `<script type="text/plain" id="velmora-worker-source">${embeddable('velmora-worker.js', read('velmora-worker.js'), '</script')}</script>\n` +
  `<script>\n${embeddable('velmora.js', read('velmora.js'), '</script')}</script>`);
writeFileSync(output, page);
