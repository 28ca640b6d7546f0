#!/usr/bin/env node
// SPDX-License-Identifier: GPL-3.0-or-later
// The page driven in headless Chromium, as a user drives the window: velmora.html opened
// from disk (the worker from a Blob URL) and index.html served over http (the worker from
// its own file).
//
//   page_test.mjs WEB_DIR [REFERENCE_CLI] [--screenshot PNG] [--panel-screenshots FOLDER]
//
// --panel-screenshots writes the analysis's CFP chart and strategies table, at 1280 x 720,
// as page-analysis.png and page-strategies.png (the README's).
// REFERENCE_CLI prints the json record of one case (the native velmora-cli; where it is
// not given or missing, WEB_DIR/velmora-cli.mjs); the page's cells must read exactly as its captions. CHROMIUM
// names the browser (default /usr/bin/chromium). Prints "N passed, N failed".
import { execFileSync, spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { dirname, extname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

const args = process.argv.slice(2);
const shotAt = args.indexOf('--screenshot');
const screenshot = shotAt >= 0 ? resolve(args.splice(shotAt, 2)[1]) : null;
const shotsAt = args.indexOf('--panel-screenshots');
const panelShots = shotsAt >= 0 ? resolve(args.splice(shotsAt, 2)[1]) : null;
const webDir = resolve(args[0] ?? 'build-wasm/web');
const examples = join(dirname(fileURLToPath(import.meta.url)), '..', '..', 'examples');
const referenceCli = args[1] && existsSync(args[1]) ? args[1] : join(webDir, 'velmora-cli.mjs');

console.log(`the cells held to ${referenceCli}`);
let passed = 0;
let failed = 0;
async function check(name, body) {
  try {
    await body();
    ++passed;
    console.log(`ok      ${name}`);
  } catch (e) {
    ++failed;
    console.log(`FAILED  ${name}\n        ${String(e && e.stack ? e.stack : e).replace(/\n/g, '\n        ')}`);
  }
}
function expectEqual(actual, expected, what) {
  const a = JSON.stringify(actual);
  const b = JSON.stringify(expected);
  if (a !== b) throw new Error(`${what}:\n  page:         ${a}\n  command line: ${b}`);
}

// The command line's record of one case (exit status 2 for a refusal is expected).
function reference(dcfp, n, r) {
  const run = spawnSync(referenceCli, ['--dcfp', dcfp, '--n', n, '--r', r, '--format', 'json'], { encoding: 'utf8' });
  if (run.error) throw run.error;
  return JSON.parse(run.stdout);
}

// The 32 result cells in the record's order: per test its status, rating, samples, Ind P,
// CFP and the three powers.
const cellIds = [1, 2, 3, 4].flatMap((t) => [`lblCU${t}`, `lblPOW${t}`, `lblENT${t}`, `lblP${t}`, `lblQ${t}`,
  `lblPW${3 * t - 2}`, `lblPW${3 * t - 1}`, `lblPW${3 * t}`]);
const recordCells = (record) => record.tests.flatMap((t) => [t.status, t.rating, t.samples, t.percentile, t.cfp, ...t.power]);
const pageCells = (page) => page.evaluate((ids) => ids.map((id) => document.getElementById(id).textContent), cellIds);
const focused = (page) => page.evaluate(() => document.activeElement?.id ?? null);
// Waits until the focus is on the control `id`; where it never gets there, says where it is.
async function focusOn(page, id, what) {
  try {
    await page.waitForFunction((want) => document.activeElement?.id === want, {}, id);
  } catch {
    expectEqual(await focused(page), id, what);
  }
}
const value = (page, id) => page.$eval(`#${id}`, (box) => box.value);
// A calculation is done when the busy pointer has gone.
const settled = (page) => page.waitForFunction(() => !document.documentElement.classList.contains('busy'));

// Types a case as a user does: into the DCFP box, Tab, n, Tab (leaving n fills j), r, Enter.
async function typeCase(page, dcfp, n, r) {
  await page.focus('#txtAL');
  await page.keyboard.type(dcfp);
  await page.keyboard.press('Tab');
  await page.keyboard.type(n);
  await page.keyboard.press('Tab');
  await page.keyboard.type(r);
  await page.keyboard.press('Enter');
  await settled(page);
}
async function waitForCells(page) {
  await page.waitForFunction(() => document.getElementById('lblCU1').textContent !== '');
}

const mime = { '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.css': 'text/css',
  '.svg': 'image/svg+xml', '.webmanifest': 'application/manifest+json' };
function serve(folder) {
  const server = createServer((request, response) => {
    const path = new URL(request.url, 'http://localhost').pathname;
    const file = join(folder, path === '/' ? 'index.html' : decodeURIComponent(path));
    if (!file.startsWith(folder)) {
      response.writeHead(403).end();
      return;
    }
    try {
      const body = readFileSync(file);
      response.writeHead(200, { 'content-type': mime[extname(file)] ?? 'application/octet-stream' }).end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((done) => server.listen(0, '127.0.0.1', () => done(server)));
}

// How long one step may wait (the browser's start, a page's load, a calculation, the focus)
// before it fails with its own name. No step waits for a time to pass: each waits for what
// it expects, and this bound only ends a step that will never get there. It is generous, as
// CI runs the page beside other builds on two cores; the test's TIMEOUT bounds the whole.
const patience = 120000;
const openPage = async () => {
  const page = await browser.newPage();
  page.setDefaultTimeout(patience);
  return page;
};

const scratch = mkdtempSync(join(tmpdir(), 'velmora-page-'));
const browser = await puppeteer.launch({
  timeout: patience,
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  // the browser's language sets the page's decimal symbol: a full stop, as in the records
  args: ['--no-sandbox', '--lang=en-US', '--disable-gpu', '--no-first-run'],
  env: { ...process.env, LANGUAGE: 'en_US' },
});
let server = null;
try {
  const expected = reference('0.1', '20', '5');
  const refused = reference('0.1', '1', '5');  // n refused: the focus goes to the n box

  const page = await openPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  await page.goto(pathToFileURL(join(webDir, 'velmora.html')).href);

  await check('velmora.html from disk: one file under 3 MB; typing, Tab fills j, Enter calculates without moving the focus, the 32 cells read as the command line', async () => {
    const bytes = statSync(join(webDir, 'velmora.html')).size;
    if (!(bytes < 3e6)) throw new Error(`velmora.html is ${bytes} bytes`);
    expectEqual(await focused(page), 'txtAL', 'the focus on opening');
    await typeCase(page, '0.1', '20', '5');
    await waitForCells(page);
    expectEqual(await value(page, 'txtMDET'), '20', 'the j box after leaving n');
    expectEqual(await focused(page), 'txtR', 'the focus after Enter');
    expectEqual(await pageCells(page), recordCells(expected), 'the result cells');
  });

  if (screenshot) {
    const window = await page.$('#frmMain');
    await page.evaluate(() => document.activeElement.blur());
    await window.screenshot({ path: screenshot });
  }

  await check('a refusal is a modal dialog with the title and lines of the command line, and OK sends the focus to the box to correct', async () => {
    await page.click('#txtN', { clickCount: 3 });
    await page.keyboard.type('1');
    await page.focus('#txtR');
    await page.keyboard.press('Enter');
    await page.waitForSelector('#messageBox[open]');
    const shown = await page.evaluate(() => ({
      modal: document.getElementById('messageBox').matches(':modal'),
      title: document.getElementById('messageTitle').textContent,
      lines: document.getElementById('messageText').textContent.split('\n'),
      focus: document.activeElement.id,
    }));
    expectEqual(shown, { modal: true, title: refused.error.title, lines: refused.error.lines, focus: 'messageOk' }, 'the dialog');
    // A click on the window behind a modal dialog does nothing.
    await page.click('#btnReset').catch(() => {});
    expectEqual(await value(page, 'txtAL'), '0.1', 'the DCFP box while the dialog is open');
    await page.keyboard.press('Enter');
    await page.waitForSelector('#messageBox:not([open])');
    // The page moves the focus as it closes the box; the test still waits for it rather than
    // looking once, so that it holds whatever the browser does between the two.
    await focusOn(page, refused.error.focus, 'the focus after OK');
    expectEqual(await pageCells(page), recordCells(expected), 'the earlier results after a refusal');
  });

  await check('the printed page: one page, the results on white, no buttons', async () => {
    // the page as printed after the calculation
    await page.click('#txtN', { clickCount: 3 });
    await page.keyboard.type('20');
    await page.keyboard.press('Tab');  // leaving n puts 20 back into j
    await page.keyboard.press('Enter');
    await settled(page);
    const pdf = join(scratch, 'page.pdf');
    await page.pdf({ path: pdf, format: 'A4', printBackground: true });
    const pages = /Pages:\s+(\d+)/.exec(execFileSync('pdfinfo', [pdf], { encoding: 'utf8' }))[1];
    expectEqual(pages, '1', 'pages');
    const text = execFileSync('pdftotext', ['-layout', pdf, '-'], { encoding: 'utf8' });
    for (const caption of ['Calculate', 'Print', 'Reset', 'Exit', 'About This Calculator']) {
      if (new RegExp(`\\b${caption}\\b`).test(text)) throw new Error(`the printed page shows the button "${caption}"`);
    }
    for (const caption of ['Input Values Here:', 'DCFP OK at maximum = 7', '0.09037', '0.7750', 'Tavrel Reference Criteria:']) {
      if (!text.includes(caption)) throw new Error(`the printed page lacks "${caption}":\n${text}`);
    }
  });

  await check('Alt+R resets: every box and cell empty, the focus in the DCFP box', async () => {
    await page.keyboard.down('Alt');
    await page.keyboard.press('KeyR');
    await page.keyboard.up('Alt');
    const state = await page.evaluate((ids) => ({
      boxes: ['txtAL', 'txtN', 'txtR', 'txtMDET'].map((id) => document.getElementById(id).value),
      cells: ids.filter((id) => document.getElementById(id).textContent !== '').length,
      focus: document.activeElement.id,
    }), cellIds);
    expectEqual(state, { boxes: ['', '', '', ''], cells: 0, focus: 'txtAL' }, 'after Reset');
    expectEqual(errors, [], 'errors in the page');
  });

  await check('in a browser set to German the captions carry a decimal comma, digit for digit the command line\'s', async () => {
    const german = await openPage();
    await german.evaluateOnNewDocument(() => {
      Object.defineProperty(navigator, 'language', { get: () => 'de-DE' });
      Object.defineProperty(navigator, 'languages', { get: () => ['de-DE', 'de'] });
    });
    await german.goto(pathToFileURL(join(webDir, 'velmora.html')).href);
    await typeCase(german, '0.1', '20', '5');
    await waitForCells(german);
    expectEqual(await pageCells(german), recordCells(expected).map((cell) => cell.replace('.', ',')), 'the result cells');
    await german.close();
  });

  server = await serve(webDir);
  await check('index.html over http: the worker from its own file gives the same 32 cells', async () => {
    const served = await openPage();
    await served.goto(`http://127.0.0.1:${server.address().port}/index.html`);
    await typeCase(served, '0.1', '20', '5');
    await waitForCells(served);
    expectEqual(await pageCells(served), recordCells(expected), 'the result cells');
  });

  const base = `http://127.0.0.1:${server.address().port}`;
  const example = ['0.02085164', '20', '10'];  // Example 19-5: ten wells, one constituent
  const native = (...command) => JSON.parse(spawnSync(referenceCli, [...command, '--format', 'json'], { encoding: 'utf8' }).stdout);
  const shown = (p, id) => p.$eval(`#${id}`, (node) => !node.hidden && node.getBoundingClientRect().height > 0);
  const rect = (p, id) => p.$eval(`#${id}`, (node) => node.getBoundingClientRect().toJSON());
  const tableCells = (p, id) => p.$$eval(`#${id} tbody tr`, (rows) => rows.map((row) => [...row.cells].map((cell) => cell.textContent)));
  const pressAlt = async (p, code) => {
    await p.keyboard.down('Alt');
    await p.keyboard.press(code);
    await p.keyboard.up('Alt');
  };
  const panelPage = await openPage();
  await panelPage.setViewport({ width: 1280, height: 720 });
  const panelErrors = [];
  panelPage.on('pageerror', (e) => panelErrors.push(String(e)));
  await panelPage.goto(`${base}/index.html`);

  await check('at 1280 x 720, by keyboard alone: F6 to the bar, the analysis of Example 19-5 beside the form with both charts, and its strategies table as the command line gives it', async () => {
    const p = panelPage;
    await typeCase(p, ...example);
    await waitForCells(p);
    await p.keyboard.press('F6');
    await focusOn(p, 'barAnalysis', 'the focus after F6');
    await p.keyboard.press('Enter');
    await focusOn(p, 'analysisPanel', 'the focus after opening the analysis');
    await p.waitForFunction(() => document.querySelectorAll('#strategiesTable tbody tr').length > 0);
    const form = await rect(p, 'frmMain');
    const panel = await rect(p, 'analysisPanel');
    if (panel.left < form.right || panel.right > 1280) throw new Error(`the analysis is not beside the form: ${JSON.stringify({ form, panel })}`);
    const charts = await p.evaluate(() => ['cfpChart', 'powerChart'].map((id) => Chart.getChart(document.getElementById(id))?.data.datasets.length ?? 0));
    if (!charts.every((count) => count > 0)) throw new Error(`charts not drawn: ${charts}`);
    // Tab into the tabs, and the arrow keys to the strategies
    await p.keyboard.press('Tab');
    await focusOn(p, 'tabCfp', 'the focus after Tab');
    for (let i = 0; i < 4; ++i) await p.keyboard.press('ArrowRight');
    await focusOn(p, 'tabStrategies', 'the focus after the arrow keys');
    expectEqual(await shown(p, 'pageStrategies'), true, 'the strategies shown');
    const expected = native('strategies', '--dcfp', example[0], '--n', example[1], '--r', example[2]).strategies
      .map((s) => [s.rule, String(s.rank), s.exceeded ? 'Yes' : 'No', s.meets ? 'Yes' : 'No', s.cfp, s.percentile, s.samples, ...s.power, s.rating]);
    expectEqual(await tableCells(p, 'strategiesTable'), expected, 'the strategies table');
    if (panelShots) {
      // the strategies' twelve columns whole, in a wider window
      await p.setViewport({ width: 1600, height: 760 });
      await p.screenshot({ path: join(panelShots, 'page-strategies.png') });
      await p.setViewport({ width: 1280, height: 720 });
      await p.click('#tabCfp');
      await p.evaluate(() => document.activeElement.blur());
      await p.screenshot({ path: join(panelShots, 'page-analysis.png') });
    }
    // in a narrow window the panels go below the form
    await p.setViewport({ width: 640, height: 720 });
    await p.waitForFunction(() => document.getElementById('analysisPanel').getBoundingClientRect().top
      >= document.getElementById('frmMain').getBoundingClientRect().bottom);
    await p.setViewport({ width: 1280, height: 720 });
  });

  await check('Alt and a letter opens each other panel with the focus in it, Program Design typed and Enter gives the command line\'s design, and F6 goes back to the form', async () => {
    const p = panelPage;
    for (const [code, panel] of [['KeyL', 'evaluatePanel'], ['KeyM', 'planPanel'], ['KeyG', 'designPanel']]) {
      await pressAlt(p, code);
      await focusOn(p, panel, `the focus after Alt+${code}`);
      expectEqual(await shown(p, panel), true, `${panel} shown`);
    }
    for (const text of ['10', '1', '2']) {
      await p.keyboard.press('Tab');
      await p.keyboard.type(text);
    }
    await p.keyboard.press('Enter');
    await p.waitForFunction(() => document.getElementById('designOutput').textContent !== '');
    const design = spawnSync(referenceCli, ['design', '--wells', '10', '--constituents', '1', '--evaluations', '2', '--format', 'text'], { encoding: 'utf8' }).stdout;
    expectEqual(await p.$eval('#designOutput', (node) => node.textContent), design, 'the design');
    await p.keyboard.press('F6');
    await focusOn(p, 'txtR', 'the focus after F6 from the panel');
  });

  await check('a data file chosen in Evaluate Data: the verdicts of velmora-cli evaluate, and nothing sent from the page', async () => {
    const p = panelPage;
    await pressAlt(p, 'KeyL');
    const sent = [];
    // the worker's own requests are seen here too; data: and blob: ones stay in the browser
    const listen = (request) => { if (!/^(data|blob):/.test(request.url())) sent.push(request.url()); };
    p.on('request', listen);
    const file = join(examples, 'mercury.csv');
    await (await p.$('#evaluateFile')).uploadFile(file);
    await p.waitForFunction(() => document.getElementById('evaluateFileName').textContent.endsWith('read'));
    await p.$eval('#evaluateForm [name="rule"]', (box) => { box.value = ''; });
    await p.type('#evaluateForm [name="rule"]', 'modified-california');
    await p.type('#evaluateForm [name="rank"]', '1');
    await p.click('#evaluateForm button[type="submit"]');
    await p.waitForSelector('#evaluateOutput table, #evaluateOutput .problem');
    p.off('request', listen);
    const expected = native('evaluate', '--data', file, '--rule', 'modified-california', '--rank', '1').wells
      .map((well) => [well.well, well.verdict, well.values_used.join(', '), well.reason]);
    expectEqual(await p.$$eval('#evaluateOutput tbody tr', (rows) => rows.map((row) => [...row.cells].map((cell) => cell.textContent))), expected, 'the verdicts');
    expectEqual(sent, [], 'requests from the page');
  });

  await check('Print Report: the report printed as the window gives it, the charts on a page of their own', async () => {
    const p = panelPage;
    await p.evaluate(() => { window.print = () => { window.printedReport = true; }; });
    await pressAlt(p, 'KeyI');
    await p.waitForFunction(() => window.printedReport === true);
    const pdf = process.env.VELMORA_REPORT_PDF || join(scratch, "report.pdf");
    await p.pdf({ path: pdf, format: 'A4', printBackground: true });
    const pages = Number(/Pages:\s+(\d+)/.exec(execFileSync('pdfinfo', [pdf], { encoding: 'utf8' }))[1]);
    const page = (n) => execFileSync('pdftotext', ['-layout', '-f', String(n), '-l', String(n), pdf, '-'], { encoding: 'utf8' });
    const text = Array.from({ length: pages }, (_, i) => page(i + 1)).join('\f');
    for (const caption of ['Velmora: detection-monitoring design report', 'Inputs', 'Results', 'Exact audit', 'Retest strategies',
      'Method', 'DCFP OK at maximum = 3', '1-of-2/median-3', '0.005964644774', 'The design\'s and the exact ranks and ratings agree for every scheme.']) {
      if (!text.includes(caption)) throw new Error(`the report lacks "${caption}":\n${text}`);
    }
    if (/\bCalculate\b|Print Report/.test(text)) throw new Error(`the report shows the page's controls:\n${text}`);
    const last = page(pages);
    if (!last.includes('Reference curve') || last.includes('Method')) throw new Error(`the charts are not on a page of their own:\n${last}`);
    expectEqual(pages, 3, 'the report\'s pages');
    expectEqual(panelErrors, [], 'errors in the page');
  });

  await check('Save Design downloads the .velmora file, and Open Design puts its texts back into the boxes and calculates', async () => {
    const p = panelPage;
    const downloads = join(scratch, 'downloads');
    const cdp = await p.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    await p.keyboard.down('Control');
    await p.keyboard.press('KeyS');
    await p.keyboard.up('Control');
    const saved = join(downloads, 'design.velmora');
    await p.waitForFunction(() => /saved/.test(document.getElementById('barStatus').textContent));
    for (let i = 0; i < 100 && !existsSync(saved); ++i) await new Promise((done) => setTimeout(done, 100));
    await pressAlt(p, 'KeyR');
    const [chooser] = await Promise.all([p.waitForFileChooser(), pressAlt(p, 'KeyO')]);
    await chooser.accept([saved]);
    await p.waitForFunction(() => document.getElementById('txtAL').value !== '');
    const boxes = await p.evaluate(() => ['txtAL', 'txtN', 'txtR', 'txtMDET'].map((id) => document.getElementById(id).value));
    expectEqual(boxes, [...example, example[1]], 'the boxes after Open Design');
    await waitForCells(p);
  });

  await check('over http the page is installable, and opens again with the network cut after the first visit, and calculates', async () => {
    const p = await openPage();
    await p.goto(`${base}/index.html`);
    await p.waitForFunction(() => navigator.serviceWorker.controller !== null);
    const cdp = await p.createCDPSession();
    expectEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, [], 'what keeps the page from being installed');
    await p.setOfflineMode(true);
    await p.reload();
    await typeCase(p, '0.1', '20', '5');
    await waitForCells(p);
    expectEqual(await pageCells(p), recordCells(expected), 'the result cells offline');
    await p.setOfflineMode(false);
  });
} finally {
  await browser.close();
  if (server) server.close();
  rmSync(scratch, { recursive: true, force: true });
}

console.log(`${passed} passed, ${failed} failed`);
process.exitCode = failed === 0 ? 0 : 1;
