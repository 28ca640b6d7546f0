// SPDX-License-Identifier: GPL-3.0-or-later
// The page's own bar and panels beside the form: the analysis of the results shown, Program
// Design, Sample-Size Planning, Evaluate Data, Copy Results, Save and Open Design, the report.
// Like the form, the panels add no arithmetic: every number is a text that the WebAssembly
// module's tools write, exactly as velmora-cli writes it, and the panels only place it. The
// tools run in a worker of their own, so that the form never waits for them and Stop can end
// one by ending that worker, without touching the form's.
'use strict';

(() => {
  const byId = (id) => document.getElementById(id);
  const element = (tag, attributes = {}, ...children) => {
    const node = document.createElement(tag);
    for (const [name, value] of Object.entries(attributes)) {
      if (name === 'text') node.textContent = value;
      else if (name === 'className') node.className = value;
      else node.setAttribute(name, value);
    }
    for (const child of children) node.append(child);
    return node;
  };
  const status = (text) => { byId('barStatus').textContent = text; };

  // ---- the tools' worker ------------------------------------------------------------------
  // A request is {id, tool, options}; the worker answers {id, progress, stage} while it works
  // and then {id, exit, output, error}: what velmora-cli TOOL prints, its standard error and
  // its exit status. The worker is started as the form's is (velmora.js).
  const startWorker = () => window.velmoraStartWorker();
  let tools = null;
  let nextRequest = 1;
  const running = new Map();
  function showProgress() {
    const jobs = [...running.values()];
    byId('toolProgress').hidden = jobs.length === 0;
    document.documentElement.classList.toggle('tools-busy', jobs.length > 0);
    if (jobs.length === 0) return;
    const job = jobs[0];
    const bar = byId('toolProgressBar');
    if (typeof job.progress === 'number' && Number.isFinite(job.progress)) bar.value = job.progress;
    else bar.removeAttribute('value');  // no fraction known yet: the bar runs without one
    byId('toolStage').textContent = job.stage || `${job.tool}…`;
  }
  function finish(id, answer) {
    const job = running.get(id);
    if (!job) return;
    running.delete(id);
    showProgress();
    job.resolve(answer);
  }
  function connect() {
    tools = startWorker();
    tools.onmessage = (event) => {
      const data = event.data ?? {};
      const job = running.get(data.id);
      if (!job) return;
      if ('exit' in data) {
        finish(data.id, { exit: data.exit, output: data.output ?? '', error: data.error ?? '' });
      } else if ('progress' in data || 'stage' in data) {
        job.progress = data.progress;
        job.stage = data.stage;
        showProgress();
      } else {
        // A worker that does not know the request answers with its error alone.
        finish(data.id, { exit: 70, output: '', error: String(data.error ?? 'the tool could not be run') });
      }
    };
    tools.onerror = (event) => {
      event.preventDefault();
      for (const id of [...running.keys()]) {
        finish(id, { exit: 70, output: '', error: event.message || 'the tool could not be run' });
      }
    };
  }
  // Runs one of velmora-cli's tools; options are its long option names without dashes, each
  // with a text. Resolves with {exit, output, error}, or {stopped: true} after Stop.
  function runTool(tool, options) {
    if (!tools) connect();
    const id = nextRequest++;
    return new Promise((resolve) => {
      running.set(id, { tool, resolve, progress: undefined, stage: '' });
      showProgress();
      tools.postMessage({ id, tool, options });
    });
  }
  // Stop: the worker ends at once, whatever it was doing, and a fresh one takes the next run.
  function stopTools() {
    if (tools) tools.terminate();
    tools = null;
    for (const id of [...running.keys()]) finish(id, { stopped: true });
    status('Stopped.');
  }
  byId('toolStop').addEventListener('click', stopTools);
  document.addEventListener('velmora-exit', () => { if (tools) tools.terminate(); });

  // What a tool's failure says: its standard error, or its record when json carries it.
  function problemText(answer) {
    if (answer.stopped) return 'Stopped before it was done.';
    const text = (answer.error || answer.output || '').trim();
    return text || `the tool ended with exit status ${answer.exit}`;
  }
  function showProblem(container, answer) {
    container.replaceChildren(element('p', { className: 'problem', role: 'alert', text: problemText(answer) }));
  }

  // ---- the case whose results the form shows ------------------------------------------------
  let shown = null;  // {texts: [DCFP, n, r, j] as typed, record}
  document.addEventListener('velmora-results', (event) => {
    shown = event.detail;
    if (!byId('analysisPanel').hidden) analyse();
  });
  document.addEventListener('velmora-reset', () => {
    shown = null;
    analysed = null;
    clearAnalysis();
  });
  const caseOptions = (texts) => ({ dcfp: texts[0], n: texts[1], r: texts[2], j: texts[3] });
  const inputsLine = (texts) => `DCFP ${texts[0].trim()}, n ${texts[1].trim()}, r ${texts[2].trim()}, j ${texts[3].trim()}`;

  // ---- the bar and its panels -------------------------------------------------------------
  const barItems = [...document.querySelectorAll('#bar .bar-item')];
  const panels = [...document.querySelectorAll('.panel')];
  function openPanel(id) {
    for (const panel of panels) panel.hidden = panel.id !== id;
    for (const item of barItems) {
      if (item.dataset.panel) item.setAttribute('aria-expanded', String(item.dataset.panel === id));
    }
    const panel = byId(id);
    panel.focus();
    if (id === 'analysisPanel') analyse();
  }
  const actions = {
    barCopy: () => copyResults(),
    barSave: () => saveDesign(),
    barOpen: () => byId('designFile').click(),
    barReport: () => printReport(),
  };
  for (const item of barItems) {
    item.addEventListener('click', () => (item.dataset.panel ? openPanel(item.dataset.panel) : actions[item.id]()));
  }

  // F6 moves the focus between the page's regions (the form, the bar, the panel open), as it
  // does in a browser's own window; the form keeps its Tab order to itself, as the window does.
  let lastInForm = null;
  byId('frmMain').addEventListener('focusin', (event) => { lastInForm = event.target; });
  function nextRegion(back) {
    const open = panels.find((panel) => !panel.hidden);
    const regions = [byId('frmMain'), byId('bar'), ...(open ? [open] : [])];
    const at = regions.findIndex((region) => region.contains(document.activeElement));
    const next = regions[(at + (back ? -1 : 1) + regions.length) % regions.length];
    if (next.id === 'frmMain') (lastInForm ?? byId('txtAL')).focus();
    else if (next.id === 'bar') barItems[0].focus();
    else next.focus();
  }
  document.addEventListener('keydown', (event) => {
    if (byId('messageBox').open) return;
    if (event.key === 'F6') {
      event.preventDefault();
      nextRegion(event.shiftKey);
      return;
    }
    // Ctrl+S and Ctrl+O (Command on a Mac) save and open a design, as in the window.
    if ((event.ctrlKey || event.metaKey) && !event.altKey && !event.shiftKey) {
      const item = barItems.find((candidate) => candidate.dataset.shortcut === event.key.toLowerCase());
      if (item) {
        event.preventDefault();
        item.click();
      }
      return;
    }
    // Alt and a bar item's underlined letter (none of them is one of the form's buttons').
    if (event.altKey && !event.ctrlKey && !event.metaKey) {
      const written = event.key.length === 1 ? event.key.toLowerCase() : '';
      const placed = /^Key([A-Z])$/.exec(event.code)?.[1].toLowerCase() ?? '';
      const item = barItems.find((candidate) => candidate.dataset.key === written)
        ?? barItems.find((candidate) => candidate.dataset.key === placed);
      if (item) {
        event.preventDefault();
        item.focus();
        item.click();
      }
    }
  });

  // The analysis's tabs: the arrow keys move between them, Tab into the page shown.
  const tabs = [...document.querySelectorAll('#analysisPanel [role="tab"]')];
  function selectTab(tab) {
    for (const other of tabs) {
      const selected = other === tab;
      other.setAttribute('aria-selected', String(selected));
      other.tabIndex = selected ? 0 : -1;
      byId(other.getAttribute('aria-controls')).hidden = !selected;
    }
  }
  for (const tab of tabs) {
    tab.addEventListener('click', () => selectTab(tab));
    tab.addEventListener('keydown', (event) => {
      const step = { ArrowRight: 1, ArrowLeft: -1 }[event.key];
      if (!step) return;
      event.preventDefault();
      const next = tabs[(tabs.indexOf(tab) + step + tabs.length) % tabs.length];
      selectTab(next);
      next.focus();
    });
  }

  // ---- tables -----------------------------------------------------------------------------
  function fillTable(table, header, rows, rowClass = () => '') {
    const head = element('thead', {}, element('tr', {}, ...header.map((text) => element('th', { scope: 'col', text }))));
    const body = element('tbody', {}, ...rows.map((row, i) => {
      const tr = element('tr', { className: rowClass(i) });
      row.forEach((text, column) => tr.append(element(column === 0 ? 'th' : 'td', column === 0 ? { scope: 'row', text } : { text })));
      return tr;
    }));
    table.replaceChildren(head, body);
  }
  const tabSeparated = (header, rows) => [header, ...rows].map((row) => row.join('\t')).join('\n') + '\n';

  // ---- the charts, as the window draws them -------------------------------------------------
  // The colour-blind-safe palette of Okabe and Ito, one colour, dash and mark per scheme.
  const palette = ['#0072B2', '#E69F00', '#009E73', '#CC79A7'];
  const vermillion = '#D55E00';
  const jGrey = '#555555';
  const dashes = [[], [6, 3], [2, 3], [6, 3, 2, 3]];
  const dcfpDash = [9, 3];
  const jDash = [8, 3, 1.5, 3, 1.5, 3];
  const shapes = ['circle', 'rect', 'triangle', 'rectRot'];
  // The window draws at most this many exact marks across the rank axis (every rank, every
  // second, ...): closer marks hide the line they sit on.
  const mostMarksAcross = 45;

  // A filled five-pointed star of `size` pixels, for the marks that Chart.js's own 'star' (a
  // stroked asterisk) does not draw.
  function starPoints(size, cx, cy) {
    const points = [];
    for (let i = 0; i < 10; ++i) {
      const radius = i % 2 === 0 ? size / 2 : size / 2 * 0.4;
      const angle = -Math.PI / 2 + Math.PI * i / 5;
      points.push([cx + radius * Math.cos(angle), cy + radius * Math.sin(angle)]);
    }
    return points;
  }
  // A canvas, which Chart.js draws at once (an image from a data URL would not be loaded yet
  // when the chart is drawn), at its own size in pixels.
  function starImage(size, fill) {
    const canvas = document.createElement('canvas');
    canvas.width = canvas.height = size + 2;
    const context = canvas.getContext('2d');
    context.beginPath();
    for (const [x, y] of starPoints(size, size / 2 + 1, size / 2 + 1)) context.lineTo(x, y);
    context.closePath();
    context.fillStyle = fill;
    context.fill();
    context.strokeStyle = '#000';
    context.lineWidth = 1;
    context.stroke();
    return canvas;
  }
  // The legend's sample of a line and its marks, as inline SVG.
  function markSvg(shape, size, cx, cy, fill, stroke) {
    const h = size / 2;
    const common = `fill="${fill}" stroke="${stroke}" stroke-width="1.2"`;
    switch (shape) {
      case 'circle': return `<circle cx="${cx}" cy="${cy}" r="${h}" ${common}/>`;
      case 'rect': return `<rect x="${cx - h}" y="${cy - h}" width="${size}" height="${size}" ${common}/>`;
      case 'triangle': return `<path d="M${cx} ${cy - h}L${cx + h} ${cy + h}L${cx - h} ${cy + h}Z" ${common}/>`;
      case 'rectRot': return `<path d="M${cx} ${cy - h}L${cx + h} ${cy}L${cx} ${cy + h}L${cx - h} ${cy}Z" ${common}/>`;
      default: return `<path d="M${starPoints(size, cx, cy).map((p) => p.join(' ')).join('L')}Z" ${common}/>`;
    }
  }
  function legendRow(line, marks, label) {
    const width = 46;
    let svg = `<svg width="${width}" height="16" viewBox="0 0 ${width} 16" aria-hidden="true">`;
    if (line) {
      svg += `<line x1="2" y1="8" x2="${width - 2}" y2="8" stroke="${line.colour}" stroke-width="${line.width}"` +
        (line.dash.length ? ` stroke-dasharray="${line.dash.join(' ')}"` : '') + '/>';
    }
    marks.forEach((mark, i) => { svg += markSvg(mark.shape, mark.size, (width * (i + 1)) / (marks.length + 1), 8, mark.fill, mark.stroke); });
    const row = element('li');
    row.innerHTML = `${svg}</svg>`;
    row.append(element('span', { text: label }));
    return row;
  }

  const number = (text) => Number(String(text).trim().replace(',', '.'));
  // Every rank's mark up to mostMarksAcross ranks, every second up to twice as many, and so
  // on; the chosen rank's always.
  function thinned(rows, chosenRank) {
    const step = Math.max(1, Math.ceil(rows.length / mostMarksAcross));
    return rows.filter((row, i) => i % step === 0 || row.rank === chosenRank);
  }

  // The charts' face: one with outlines that a browser is likely to have, as the window's.
  Chart.defaults.font.family = '"Liberation Sans", Arial, "DejaVu Sans", sans-serif';
  Chart.defaults.color = '#333';
  // Whole ticks at a step of 1, 2 or 5 times a power of ten, at most about ten across: the
  // ranks are whole numbers, and the window's axis steps the same way.
  function wholeTicks(axis) {
    const span = Math.max(1, axis.max - axis.min);
    const power = 10 ** Math.floor(Math.log10(span / 10));
    const step = Math.max(1, [1, 2, 5, 10].map((m) => m * power).find((s) => span / s <= 10) ?? 10 * power);
    const ticks = [];
    for (let value = Math.ceil(axis.min / step) * step; value <= axis.max; value += step) if (value >= 1) ticks.push({ value });
    axis.ticks = ticks;
  }

  const charts = {};
  function chartOptions(title, xTitle, yTitle, x, y) {
    const axisTitle = (text) => ({ display: true, text, font: { weight: 'bold' }, color: '#333' });
    return {
      animation: false,
      maintainAspectRatio: false,
      responsive: true,
      parsing: false,
      plugins: {
        title: { display: true, text: title, font: { size: 15, weight: 'bold' }, color: '#333' },
        legend: { display: false },
        tooltip: { callbacks: { label: (item) => `${item.dataset.label}: ${item.raw.text ?? item.raw.y} at ${item.raw.x}` } },
      },
      scales: {
        x: { type: 'linear', ...x, title: axisTitle(xTitle), grid: { color: '#e6e6e6' } },
        y: { ...y, title: axisTitle(yTitle), grid: { color: '#e6e6e6' } },
      },
    };
  }
  const lineSet = (label, points, colour, dash, width = 2) => ({
    label, data: points, showLine: true, borderColor: colour, backgroundColor: colour,
    borderDash: dash, borderWidth: width, borderCapStyle: 'butt', pointRadius: 0, pointHoverRadius: 3,
  });
  const markSet = (label, points, shape, radius, fill, stroke, order = 0) => ({
    label, data: points, showLine: false, pointStyle: shape, pointRadius: radius, pointHoverRadius: radius + 1,
    pointBackgroundColor: fill, pointBorderColor: stroke, pointBorderWidth: 1.2, order,
  });

  // The CFP of every rank: per scheme the design's line and the exact hollow marks, the chosen
  // rank's big mark (a star where the DCFP is exceeded), the DCFP, and the j bound.
  function cfpChartConfig(curves, logarithmic) {
    const datasets = [];
    const legend = [];
    const drawn = (y) => !logarithmic || y > 0;  // a CFP of 0 has no place on a logarithmic axis
    curves.tests.forEach((test, i) => {
      const name = test.test;
      const design = test.cfp.map((row) => ({ x: row.rank, y: number(row.design), text: row.design })).filter((p) => drawn(p.y));
      const exact = thinned(test.cfp, test.rank).map((row) => ({ x: row.rank, y: number(row.exact), text: row.exact })).filter((p) => drawn(p.y));
      datasets.push(lineSet(`${name} design`, design, palette[i], dashes[i]));
      datasets.push(markSet(`${name} exact`, exact, shapes[i], 3.5, 'rgba(0,0,0,0)', palette[i]));
      legend.push(legendRow({ colour: palette[i], dash: dashes[i], width: 2 }, [{ shape: shapes[i], size: 7, fill: 'none', stroke: palette[i] }], `${name} design, exact`));
      const chosen = test.cfp.find((row) => row.chosen);
      if (chosen && drawn(number(chosen.design))) {
        const point = [{ x: chosen.rank, y: number(chosen.design), text: chosen.design }];
        datasets.push(test.exceeded
          ? markSet(`${name} DCFP exceeded at rank ${chosen.rank}`, point, starImage(20, palette[i]), 10, palette[i], '#000', -1)
          : markSet(`${name} chosen rank ${chosen.rank}`, point, shapes[i], 7.5, palette[i], '#000', -1));
        legend.push(legendRow(null, [{ shape: test.exceeded ? 'star' : shapes[i], size: test.exceeded ? 15 : 13, fill: palette[i], stroke: '#000' }],
          test.exceeded ? `${name} DCFP exceeded at rank ${chosen.rank}` : `${name} chosen rank ${chosen.rank}`));
      }
    });
    const dcfp = number(curves.dcfp);
    if (Number.isFinite(dcfp) && drawn(dcfp)) {
      datasets.push(lineSet(`DCFP ${curves.dcfp.trim()}`, [{ x: 1, y: dcfp }, { x: curves.last_rank, y: dcfp }], '#000', dcfpDash));
    }
    legend.push(legendRow({ colour: '#000', dash: dcfpDash, width: 2 }, [], `DCFP ${curves.dcfp.trim()}`));
    const jInside = curves.j_bound <= curves.last_rank;
    legend.push(legendRow({ colour: jGrey, dash: jDash, width: 1.5 }, [],
      jInside ? `j bound ${curves.j_bound}` : `j bound ${curves.j_bound}, right of the ranks drawn`));
    // On the logarithmic axis a label at each power of ten only, as the window's "1e-02".
    const decade = (value) => (Number.isInteger(Math.round(Math.log10(value) * 1e6) / 1e6) ? value.toExponential(0) : '');
    const y = logarithmic ? { type: 'logarithmic', ticks: { callback: decade } } : { type: 'linear', min: 0, grace: '3%' };
    const options = chartOptions('CFP by rank: design (lines), exact (hollow marks), DCFP',
      'Inverse rank k (1 = background maximum)', 'Cumulative false-positive rate (CFP)',
      { min: 1 - 0.03 * Math.max(1, curves.last_rank - 1), max: curves.last_rank + 0.03 * Math.max(1, curves.last_rank - 1), afterBuildTicks: wholeTicks }, y);
    if (jInside) {
      // The j bound spans the plot's height, whatever the axis: drawn after the scales are known.
      options.plugins.jBound = { rank: curves.j_bound };
    }
    return { type: 'scatter', data: { datasets }, options, plugins: [jBoundLine], legend };
  }
  const jBoundLine = {
    id: 'jBound',
    afterDatasetsDraw(chart, args, options) {
      if (options?.rank === undefined) return;
      const x = chart.scales.x.getPixelForValue(options.rank);
      const { top, bottom } = chart.chartArea;
      const context = chart.ctx;
      context.save();
      context.strokeStyle = jGrey;
      context.lineWidth = 1.5;
      context.setLineDash(jDash);
      context.beginPath();
      context.moveTo(x, top);
      context.lineTo(x, bottom);
      context.stroke();
      context.restore();
    },
  };

  // The power of each scheme's chosen rank by shift: design lines, exact marks, the reference
  // curve and the rating criteria.
  function powerChartConfig(curves) {
    const datasets = [];
    const legend = [];
    curves.tests.forEach((test, i) => {
      const label = `${test.test} rank ${test.rank}${test.exceeded ? ' (DCFP exceeded)' : ''}`;
      datasets.push(lineSet(`${label} design`, test.power.map((p) => ({ x: p.shift, y: number(p.design), text: p.design })), palette[i], dashes[i]));
      datasets.push(markSet(`${label} exact`, test.power.map((p) => ({ x: p.shift, y: number(p.exact), text: p.exact })), shapes[i], 3.5, 'rgba(0,0,0,0)', palette[i]));
      legend.push(legendRow({ colour: palette[i], dash: dashes[i], width: 2 }, [{ shape: shapes[i], size: 7, fill: 'none', stroke: palette[i] }], label));
    });
    const reference = curves.tests[0]?.power ?? [];
    datasets.push(lineSet('Reference curve', reference.map((p) => ({ x: p.shift, y: number(p.reference), text: p.reference })), '#000', [], 3));
    legend.push(legendRow({ colour: '#000', dash: [], width: 3 }, [], 'Reference curve'));
    // The rating's criteria, as the form's caption gives them.
    datasets.push(markSet('Criteria', [{ x: 3, y: 0.539, text: '.539' }, { x: 4, y: 0.814, text: '.814' }], starImage(16, vermillion), 8, vermillion, '#000', -1));
    legend.push(legendRow(null, [{ shape: 'star', size: 14, fill: vermillion, stroke: '#000' }], 'Criteria .539, .814'));
    const options = chartOptions('Power by shift at the chosen ranks: design (lines), exact (marks)',
      'Shift (standard deviations above the background mean)', 'Power (probability of detection)',
      { min: -0.15, max: 5.15, afterBuildTicks: (axis) => { axis.ticks = [0, 1, 2, 3, 4, 5].map((value) => ({ value })); } },
      { type: 'linear', min: -0.03, max: 1.03, afterBuildTicks: (axis) => { axis.ticks = [0, 0.2, 0.4, 0.6, 0.8, 1].map((value) => ({ value })); } });
    return { type: 'scatter', data: { datasets }, options, legend };
  }

  function drawChart(name, canvas, config) {
    charts[name]?.destroy();
    const { legend, ...chartConfig } = config;
    charts[name] = new Chart(canvas, chartConfig);
    const box = canvas.closest('.chart-box');
    box.querySelector('.legend')?.remove();
    box.append(element('ul', { className: 'legend' }, ...legend));
  }

  // ---- the analysis ------------------------------------------------------------------------
  let analysed = null;     // the texts analysed, or being analysed
  let analysis = {};       // the tools' json of that case: curves, audit, strategies
  let generation = 0;
  function clearAnalysis() {
    ++generation;
    analysis = {};
    for (const name of Object.keys(charts)) { charts[name].destroy(); delete charts[name]; }
    for (const box of document.querySelectorAll('#analysisPanel .legend')) box.remove();
    for (const id of ['auditTable', 'ranksTable', 'strategiesTable']) byId(id).replaceChildren();
    for (const id of ['auditHeading', 'auditSummary', 'ranksHeading', 'strategiesHeading']) byId(id).textContent = '';
    byId('analysisInputs').textContent = 'Calculate a case first: the analysis is that of the results shown.';
  }
  const sameTexts = (a, b) => a && b && a.every((text, i) => text === b[i]);

  // Runs a tool for the case analysed; answers its parsed json, or shows why there is none.
  async function caseTool(tool, options, where) {
    const mine = generation;
    const answer = await runTool(tool, { ...options, format: 'json' });
    if (mine !== generation) return null;
    if (answer.stopped || answer.exit !== 0) {
      showProblem(where, answer);
      return null;
    }
    try {
      return JSON.parse(answer.output);
    } catch {
      showProblem(where, { exit: answer.exit, error: `${tool} wrote no json: ${answer.output.slice(0, 200)}` });
      return null;
    }
  }

  async function analyse() {
    if (!shown) return;
    if (sameTexts(analysed, shown.texts)) return;
    clearAnalysis();
    const texts = shown.texts;
    analysed = texts;
    const mine = generation;
    byId('analysisInputs').textContent = inputsLine(texts);
    const options = caseOptions(texts);
    const curves = await caseTool('curves', options, byId('pageCfp').querySelector('.chart-box').parentElement);
    if (mine !== generation) return;
    if (curves) {
      analysis.curves = curves;
      drawAnalysisCharts();
      showRanks(curves);
    }
    const audit = await caseTool('audit', options, byId('auditTable').parentElement);
    if (mine !== generation) return;
    if (audit) {
      analysis.audit = audit;
      showAudit(audit);
    }
    await showStrategies();
    if (mine === generation && analysis.curves && analysis.audit && analysis.strategies) status(`Analysis of ${inputsLine(texts)} done.`);
    // A part left undone (Stop, or a refusal) is run again when the panel is next opened.
    if (mine === generation && !(analysis.curves && analysis.audit && analysis.strategies)) analysed = null;
  }
  function drawAnalysisCharts() {
    const curves = analysis.curves;
    drawChart('cfp', byId('cfpChart'), cfpChartConfig(curves, byId('cfpLog').checked));
    drawChart('power', byId('powerChart'), powerChartConfig(curves));
  }
  byId('cfpLog').addEventListener('change', () => {
    if (analysis.curves) drawChart('cfp', byId('cfpChart'), cfpChartConfig(analysis.curves, byId('cfpLog').checked));
  });

  // Every rank, as the window's Every Rank page: its design and exact CFP, whether it meets the
  // DCFP as typed, its exact powers and rating, and its marks.
  function rankRows(curves) {
    return curves.tests.flatMap((test) => test.cfp.map((row) => {
      const marks = [];
      if (row.chosen) marks.push(test.exceeded ? 'DCFP exceeded at max = 1' : 'chosen');
      if (row.j_bound) marks.push('j bound');
      return [test.test, String(row.rank), row.design ?? '-', row.exact, row.meets ? 'Yes' : 'No',
        ...row.power, row.rating, marks.join(', ')];
    }));
  }
  const rankHeader = ['Test', 'Rank', 'Design CFP', 'Exact CFP', 'Meets DCFP', 'Power 2 SD', 'Power 3 SD',
    'Power 4 SD', 'Rating', 'Mark'];
  function showRanks(curves) {
    byId('ranksHeading').textContent = `Rows for ${inputsLine(shown.texts)}; j bound min(j, n) = ${curves.j_bound}`;
    fillTable(byId('ranksTable'), rankHeader, rankRows(curves));
  }

  // The exact audit, one column per scheme, as the window's Audit page and the report.
  function auditTable(audit) {
    const curves = analysis.curves;
    const header = ['Test', ...audit.tests.map((test) => test.test)];
    const column = (test, i) => {
      const a = test.audit;
      const design = curves?.tests[i];
      const rank = design ? `${design.rank}${design.exceeded ? ' (exceeded)' : ''}` : '';
      let exactRank = `${a.exact_rank}${a.exact_exceeded ? ' (exceeded)' : ''}`;
      if (!a.agrees) exactRank += ' - DIFFERS';
      let rating = a.rating_exact;
      if (a.rating_exact !== test.rating) rating += ' - DIFFERS';
      return [rank, test.cfp, a.cfp_exact, a.next_rank === null ? '-' : String(a.next_rank),
        a.next_cfp_exact ?? '-', a.margin, exactRank, test.power.join('\n'), a.power_exact.join('\n'), test.rating, rating];
    };
    const columns = audit.tests.map(column);
    const names = ['Rank', 'Design CFP', 'Exact CFP', 'Next rank', 'Its exact CFP', 'Margin (DCFP - exact CFP)',
      'Exact rank', 'Design powers (2, 3, 4 SD)', 'Exact powers (2, 3, 4 SD)', 'Design rating', 'Exact rating'];
    return { header, rows: names.map((name, row) => [name, ...columns.map((c) => c[row])]) };
  }
  function auditSummary(audit) {
    const differences = [];
    audit.tests.forEach((test, i) => {
      const design = analysis.curves?.tests[i];
      if (!test.audit.agrees && design) {
        differences.push(`${test.test}: the design chose rank ${design.rank}, exact arithmetic gives rank ${test.audit.exact_rank}${test.audit.exact_exceeded ? ' (exceeded)' : ''}.`);
      }
      if (test.audit.rating_exact !== test.rating) {
        differences.push(`${test.test}: the design rates its power ${test.rating}, the exact power rates ${test.audit.rating_exact}.`);
      }
    });
    return differences.length ? `DIFFERENCES: ${differences.join(' ')}` : "The design's and the exact ranks and ratings agree for every scheme.";
  }
  function showAudit(audit) {
    byId('auditHeading').textContent = `Exact audit against the DCFP as typed ("${audit.dcfp}")`;
    const { header, rows } = auditTable(audit);
    fillTable(byId('auditTable'), header, rows, (i) => (rows[i].some((cell) => cell.endsWith('DIFFERS')) ? 'differs' : ''));
    byId('auditSummary').textContent = auditSummary(audit);
  }

  // The retest strategies of the list typed (the command line's default list when empty).
  const strategyHeader = ['Rule', 'Rank', 'Exceeded', 'Meets DCFP', 'CFP', 'Ind P', '# of Samps',
    'Power 2 SD', 'Power 3 SD', 'Power 4 SD', 'Rating'];
  const strategyRows = (strategies) => strategies.strategies.map((s) => [s.rule, String(s.rank),
    s.exceeded ? 'Yes' : 'No', s.meets ? 'Yes' : 'No', s.cfp, s.percentile, s.samples, ...s.power, s.rating]);
  async function showStrategies() {
    if (!shown) return;
    const texts = shown.texts;
    const rules = byId('strategiesRules').value.trim();
    const mine = generation;
    delete analysis.strategies;
    byId('strategiesTable').replaceChildren();
    byId('strategiesHeading').textContent = `Retest strategies for ${inputsLine(texts)}`;
    const strategies = await caseTool('strategies', { ...caseOptions(texts), ...(rules ? { rules } : {}) }, byId('strategiesTable'));
    if (mine !== generation || !strategies) return;
    analysis.strategies = strategies;
    if (!rules) byId('strategiesRules').placeholder = strategies.strategies.map((s) => s.rule).join(', ');
    const rows = strategyRows(strategies);
    fillTable(byId('strategiesTable'), strategyHeader, rows, (i) => (strategies.strategies[i].meets ? 'meets' : ''));
  }
  byId('strategiesForm').addEventListener('submit', (event) => {
    event.preventDefault();
    showStrategies();
  });
  byId('strategiesDefault').addEventListener('click', () => {
    byId('strategiesRules').value = '';
    showStrategies();
  });

  // ---- Program Design and Sample-Size Planning ------------------------------------------------
  // Their answers are the command line's own text, shown as it writes it.
  function textTool(formId, outputId, tool) {
    byId(formId).addEventListener('submit', async (event) => {
      event.preventDefault();
      const options = {};
      for (const [name, value] of new FormData(byId(formId))) if (String(value).trim() !== '') options[name] = String(value);
      const output = byId(outputId);
      output.textContent = '';
      const answer = await runTool(tool, { ...options, format: 'text' });
      output.classList.toggle('problem', answer.stopped === true || answer.exit !== 0);
      output.textContent = answer.stopped || answer.exit !== 0 ? problemText(answer) : answer.output;
    });
  }
  textTool('designForm', 'designOutput', 'design');
  textTool('planForm', 'planOutput', 'plan');

  // ---- Evaluate Data -----------------------------------------------------------------------
  // The file is read here, in the page, and handed to the worker as text: nothing is sent
  // anywhere.
  let dataFile = null;  // {name, text}
  async function takeFile(file) {
    if (!file) return;
    dataFile = { name: file.name, text: await file.text() };
    byId('evaluateFileName').textContent = `${file.name}, read`;
  }
  byId('evaluateFile').addEventListener('change', (event) => takeFile(event.target.files[0]));
  const dropZone = byId('evaluatePanel');
  dropZone.addEventListener('dragover', (event) => {
    event.preventDefault();
    dropZone.classList.add('dropping');
  });
  dropZone.addEventListener('dragleave', () => dropZone.classList.remove('dropping'));
  dropZone.addEventListener('drop', (event) => {
    event.preventDefault();
    dropZone.classList.remove('dropping');
    takeFile(event.dataTransfer.files[0]);
  });
  // A file dropped anywhere else does not replace the page with the file.
  window.addEventListener('dragover', (event) => event.preventDefault());
  window.addEventListener('drop', (event) => event.preventDefault());

  let verdicts = null;  // the evaluation shown, for the report
  byId('evaluateForm').addEventListener('submit', async (event) => {
    event.preventDefault();
    const out = byId('evaluateOutput');
    verdicts = null;
    if (!dataFile) {
      showProblem(out, { error: 'Choose or drop a monitoring data file first.' });
      return;
    }
    // The file is named in the tool's messages by its name, as the command line names its path.
    const options = { data: dataFile.text, 'data-name': dataFile.name, format: 'json' };
    for (const [name, value] of new FormData(byId('evaluateForm'))) {
      if (name === 'skip-bad-lines') options[name] = 'true';
      else if (typeof value === 'string' && value.trim() !== '') options[name] = value;
    }
    out.replaceChildren();
    const answer = await runTool('evaluate', options);
    // Exit 3 (a well fails) and 2 (undetermined, or a resample needed) are verdicts, not failures.
    if (answer.stopped || ![0, 2, 3].includes(answer.exit) || answer.output.trim() === '') {
      showProblem(out, answer);
      return;
    }
    let records;
    try {
      records = answer.output.trim().split('\n').map((line) => JSON.parse(line));
    } catch {
      showProblem(out, answer);
      return;
    }
    verdicts = { file: dataFile.name, records, notes: answer.error.trim() };
    out.replaceChildren(...verdictsNodes(verdicts));
  });
  function verdictsNodes({ file, records, notes }) {
    const nodes = [element('p', { className: 'panel-note', text: `Verdicts for ${file}` })];
    for (const record of records) {
      if (!record.wells) {
        nodes.push(element('p', { className: 'problem', text: record.error?.lines?.join(' ') ?? JSON.stringify(record) }));
        continue;
      }
      nodes.push(element('h3', { text: `Constituent ${record.constituent}: ${record.rule}, rank ${record.rank}, n = ${record.n}; limit ${record.limit}${record.limit_is_reporting_limit ? ' (a reporting limit)' : ''}` }));
      const table = element('table', { className: 'grid verdicts' });
      fillTable(table, ['Well', 'Verdict', 'Values used', 'Reason'],
        record.wells.map((well) => [well.well, well.verdict, well.values_used.join(', '), well.reason]),
        (i) => `verdict-${record.wells[i].verdict}`);
      nodes.push(element('div', { className: 'table-box' }, table));
    }
    if (notes) nodes.push(element('pre', { className: 'panel-note', text: notes }));
    return nodes;
  }

  // ---- Copy Results ----------------------------------------------------------------------------
  // The grid as the form words its headings, the inputs on a line before it: tab-separated
  // text and an HTML table, as the window puts them on the clipboard.
  const caption = (id) => byId(id).textContent.replace(/\s+/g, ' ').trim();
  function resultsGrid(record) {
    const power = caption('Label21');
    const header = [caption('Label5'), caption('Label7'), caption('lblPowerRatingLabel'), caption('lblNumberOfTests'),
      caption('Label19'), caption('Label20'), ...caption('Label22').split(' ').map((sigma) => `${power} ${sigma}`)];
    const rows = record.tests.map((t, i) => [caption(['Label9', 'Label10', 'Label11', 'Label12'][i]),
      t.status, t.rating, t.samples, t.percentile, t.cfp, ...t.power]);
    return { header, rows };
  }
  // The cells as the form shows them (the record's captions with the page's decimal symbol).
  function shownGrid() {
    const grid = resultsGrid(shown.record);
    grid.rows = grid.rows.map((row, i) => [row[0], ...['lblCU', 'lblPOW', 'lblENT', 'lblP', 'lblQ'].map((name) => byId(`${name}${i + 1}`).textContent),
      ...[1, 2, 3].map((s) => byId(`lblPW${3 * i + s}`).textContent)]);
    return grid;
  }
  function htmlTable(header, rows) {
    const table = element('table', { border: '1', cellspacing: '0', cellpadding: '2' });
    fillTable(table, header, rows);
    return table.outerHTML;
  }
  async function copyResults() {
    if (!shown) {
      status('Calculate first: there are no results to copy.');
      return;
    }
    const { header, rows } = shownGrid();
    const inputs = `Results for ${inputsLine(shown.texts)}`;
    const text = `${inputs}\n${tabSeparated(header, rows)}`;
    const html = `<p>${element('span', { text: inputs }).innerHTML}</p>\n${htmlTable(header, rows)}`;
    try {
      if (window.ClipboardItem) {
        await navigator.clipboard.write([new ClipboardItem({
          'text/plain': new Blob([text], { type: 'text/plain' }), 'text/html': new Blob([html], { type: 'text/html' }) })]);
      } else {
        await navigator.clipboard.writeText(text);
      }
      status('The results are on the clipboard.');
    } catch (e) {
      status(`The results could not be copied: ${e.message}`);
    }
  }

  // ---- Save and Open Design -------------------------------------------------------------------
  // The same .velmora file as the window's, written and read by the records library's own code
  // in the module: saved as a download, opened from a file chosen.
  // What a design opened holds beside the four texts (its site, notes and program), which the
  // page does not edit: saved again as it was read, so that a round trip through the page
  // loses nothing of a file the window wrote.
  let openedExtras = {};
  async function saveDesign() {
    const texts = ['txtAL', 'txtN', 'txtR', 'txtMDET'].map((id) => byId(id).value);
    const answer = await runTool('design-file-write', { ...openedExtras, ...caseOptions(texts) });
    if (answer.stopped || answer.exit !== 0) {
      status(`The design could not be saved: ${problemText(answer)}`);
      return;
    }
    const link = element('a', { href: URL.createObjectURL(new Blob([answer.output], { type: 'application/json' })), download: 'design.velmora' });
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    status('The design was saved as design.velmora (in the browser\'s downloads).');
  }
  byId('designFile').addEventListener('change', async (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (!file) return;
    const answer = await runTool('design-file-read', { text: await file.text(), 'text-name': file.name });
    let design = null;
    if (!answer.stopped && answer.exit === 0) {
      try { design = JSON.parse(answer.output); } catch { design = null; }
    }
    if (!design || typeof design.dcfp !== 'string') {
      status(`${file.name} could not be opened: ${problemText(answer)}`);
      return;
    }
    // As in the window: the focus leaves the n box first (leaving it later would copy n over
    // the file's rank), the boxes take the file's texts as typed, and Calculate runs them; an
    // empty design is the form as Reset leaves it.
    byId('txtAL').focus();
    const texts = [design.dcfp, design.n, design.r, design.j].map((text) => (typeof text === 'string' ? text : ''));
    openedExtras = { site: design.site ?? '', notes: design.notes ?? '', ...(design.program ?? {}) };
    status(`${file.name} opened.`);
    if (texts.every((text) => text === '')) {
      byId('btnReset').click();
      return;
    }
    ['txtAL', 'txtN', 'txtR', 'txtMDET'].forEach((id, i) => { byId(id).value = texts[i]; });
    byId('btnCalculate').click();
  });

  // ---- the report --------------------------------------------------------------------------
  const method = [
    'The calculator finds, for each scheme 1:1 to 1:4 (a comparison that takes up to t samples and fails only when all of them exceed the limit), the optimal inverse rank: the largest rank k, up to the minimum allowable rank j and the background size n, whose cumulative false-positive rate (CFP) over the r comparisons stays at or below the design CFP (DCFP). The limit is the k-th largest of the n background values (k = 1 is the maximum); its percentile is (n - k + 0.5) / n. The number of samples is what the r comparisons need under background conditions, the initial samples plus the expected repeats.',
    'The powers are the probabilities of detecting a shift of 2, 3 and 4 standard deviations above the background mean. A scheme is rated Good when its powers at 3 and 4 standard deviations reach the reference criteria .539 and .814, Acceptable when one of them does, and Low when neither does.',
    "The calculator's own arithmetic is single precision (float32), as the grid shows it. The audit recomputes the CFPs and the powers exactly: a difference between the calculator's rank or rating and the exact one is marked in the audit table.",
  ];
  // A chart drawn at a fixed size for paper, as an image.
  function chartImage(config) {
    const canvas = element('canvas', { width: '960', height: '480' });
    const { legend, ...chartConfig } = config;
    chartConfig.options = { ...chartConfig.options, responsive: false, devicePixelRatio: 2 };
    const holder = element('div', { className: 'report-offscreen' }, canvas);
    document.body.append(holder);
    const chart = new Chart(canvas, chartConfig);
    const image = element('img', { src: chart.toBase64Image(), alt: chartConfig.options.plugins.title.text });
    chart.destroy();
    holder.remove();
    return element('figure', {}, image, element('ul', { className: 'legend' }, ...legend));
  }
  let version = '';  // the module's, asked once for the report
  async function printReport() {
    if (!shown) {
      status('Calculate first: the report is that of the results shown.');
      return;
    }
    if (!sameTexts(analysed, shown.texts) || !analysis.curves || !analysis.audit || !analysis.strategies) {
      status('Analysing for the report…');
      analysed = null;
      await analyse();
      if (!analysis.curves || !analysis.audit || !analysis.strategies) {
        status('The report needs the whole analysis: it was not printed.');
        return;
      }
    }
    if (!version) {
      const answer = await runTool('version', {});
      version = answer.exit === 0 ? answer.output.trim().replace(/^velmora-cli /, '') : '';
    }
    const report = byId('report');
    const section = (title, ...nodes) => [element('h2', { text: title }), ...nodes];
    const table = (header, rows, className) => {
      const node = element('table', { className });
      fillTable(node, header, rows);
      return node;
    };
    const inputs = element('table', { className: 'inputs' }, ...['Label1', 'Label2', 'Label3', 'lblMinimumDetectedValue'].map((id, i) =>
      element('tr', {}, element('td', { text: caption(id) }), element('td', { text: shown.texts[i] }))));
    const grid = shownGrid();
    const audit = auditTable(analysis.audit);
    report.replaceChildren(
      element('h1', { text: 'Velmora: detection-monitoring design report' }),
      element('p', { className: 'notes', text: `Date: ${new Date().toLocaleDateString(undefined, { dateStyle: 'long' })}\nVelmora version ${version}` }),
      // The site and notes of a design opened, as the window's report gives them.
      element('p', { text: `Site: ${openedExtras.site?.trim() ? openedExtras.site : '____________________________________________'}` }),
      ...(openedExtras.notes?.trim() ? [element('p', { className: 'notes', text: `Notes:\n${openedExtras.notes.trim()}` })] : []),
      ...section('Inputs', inputs),
      ...section('Results', table(grid.header, grid.rows, 'grid')),
      ...section('Exact audit', table(audit.header, audit.rows, 'audit'), element('p', {}, element('b', { text: auditSummary(analysis.audit) }))),
      ...section('Retest strategies',
        element('p', { text: `Retest strategies for ${inputsLine(shown.texts)}: for each strategy the largest rank whose exact CFP meets the DCFP (exact arithmetic, as velmora-cli strategies writes it).` }),
        table(strategyHeader, strategyRows(analysis.strategies), 'strategies')),
      ...(verdicts ? section('Verdicts', ...verdictsNodes(verdicts)) : []),
      ...section('Method', ...method.map((text) => element('p', { text }))),
      element('div', { className: 'report-charts' },
        chartImage(cfpChartConfig(analysis.curves, false)), chartImage(powerChartConfig(analysis.curves))),
    );
    status('');
    document.documentElement.classList.add('printing-report');
    window.addEventListener('afterprint', () => document.documentElement.classList.remove('printing-report'), { once: true });
    window.print();
  }

  // ---- offline ----------------------------------------------------------------------------
  // Served over http(s) the page keeps its files for opening again without a network. From
  // disk (velmora.html) there is nothing to keep and no service worker may register.
  if ('serviceWorker' in navigator && /^https?:$/.test(location.protocol)) {
    navigator.serviceWorker.register('velmora-sw.js').catch((e) => status(`Working offline is not available: ${e.message}`));
  }
})();
