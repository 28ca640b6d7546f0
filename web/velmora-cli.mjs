#!/usr/bin/env node
// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli.mjs: velmora-cli's calculation and exact tools on Node.js, from the WebAssembly
// module, so that the two command lines can be run on the same arguments.
//
//   velmora-cli.mjs --dcfp X --n Y --r Z [--j W] [--format F] [--audit]   one case
//   velmora-cli.mjs --batch FILE|- [--jobs N] [--format F] [--audit]       every case of a CSV batch
//   velmora-cli.mjs design|plan|curves|strategies|evaluate OPTIONS          as velmora-cli COMMAND
//
// The options are velmora-cli's (evaluate --data FILE reads the file here and hands its text
// on); standard output, standard error and the exit status are what the module's runTool
// gives, velmora-cli's for the same request. The json records of the calculation without
// --audit come from the module's batch and calculate, which take a batch's bytes as they are.
// 64 for arguments this does not take or a file it cannot read, 70 when the module fails.
import { readFileSync, realpathSync, statSync } from 'node:fs';
import { createRequire } from 'node:module';
import { pathToFileURL } from 'node:url';

const require = createRequire(import.meta.url);
const VelmoraEngine = require('./velmora-engine.js');

const kExitUsage = 64;
const kExitUnreadableData = 65;
const kExitSoftware = 70;

// Each command's options with a value, and its flags.
const kCommands = {
  '': { options: ['dcfp', 'n', 'r', 'j', 'batch', 'jobs', 'format'], flags: ['audit'] },
  design: { options: ['wells', 'constituents', 'evaluations', 'swfpr', 'n', 'j', 'format'], flags: ['audit'] },
  plan: { options: ['dcfp', 'r', 'rank', 'test', 'rule', 'format'], flags: [] },
  curves: { options: ['dcfp', 'n', 'r', 'j', 'rule', 'format'], flags: [] },
  strategies: { options: ['dcfp', 'n', 'r', 'j', 'rules', 'rank', 'shifted', 'format'], flags: [] },
  evaluate: {
    options: ['data', 'rule', 'rank', 'dcfp', 'r', 'j', 'constituent', 'format'],
    flags: ['skip-bad-lines'],
  },
};

function usage(io, message) {
  io.err(`velmora-cli.mjs: ${message}\n` +
    'usage: velmora-cli.mjs --dcfp X --n Y --r Z [--j W] [--format text|csv|json] [--audit]\n' +
    '       velmora-cli.mjs --batch FILE|- [--format text|csv|json] [--audit]\n' +
    '       velmora-cli.mjs design|plan|curves|strategies|evaluate OPTIONS (as velmora-cli)\n');
  io.status = kExitUsage;
}

// The command and its options by name (without the dashes); flags are "true".
function parse(args) {
  const command = args.length > 0 && args[0] in kCommands && args[0] !== '' ? args[0] : '';
  const { options: names, flags } = kCommands[command];
  const options = {};
  for (let i = command === '' ? 0 : 1; i < args.length; ++i) {
    let name = args[i];
    let value;
    const equals = name.indexOf('=');
    if (name.startsWith('--') && equals > 0) {
      value = name.slice(equals + 1);
      name = name.slice(0, equals);
    }
    const bare = name.startsWith('--') ? name.slice(2) : null;
    if (bare !== null && flags.includes(bare) && value === undefined) {
      if (bare in options) return { error: `${name} given twice` };
      options[bare] = 'true';
      continue;
    }
    if (bare === null || !names.includes(bare)) return { error: `unknown option '${name}'` };
    if (value === undefined) {
      if (i + 1 >= args.length) return { error: `option ${name} needs a value` };
      value = args[++i];
    }
    if (bare in options) return { error: `option ${name} given more than once` };
    options[bare] = value;
  }
  return { command, options };
}

function readInput(name) {
  return readFileSync(name === '-' ? 0 : name);
}

function runTool(io, engine, tool, options) {
  const answer = JSON.parse(engine.runTool(tool, JSON.stringify(options), undefined));
  io.out(answer.output);
  io.err(answer.error);
  io.status = answer.exit;
}

// The calculation's json records without the audit, as the module always gave them.
function calculateJson(io, engine, options) {
  if ('batch' in options) {
    let bytes;
    try {
      bytes = readInput(options.batch);
    } catch (e) {
      io.err(`velmora-cli.mjs: cannot read batch file '${options.batch}': ${e.message}\n`);
      io.status = kExitUsage;
      return;
    }
    // The bytes go in as they are (the reader keeps every field byte for byte).
    const result = engine.batch(new Uint8Array(bytes.buffer, bytes.byteOffset, bytes.length));
    io.out(result.lines);
    if (result.message !== undefined) io.err(`velmora-cli.mjs: ${result.message}\n`);
    io.status = result.status;
    return;
  }
  const n = options.n;
  // Without --j the rank box holds the n text, as leaving the n box would set it.
  const record = engine.calculate(options.dcfp, n, options.r, options.j ?? n, '.');
  io.out(record + '\n');
  const parsed = JSON.parse(record);
  io.status = parsed.internal_error !== undefined ? kExitSoftware : parsed.error !== undefined ? 2 : 0;
}

// Runs one command line: `io.out` and `io.err` take what goes to standard output and
// standard error, `io.status` is the exit status. `engine`, the module once loaded, may be
// given (tests/web/cli_server.mjs runs many requests on one).
export async function main(args, io, engine = undefined) {
  const { command, options, error } = parse(args);
  if (error) {
    usage(io, error);
    return;
  }
  engine ??= await VelmoraEngine();
  if (command === '') {
    delete options.jobs;  // one case after the other here; the records do not depend on it
    const single = ['dcfp', 'n', 'r', 'j'].filter((name) => name in options);
    if ('batch' in options && single.length > 0) {
      usage(io, `--${single[0]} and --batch exclude each other`);
      return;
    }
    if (!('batch' in options) && ['dcfp', 'n', 'r'].some((name) => !(name in options))) {
      usage(io, 'missing --dcfp, --n or --r (or --batch)');
      return;
    }
    const audit = options.audit === 'true';
    delete options.audit;
    if (!audit && (options.format ?? 'text') === 'json') {
      calculateJson(io, engine, options);
      return;
    }
    if ('batch' in options) {
      try {
        options['batch-name'] = options.batch;
        options.batch = readInput(options.batch).toString('utf8');
      } catch (e) {
        io.err(`velmora-cli.mjs: cannot read batch file '${options['batch-name']}': ${e.message}\n`);
        io.status = kExitUsage;
        return;
      }
    }
    runTool(io, engine, audit ? 'audit' : 'calculate', options);
    return;
  }
  if (command === 'evaluate' && 'data' in options) {
    const name = options.data;
    try {
      if (statSync(name).isDirectory()) {
        io.err(`velmora-cli: evaluate: ${name} is a folder, not a data file\n`);
        io.status = kExitUnreadableData;
        return;
      }
      options.data = readFileSync(name).toString('utf8');
    } catch {
      io.err(`velmora-cli: evaluate: cannot open ${name}\n`);
      io.status = kExitUnreadableData;
      return;
    }
    options['data-name'] = name;
  }
  runTool(io, engine, command, options);
}

export function loadEngine() {
  return VelmoraEngine();
}

// Run as a program (not imported): the process's own streams and exit status.
if (process.argv[1] !== undefined && import.meta.url === pathToFileURL(realpathSync(process.argv[1])).href) {
  const io = { out: (text) => process.stdout.write(text), err: (text) => process.stderr.write(text), status: 0 };
  await main(process.argv.slice(2), io);
  process.exitCode = io.status;
}
