// SPDX-License-Identifier: GPL-3.0-or-later
// cli_server.mjs VELMORA_CLI_MJS: velmora-cli.mjs's requests in one Node.js process, so that
// a test of many requests pays for Node's start and the module's compilation once.
//
// Reads one request a line on standard input, a json array of velmora-cli.mjs's arguments,
// and answers each with one json line: {"status": N, "stdout": BASE64, "stderr": BASE64},
// the bytes the program would have written run on its own.
import { resolve } from 'node:path';
import { createInterface } from 'node:readline';
import { pathToFileURL } from 'node:url';

const cli = await import(pathToFileURL(resolve(process.argv[2])).href);
const engine = await cli.loadEngine();
const bytes = (parts) => Buffer.from(parts.join(''), 'utf8').toString('base64');
for await (const line of createInterface({ input: process.stdin, crlfDelay: Infinity })) {
  const out = [];
  const err = [];
  const io = { out: (text) => out.push(text), err: (text) => err.push(text), status: 0 };
  await cli.main(JSON.parse(line), io, engine);
  process.stdout.write(JSON.stringify({ status: io.status, stdout: bytes(out), stderr: bytes(err) }) + '\n');
}
