// SPDX-License-Identifier: GPL-3.0-or-later
// The page's worker: one WebAssembly engine, one calculation at a time, in the order asked.
// Served over http(s) it loads velmora-engine.js beside it; in the single-file page the
// module's text comes first in the same script, so VelmoraEngine is already there.
'use strict';

if (typeof VelmoraEngine === 'undefined') importScripts('velmora-engine.js');

const engine = VelmoraEngine();

onmessage = async (event) => {
  const { id, texts, decimalSymbol } = event.data;
  try {
    const module = await engine;
    postMessage({ id, record: module.calculate(texts[0], texts[1], texts[2], texts[3], decimalSymbol) });
  } catch (e) {
    postMessage({ id, error: String(e && e.message ? e.message : e) });
  }
};
