// SPDX-License-Identifier: GPL-3.0-or-later
// The window's behaviour. The page adds no arithmetic: every check and every number comes
// from the WebAssembly module (velmora-engine.js), which runs in a worker so that the page
// never freezes during the heaviest runs; the busy pointer shows meanwhile.
'use strict';

(() => {
  const byId = (id) => document.getElementById(id);
  const boxes = { txtAL: byId('txtAL'), txtN: byId('txtN'), txtR: byId('txtR'), txtMDET: byId('txtMDET') };
  const buttons = {
    c: byId('btnCalculate'), p: byId('btnPrint'), r: byId('btnReset'), x: byId('btnExit'), a: byId('btnAbout'),
  };
  const focusOrder = [boxes.txtAL, boxes.txtN, boxes.txtR, boxes.txtMDET,
    buttons.c, buttons.r, buttons.x, buttons.a, buttons.p];

  // The decimal symbol of the captions follows the browser's language, as the window's
  // follows the regional settings.
  const decimalSymbol = (() => {
    try {
      const part = new Intl.NumberFormat(navigator.languages?.[0] ?? navigator.language)
        .formatToParts(1.5).find((p) => p.type === 'decimal');
      return part ? part.value : '.';
    } catch {
      return '.';
    }
  })();

  // ---- the 32 result cells, placed from their twips -------------------------------------
  const cells = {};
  for (const column of document.querySelectorAll('.cells')) {
    const name = column.dataset.array;
    const lefts = column.dataset.left.split(' ').map(Number);
    const width = Number(column.dataset.width);
    const firstTop = Number(column.dataset.top);
    const frame = column.parentElement;
    cells[name] = [];
    for (let t = 1; t <= 4; ++t) {
      for (const left of lefts) {
        const cell = document.createElement('div');
        cell.className = 'cell';
        cell.id = `${name}${cells[name].length + 1}`;
        cell.style.setProperty('--l', left);
        cell.style.setProperty('--t', firstTop + 360 * (t - 1));
        cell.style.setProperty('--w', width);
        cell.style.setProperty('--h', 255);
        frame.insertBefore(cell, column);
        cells[name].push(cell);
      }
    }
    column.remove();
  }

  // ---- message boxes ------------------------------------------------------------------
  const dialog = byId('messageBox');
  let afterDialog = null;
  // A modal box with a title, its lines and one OK button. `then` runs when it is closed
  // (OK, Enter, Esc), with the focus back where it was unless `then` moves it.
  function messageBox(kind, title, lines, then) {
    const returnTo = document.activeElement;
    byId('messageTitle').textContent = title;
    byId('messageIcon').className = `message-icon ${kind}`;
    byId('messageText').textContent = lines.join('\n');
    afterDialog = () => {
      if (then) then();
      else if (returnTo && returnTo.focus) returnTo.focus();
    };
    dialog.showModal();
    byId('messageOk').focus();
  }
  // A click in the box or on the window behind it leaves the focus on OK, so that Enter
  // and Esc still close the box.
  dialog.addEventListener('mousedown', (event) => {
    if (!event.target.closest('button')) event.preventDefault();
  });
  // The box is closed here, and the focus moved in the same step. Closing a modal dialog
  // puts the focus back where it was when the box opened at once, but the dialog's close
  // event comes a task later: a key typed in between would reach the box left behind
  // rather than the one the box sends the user to.
  function closeMessageBox() {
    if (dialog.open) dialog.close();
    const next = afterDialog;
    afterDialog = null;
    if (next) next();
  }
  // OK (a click, Enter or Space on it) and Esc.
  byId('messageOk').form.addEventListener('submit', (event) => {
    event.preventDefault();
    closeMessageBox();
  });
  dialog.addEventListener('cancel', (event) => {
    event.preventDefault();
    closeMessageBox();
  });
  // Any other way the box may close (none today) still runs what was to follow; the close
  // event of a box already closed above finds nothing to do, even when `then` opened another.
  dialog.addEventListener('close', () => {
    if (!dialog.open && afterDialog) closeMessageBox();
  });

  const about = [
    'Velmora: ',
    '',
    '-- This program calculates the optimal rank values for ',
    '   1:1 through 1:4 non-parametric maximum tests, given',
    '   single constituent cumulative false positive, background',
    '   sample size, and number of comparisons as inputs.',
    '',
    '-- The user can also specify a lowest maximum value allowable',
    '   in the background data set. ',
    '',
    '-- The program also provides power estimates and ratings based',
    '   on Tavrel reference power criteria.',
    '',
    'This program was developed by:',
    ...['Velmora project', 'Velmora maintainers team', 'Project home: the Velmora source repository',
      "Issues and questions: the project's issue tracker", 'velmora@users.invalid', 'No telephone support']
      .map((line) => ' '.repeat(10) + line),
  ];
  const numberOfTests = [
    'Number of Samples for r Tests to the same background: ',
    '      Initial number of comparison samples, plus expected repeats',
    '      under background conditions',
  ];
  const powerRating = [
    '       Good:   3- & 4- sigma levels equal or exceed Tavrel reference criteria',
    '',
    '      Acceptable:   3- or 4- sigma levels equal or exceed',
    '',
    '      Low:   Neither 3- or 4- sigma levels equal or exceed',
    '',
    'Rating Criteria: 3-sigma level equals or exceeds .539',
    '',
    '                        4-sigma level equals or exceeds .814',
  ];

  // ---- the engine in a worker ---------------------------------------------------------
  // Served over http(s) the worker is velmora-worker.js; in the single-file page (opened
  // from disk, where a browser starts no worker from a file) it is built from the module's
  // and the worker's text embedded in the page. The panels' tools start theirs the same way.
  function startWorker() {
    const embedded = byId('velmora-engine-source');
    if (embedded) {
      const wasm = byId('velmora-wasm-source');
      const source = (wasm ? `const velmoraWasmGzip = ${JSON.stringify(wasm.textContent.trim())};\n` : '') +
        embedded.textContent + '\n' + byId('velmora-worker-source').textContent;
      return new Worker(URL.createObjectURL(new Blob([source], { type: 'text/javascript' })));
    }
    return new Worker('velmora-worker.js');
  }
  window.velmoraStartWorker = startWorker;
  const worker = startWorker();
  let nextRequest = 1;
  const pending = new Map();
  worker.onmessage = (event) => {
    const { id, record, error } = event.data;
    const done = pending.get(id);
    pending.delete(id);
    if (done) done(error === undefined ? JSON.parse(record) : { internal_error: error });
  };
  worker.onerror = (event) => {
    event.preventDefault();
    for (const [id, done] of pending) {
      pending.delete(id);
      done({ internal_error: event.message || 'the calculation could not be started' });
    }
  };
  const calculate = (texts) => new Promise((resolve) => {
    const id = nextRequest++;
    pending.set(id, resolve);
    worker.postMessage({ id, texts, decimalSymbol });
  });

  // ---- the window's actions ------------------------------------------------------------
  let busy = false;

  function showResults(tests) {
    tests.forEach((test, i) => {
      cells.lblCU[i].textContent = test.status;
      cells.lblPOW[i].textContent = test.rating;
      cells.lblENT[i].textContent = test.samples;
      cells.lblP[i].textContent = test.percentile;
      cells.lblQ[i].textContent = test.cfp;
      test.power.forEach((power, sigma) => { cells.lblPW[3 * i + sigma].textContent = power; });
    });
  }

  async function onCalculate() {
    if (busy) return;
    busy = true;
    document.documentElement.classList.add('busy');
    const texts = [boxes.txtAL.value, boxes.txtN.value, boxes.txtR.value, boxes.txtMDET.value];
    let record;
    try {
      record = await calculate(texts);
    } finally {
      busy = false;
      document.documentElement.classList.remove('busy');
    }
    if (record.internal_error !== undefined) {
      messageBox('warning', 'Velmora', ['The calculation failed:', record.internal_error]);
    } else if (record.error) {
      // A refusal leaves the results of an earlier run as they are.
      const focus = boxes[record.error.focus];
      messageBox('warning', record.error.title, record.error.lines, () => focus.focus());
    } else {
      showResults(record.tests);
      // The page's panels (velmora-panels.js) work on the case whose results are shown.
      document.dispatchEvent(new CustomEvent('velmora-results', { detail: { texts, record } }));
    }
  }

  function onReset() {
    if (busy) return;
    for (const box of Object.values(boxes)) box.value = '';
    for (const column of Object.values(cells)) for (const cell of column) cell.textContent = '';
    document.dispatchEvent(new CustomEvent('velmora-reset'));
    boxes.txtAL.focus();
  }

  function onExit() {
    // A page may close only a window that a script opened; elsewhere the window ends here.
    window.close();
    setTimeout(() => {
      if (window.closed) return;
      worker.terminate();
      document.dispatchEvent(new CustomEvent('velmora-exit'));
      byId('app').remove();
      byId('ended').hidden = false;
    }, 50);
  }

  buttons.c.addEventListener('click', onCalculate);
  buttons.r.addEventListener('click', onReset);
  buttons.p.addEventListener('click', () => { if (!busy) window.print(); });
  buttons.x.addEventListener('click', onExit);
  buttons.a.addEventListener('click', () => messageBox('information', 'About the Velmora', about));
  byId('lblNumberOfTests').addEventListener('click', () => messageBox('information', 'Number of Tests Explanation', numberOfTests));
  byId('lblPowerRatingLabel').addEventListener('click', () => messageBox('information', 'Power Rating Explanation', powerRating));

  // Leaving the n box copies its text, unchanged, into the rank box: when the focus moves to
  // another control of the window, not when the page loses the focus or a message box opens.
  boxes.txtN.addEventListener('blur', (event) => {
    if (!document.hasFocus() || dialog.contains(event.relatedTarget)) return;
    boxes.txtMDET.value = boxes.txtN.value;
  });

  // Only the boxes and the buttons take the focus: a click on a label or a frame leaves it
  // where it is.
  byId('frmMain').addEventListener('mousedown', (event) => {
    if (!event.target.closest('input, button')) event.preventDefault();
  });
  // Labels "for" a box would move the focus on a click; the window's captions do not.
  for (const label of document.querySelectorAll('label.label')) {
    label.addEventListener('click', (event) => event.preventDefault());
  }

  document.addEventListener('keydown', (event) => {
    if (dialog.open) return;
    // Enter in a text box presses Calculate, the default button, without moving the focus.
    if (event.key === 'Enter' && event.target.classList?.contains('textbox')) {
      event.preventDefault();
      onCalculate();
      return;
    }
    // Tab runs through the boxes and buttons in the window's order, round and round.
    if (event.key === 'Tab') {
      const at = focusOrder.indexOf(document.activeElement);
      if (at >= 0) {
        event.preventDefault();
        const step = event.shiftKey ? -1 : 1;
        focusOrder[(at + step + focusOrder.length) % focusOrder.length].focus();
      }
      return;
    }
    // Access keys: Alt and the underlined letter moves the focus to the button and presses it.
    // The letter is the one the key writes; where Alt makes it write a character that is no
    // letter (the Option key of a Mac keyboard), the letter of the key's place.
    if (event.altKey && !event.ctrlKey && !event.metaKey) {
      const written = event.key.length === 1 ? event.key.toLowerCase() : '';
      const placed = /^Key([A-Z])$/.exec(event.code)?.[1].toLowerCase() ?? '';
      const button = /^[a-z]$/.test(written) ? buttons[written] : buttons[placed];
      if (button) {
        event.preventDefault();
        button.focus();
        button.click();
      }
    }
  });

  boxes.txtAL.focus();
})();
