#!/usr/bin/env node
// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli.mjs: the command line's calculation on Node.js, from the WebAssembly module.
//
//   velmora-cli.mjs --batch FILE|- [--format json]     every case of a CSV batch
//   velmora-cli.mjs --dcfp X --n Y --r Z [--j W] [--format json]   one case
//
// It prints the json records of `velmora-cli ... --format json`, one a line, and ends with
// its exit status: 0, 2 when a case or a batch line was refused, 64 for arguments it does
// not take or a batch it cannot read, 70 when the engine fails. Only the json
// format is written; the text and csv formats stay with velmora-cli.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const VelmoraEngine = require('./velmora-engine.js');

const kExitUsage = 64;
const kExitInternalError = 70;

function usage(message) {
  process.stderr.write(`velmora-cli.mjs: ${message}\n` +
    'usage: velmora-cli.mjs --batch FILE|- [--format json]\n' +
    '       velmora-cli.mjs --dcfp X --n Y --r Z [--j W] [--format json]\n');
  process.exitCode = kExitUsage;
}

function parse(args) {
  const options = {};
  const names = new Set(['--batch', '--format', '--dcfp', '--n', '--r', '--j']);
  for (let i = 0; i < args.length; ++i) {
    let name = args[i];
    let value;
    const equals = name.indexOf('=');
    if (name.startsWith('--') && equals > 0) {
      value = name.slice(equals + 1);
      name = name.slice(0, equals);
    } else {
      if (i + 1 >= args.length) return { error: `${name} needs a value` };
      value = args[++i];
    }
    if (!names.has(name)) return { error: `unknown option '${name}'` };
    if (name in options) return { error: `${name} given twice` };
    options[name] = value;
  }
  if (options['--format'] !== undefined && options['--format'] !== 'json') {
    return { error: `format '${options['--format']}' is not written here (use json, or velmora-cli)` };
  }
  const single = ['--dcfp', '--n', '--r', '--j'].filter((n) => n in options);
  if ('--batch' in options) {
    if (single.length > 0) return { error: `${single[0]} and --batch exclude each other` };
  } else {
    const missing = ['--dcfp', '--n', '--r'].filter((n) => !(n in options));
    if (missing.length > 0) return { error: `missing ${missing.join(', ')} (or --batch)` };
  }
  return { options };
}

function readBatch(name) {
  try {
    return readFileSync(name === '-' ? 0 : name);
  } catch (e) {
    process.stderr.write(`velmora-cli.mjs: cannot read batch file '${name}': ${e.message}\n`);
    return null;
  }
}

const { options, error } = parse(process.argv.slice(2));
if (error) {
  usage(error);
} else {
  const engine = await VelmoraEngine();
  if ('--batch' in options) {
    const bytes = readBatch(options['--batch']);
    if (bytes === null) {
      process.exitCode = kExitUsage;
    } else {
      // The bytes go in as they are (the reader keeps every field byte for byte).
      const result = engine.batch(new Uint8Array(bytes.buffer, bytes.byteOffset, bytes.length));
      process.stdout.write(result.lines);
      if (result.message !== undefined) process.stderr.write(`velmora-cli.mjs: ${result.message}\n`);
      process.exitCode = result.status;
    }
  } else {
    const n = options['--n'];
    // Without --j the rank box holds the n text, as leaving the n box would set it.
    const record = engine.calculate(options['--dcfp'], n, options['--r'], options['--j'] ?? n, '.');
    process.stdout.write(record + '\n');
    const parsed = JSON.parse(record);
    process.exitCode = parsed.internal_error !== undefined ? kExitInternalError : parsed.error !== undefined ? 2 : 0;
  }
}
