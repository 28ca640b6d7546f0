// SPDX-License-Identifier: GPL-3.0-or-later
// The page's worker: one WebAssembly engine, one request at a time, in the order asked.
// Served over http(s) it loads velmora-engine.js beside it; in the single-file page the
// module's text comes first in the same script, so VelmoraEngine is already there, and its
// WebAssembly before that, gzipped.
//
//   {id, texts, decimalSymbol}  a calculation   -> {id, record}
//   {id, tool, options}         an exact tool   -> {id, progress, stage} as it goes (none or
//                               (runTool)          more), then {id, exit, output, error}
//
// Stop is the page terminating the worker.
'use strict';

if (typeof VelmoraEngine === 'undefined') importScripts('velmora-engine.js');

// The single-file page carries the module's WebAssembly gzipped (velmoraWasmGzip, base64).
async function inflatedWasm(base64) {
  const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

const engine = typeof velmoraWasmGzip === 'undefined'
  ? VelmoraEngine()
  : inflatedWasm(velmoraWasmGzip).then((wasmBinary) => VelmoraEngine({ wasmBinary }));

// A tool reports every step (a rank, a CFP, a case); the page hears at most one in
// kProgressInterval milliseconds of them.
const kProgressInterval = 100;

// The command line's exit status when a tool fails inside.
const kExitSoftware = 70;

async function runTool(id, tool, options) {
  try {
    const module = await engine;
    let last = -Infinity;
    const onProgress = (fraction, stage) => {
      const now = Date.now();
      if (now - last < kProgressInterval) return;
      last = now;
      postMessage({ id, progress: fraction, stage });
    };
    const answer = JSON.parse(module.runTool(tool, JSON.stringify(options ?? {}), onProgress));
    postMessage({ id, exit: answer.exit, output: answer.output, error: answer.error });
  } catch (e) {
    postMessage({ id, exit: kExitSoftware, output: '', error: `velmora-cli: ${e && e.message ? e.message : e}\n` });
  }
}

onmessage = async (event) => {
  const { id } = event.data;
  if (event.data.tool !== undefined) {
    await runTool(id, event.data.tool, event.data.options);
    return;
  }
  try {
    const module = await engine;
    const { texts, decimalSymbol } = event.data;
    postMessage({ id, record: module.calculate(texts[0], texts[1], texts[2], texts[3], decimalSymbol) });
  } catch (e) {
    postMessage({ id, error: String(e && e.message ? e.message : e) });
  }
};
