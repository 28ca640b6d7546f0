#!/usr/bin/env node
// SPDX-License-Identifier: GPL-3.0-or-later
// The exact tools in WebAssembly against the native command line, on the same designs: the
// median of several runs of each.
//
//   web_tools_bench.mjs WEB_DIR NATIVE_CLI [--runs N]
//
// For each tool and design: the native velmora-cli's wall time (a process each run), the
// module's runTool in this process (the module loaded once, as the page's worker keeps it),
// and velmora-cli.mjs's wall time (a process each run: Node's start and the module's
// instantiation included); the ratios are to the native time. A measurement, not a test.
import { spawnSync } from 'node:child_process';
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';

const args = process.argv.slice(2);
const runsAt = args.indexOf('--runs');
const runs = runsAt >= 0 ? Number(args.splice(runsAt, 2)[1]) : 5;
const [webDir, nativeCli] = args.map((a) => resolve(a));
if (!webDir || !nativeCli) {
  process.stderr.write('usage: web_tools_bench.mjs WEB_DIR NATIVE_CLI [--runs N]\n');
  process.exit(64);
}
const require = createRequire(import.meta.url);
const engine = await require(join(webDir, 'velmora-engine.js'))();
const mjs = join(webDir, 'velmora-cli.mjs');

// Each case: its name, the command line's arguments, and the same request for runTool.
function request(tool, options) {
  const argv = tool === 'audit' ? ['--audit'] : [tool];
  for (const [name, value] of Object.entries(options)) {
    if (value === 'true') argv.push(`--${name}`);  // a flag
    else argv.push(`--${name}`, value);
  }
  return { argv, tool, options };
}
const cases = [];
for (const [dcfp, n, r] of [['0.05', '20', '10'], ['0.05', '300', '200'], ['0.05', '1000', '1000']]) {
  const design = `DCFP ${dcfp}, n ${n}, r ${r}`;
  cases.push([`audit, ${design}`, request('audit', { dcfp, n, r, format: 'json' })]);
  cases.push([`strategies, ${design}`, request('strategies', { dcfp, n, r, format: 'json' })]);
  cases.push([`curves, ${design}`, request('curves', { dcfp, n, r, format: 'json' })]);
}
// A heavy audit, whose exact CFPs need 50 digits (seconds natively).
cases.push(['audit, DCFP 0.2, n 20000, r 100', request('audit', { dcfp: '0.2', n: '20000', r: '100', format: 'json' })]);
// Designs whose exact digits need more than doubles: a CFP near 1, and a DCFP typed to the
// CFP's first 16 digits (the binary128 pass); and the heaviest calculation of the domain's
// corner, 0.6598/297/8077, whose design the page computes on one thread.
cases.push(['audit, DCFP 0.9999, n 300, r 2000', request('audit', { dcfp: '0.9999', n: '300', r: '2000', format: 'json' })]);
cases.push(['audit, near tie 2.98e-6, n 297, r 1000',
  request('audit', { dcfp: '2.982586869503295e-06', n: '297', r: '1000', format: 'json' })]);
cases.push(['audit, DCFP 0.6598, n 297, r 8077', request('audit', { dcfp: '0.6598', n: '297', r: '8077', format: 'json' })]);
cases.push(['plan, DCFP 0.0104807, r 40', request('plan', { dcfp: '0.0104807', r: '40', format: 'json' })]);
cases.push(['design with --n 60 --audit',
  request('design', { wells: '20', constituents: '10', evaluations: '2', n: '60', audit: 'true', format: 'json' })]);

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
};
const wall = (command, argv) => {
  const start = process.hrtime.bigint();
  const done = spawnSync(command, argv, { stdio: ['ignore', 'ignore', 'ignore'] });
  if (done.status !== 0) throw new Error(`${command} ${argv.join(' ')}: exit ${done.status}`);
  return Number(process.hrtime.bigint() - start) / 1e6;
};
const inProcess = ({ tool, options }) => {
  const start = process.hrtime.bigint();
  const answer = JSON.parse(engine.runTool(tool, JSON.stringify(options), undefined));
  if (answer.exit !== 0) throw new Error(`runTool ${tool}: exit ${answer.exit}: ${answer.error}`);
  return Number(process.hrtime.bigint() - start) / 1e6;
};

// The command line's flags: the audit is a flag of the calculation, not a command.
const nativeArgv = ({ argv }) => argv;
const rows = [['case', 'native ms', 'runTool ms', 'ratio', 'velmora-cli.mjs ms', 'ratio']];
for (const [name, req] of cases) {
  const native = median(Array.from({ length: runs }, () => wall(nativeCli, nativeArgv(req))));
  const module = median(Array.from({ length: runs }, () => inProcess(req)));
  const node = median(Array.from({ length: runs }, () => wall(process.execPath, [mjs, ...nativeArgv(req)])));
  rows.push([name, native.toFixed(1), module.toFixed(1), (module / native).toFixed(2), node.toFixed(1),
    (node / native).toFixed(2)]);
  process.stderr.write('.');
}
process.stderr.write('\n');
const widths = rows[0].map((_, i) => Math.max(...rows.map((row) => row[i].length)));
for (const row of rows) console.log(row.map((cell, i) => cell.padEnd(widths[i])).join('  ').trimEnd());
