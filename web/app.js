// The page: builds the options form from the engine's own description of the program, converts a
// typed point as the user types, and converts a CSV file in a worker of its own. Every rule, check and
// message comes from the engine (the program compiled to WebAssembly); the page only chooses options,
// moves bytes and shows what the program said.
'use strict';

(() => {
  const kDebounceMs = 220;
  const kPreviewBytes = 64 * 1024;   // read of the file's start for the preview and the detection
  const kPreviewLines = 14;
  const kMaxHeaderLines = 10;        // more leading lines without a point than this: not a header

  // Options the page provides itself, so they get no field of their own.
  const kHandledByPage = new Set(['--inputfile', '--outputfile', '--progress', '--threads', '--help', '--version',
    '--gridfolder', '--grid', '--extragrid', '--columns', '--delimiter', '--skiplines', '--comment',
    '--epochcolumn', '--zonecolumn']);
  // Second names of one option: the form shows the first only.
  const kAliases = { '--fromzone': '--zone', '--fromepoch': '--epoch' };
  const kGroups = [
    ['Datums and forms', ['--fromDatum', '--toDatum', '--fromCoordType', '--toCoordType', '--zone', '--fromZone',
      '--toZone', '--fromCircuit', '--toCircuit', '--ISGSubZone', '--hemisphere', '--epoch', '--fromEpoch',
      '--toEpoch', '--useITRF2008', '--tmFormulas']],
    ['Heights', ['--fromHeightType', '--toHeightType', '--useAusGeoid98']],
    ['Grid shifts', ['--useGridShift']],
    ['Output', ['--decimals', '--heightDecimals', '--dmsFormat', '--showFactors', '--showAccuracy', '--showMethod']],
    ['Checking', ['--strict', '--quiet', '--summary']],
  ];
  // Values offered as suggestions (any other text still goes to the program, which judges it).
  const kSuggestions = {
    '--dmsformat': ['plain', 'hemisphere', 'symbols'],
    '--tmformulas': ['redfearn', 'krueger'],
    '--hemisphere': ['S', 'N'],
    '--tozone': ['auto'],
    '--isgsubzone': ['1', '2', '3'],
  };
  const kPointExamples = {
    EN: ['Easting', 'Northing', '334901.009', '6252292.386'],
    DMS: ['Latitude', 'Longitude', '-33 51 24.408', '151 12 55.08'],
    DM: ['Latitude', 'Longitude', '-33 51.4068', '151 12.918'],
    DD: ['Latitude', 'Longitude', '-33.85678', '151.21530'],
  };
  const kRoles = [
    ['first', 'First coordinate'], ['second', 'Second coordinate'], ['height', 'Height'],
    ['epoch', 'Epoch'], ['zone', 'Zone'],
  ];
  const kDelimiters = [[',', 'comma'], [';', 'semicolon'], ['tab', 'tab'], ['space', 'spaces']];

  const $ = (id) => document.getElementById(id);
  const el = (tag, attrs = {}, ...children) => {
    const node = document.createElement(tag);
    for (const [key, value] of Object.entries(attrs)) {
      if (key === 'class') node.className = value;
      else if (key === 'text') node.textContent = value;
      else if (key.startsWith('on')) node.addEventListener(key.slice(2), value);
      else if (value !== false && value !== undefined && value !== null) node.setAttribute(key, value === true ? '' : value);
    }
    for (const child of children) if (child) node.append(child);
    return node;
  };
  const lower = (name) => name.toLowerCase();
  const megabytes = (bytes) => (bytes < 100 * 1024
    ? Math.ceil(bytes / 1024) + ' KB'
    : (bytes / (1024 * 1024)).toFixed(bytes < 10 * 1024 * 1024 ? 1 : 0) + ' MB');
  const debounce = (fn, ms) => {
    let timer = null;
    return () => { clearTimeout(timer); timer = setTimeout(fn, ms); };
  };

  // ---- Workers -------------------------------------------------------------------------------------
  // The engine's text and the worker's code are kept in the page as plain text; a worker is started
  // from a Blob of both, so the page works from file:// and fetches nothing.
  const workerUrl = URL.createObjectURL(new Blob(
    [$('velmora-engine').textContent, '\n;\n', $('velmora-worker').textContent], { type: 'text/javascript' }));

  // The long-lived worker: describe, checks, grid report, one point. Requests are answered in order.
  // An engine that failed (a WebAssembly trap leaves it unusable) is replaced by a fresh worker with
  // the same grid files, so the next request works again.
  const session = (() => {
    let worker = null;
    let mounts = [];
    const pending = new Map();
    let nextId = 1;
    const start = () => {
      worker = new Worker(workerUrl);
      worker.onmessage = (event) => {
        const reply = event.data;
        const waiter = pending.get(reply.id);
        if (!waiter) {
          if (reply.type === 'failed') showEngineFailure(reply.message);
          return;
        }
        pending.delete(reply.id);
        if (reply.type === 'failed') {
          restart();
          waiter.reject(new Error(reply.message));
        } else {
          waiter.resolve(reply);
        }
      };
      worker.onerror = (event) => showEngineFailure(event.message || 'the worker stopped');
      if (mounts.length) worker.postMessage({ type: 'grids', mounts, id: 0 });
    };
    const restart = () => {
      worker.terminate();
      for (const [id, waiter] of pending) waiter.reject(new Error('the engine stopped (request ' + id + ')'));
      pending.clear();
      start();
    };
    const request = (message) => new Promise((resolve, reject) => {
      const id = nextId++;
      pending.set(id, { resolve, reject });
      worker.postMessage({ ...message, id });
    });
    start();
    return {
      call: async (fn, argv) => (await request({ type: 'call', fn, argv })).result,
      mount: (newMounts) => { mounts = newMounts; return request({ type: 'grids', mounts }); },
      point: (argv) => request({ type: 'point', argv }),
    };
  })();

  function showEngineFailure(message) {
    const pill = $('engine-state');
    pill.textContent = 'engine failed';
    pill.title = message;
    addMessage($('general-messages'), 'The engine could not run: ' + message, 'error');
  }

  // ---- State ---------------------------------------------------------------------------------------
  let description = null;
  const fields = [];                 // {option, name, takesValue, input, wrap, message}
  const slotFiles = new Map();       // slot name -> {main: File|null, extras: [File]}
  let folderFiles = [];
  let folderLeftOut = 0;             // files in sub-folders of the chosen folder, which are not searched
  let lastReport = { problems: [], slots: [] };
  let generation = 0;
  // The option check and the grid report (which opens the grid files) of the last options and grids:
  // typing a point reuses them; gridsChanged forgets them.
  let checked = null;
  const fileState = {
    file: null, lines: [], delimiter: ',', skipLines: 0, comment: '', roles: {}, explicitColumns: false,
    activeRole: 'first', worker: null, downloadUrl: null,
  };
  // What tests and curious users can read: the last arguments given to the engine, and run figures.
  const pageState = window.velmoraPage = {
    ready: false, lastPointArgv: null, lastFileArgv: null, file: { phase: 'idle' },
  };

  // ---- The options form ----------------------------------------------------------------------------
  // The option's lines of --help as a tooltip: its synopsis ("--zone N, --fromZone N"), then the
  // text as one paragraph.
  function helpOf(option) {
    const lines = (option.help || '').split('\n').map((line) => line.trim()).filter(Boolean);
    if (!lines.length) return '';
    const first = lines[0].match(/^(\S.*?)\s{2,}(.*)$/);
    const synopsis = first ? first[1] : lines[0];
    const text = [...(first ? [first[2]] : []), ...lines.slice(1)].join(' ').replace(/\s+/g, ' ');
    return text ? synopsis + '\n' + text : synopsis;
  }

  function choicesFor(name) {
    switch (lower(name)) {
      case '--fromdatum': case '--todatum': return description.datums;
      case '--fromcoordtype': case '--tocoordtype': return description.coordTypes;
      case '--fromheighttype': case '--toheighttype': return description.heightTypes;
      case '--fromcircuit': case '--tocircuit': return description.circuits;
      default: return null;
    }
  }

  function makeField(option) {
    const help = helpOf(option);
    const label = option.name.replace(/^--/, '');
    if (!option.takesValue) {
      const input = el('input', { type: 'checkbox', 'data-option': option.name, onchange: onOptionsChanged });
      const wrap = el('label', { class: 'check', title: help }, input, el('span', { text: label }));
      const message = el('span', { class: 'field-message' });
      const holder = el('div', { class: 'field flag' }, wrap, message);
      return { option, name: option.name, takesValue: false, input, wrap: holder, message };
    }
    const choices = choicesFor(option.name);
    let input;
    if (choices && choices.length) {
      input = el('select', { 'data-option': option.name, onchange: onOptionsChanged },
        el('option', { value: '', text: '(default)' }), ...choices.map((c) => el('option', { value: c, text: c })));
    } else {
      const suggestions = kSuggestions[lower(option.name)];
      const listId = suggestions ? 'list' + option.name.replace(/\W/g, '') : null;
      input = el('input', { type: 'text', 'data-option': option.name, list: listId, spellcheck: 'false', oninput: onOptionsChanged });
      if (suggestions) {
        document.body.append(el('datalist', { id: listId }, ...suggestions.map((s) => el('option', { value: s }))));
      }
    }
    const message = el('span', { class: 'field-message' });
    const wrap = el('label', { class: 'field' }, el('span', { title: help, text: label }), input, message);
    input.title = help;
    return { option, name: option.name, takesValue: true, input, wrap, message };
  }

  function buildForm() {
    const form = $('options-form');
    const byName = new Map(description.options.map((o) => [lower(o.name), o]));
    const shown = description.options.filter((o) => !kHandledByPage.has(lower(o.name)) &&
      !(kAliases[lower(o.name)] && byName.has(kAliases[lower(o.name)])));
    const placed = new Set();
    const groups = kGroups.map(([title, names]) => {
      const members = names.map((n) => shown.find((o) => lower(o.name) === lower(n))).filter(Boolean);
      members.forEach((o) => placed.add(o));
      return [title, members];
    });
    groups.push(['More', shown.filter((o) => !placed.has(o))]);
    for (const [title, members] of groups) {
      if (!members.length) continue;
      const values = el('div', { class: 'grid2' });
      const flags = el('div', { class: 'grid2' });
      for (const option of members) {
        const field = makeField(option);
        fields.push(field);
        (field.takesValue ? values : flags).append(field.wrap);
      }
      form.append(el('fieldset', {}, el('legend', { text: title }), values.childElementCount ? values : null,
        flags.childElementCount ? flags : null));
    }
  }

  // The options as the program gets them, with for each argument the place its messages go.
  function optionArgv() {
    const argv = [];
    const owners = [];
    for (const field of fields) {
      if (field.takesValue) {
        const value = field.input.value.trim();
        if (value === '') continue;
        argv.push(field.name, value);
        owners.push(field, field);
      } else if (field.input.checked) {
        argv.push(field.name);
        owners.push(field);
      }
    }
    return { argv, owners };
  }

  function fieldValue(name) {
    const field = fields.find((f) => lower(f.name) === lower(name));
    return field ? (field.takesValue ? field.input.value.trim() : field.input.checked) : '';
  }

  // ---- Grid files ----------------------------------------------------------------------------------
  function slotIndex(slot) {
    return description.slots.findIndex((s) => s.name === slot);
  }

  function gridMounts() {
    const mounts = [{ dir: '/gridfolder', files: folderFiles }];
    for (const [slot, chosen] of slotFiles) {
      const k = slotIndex(slot);
      if (chosen.main) mounts.push({ dir: `/grids/${k}`, files: [chosen.main] });
      if (chosen.extras.length) mounts.push({ dir: `/grids/${k}x`, files: chosen.extras });
    }
    return mounts;
  }

  // The grid options, and the same as the user would type them (file names for the mounted paths).
  function gridArgv() {
    const argv = [];
    const shown = [];
    if (folderFiles.length) {
      argv.push('--gridFolder', '/gridfolder');
      shown.push('--gridFolder', folderLabel());
    }
    for (const [slot, chosen] of slotFiles) {
      const k = slotIndex(slot);
      if (chosen.main) {
        argv.push('--grid', `${slot}=/grids/${k}/${chosen.main.name}`);
        shown.push('--grid', `${slot}=${chosen.main.name}`);
      }
      for (const extra of chosen.extras) {
        argv.push('--extraGrid', `${slot}=/grids/${k}x/${extra.name}`);
        shown.push('--extraGrid', `${slot}=${extra.name}`);
      }
    }
    return { argv, shown };
  }

  function folderLabel() {
    const first = folderFiles[0];
    const rel = first && first.webkitRelativePath;
    return rel ? rel.split('/')[0] : 'GRID_FOLDER';
  }

  async function gridsChanged() {
    await session.mount(gridMounts());
    checked = null;
    const state = $('grid-folder-state');
    state.textContent = folderFiles.length
      ? `${folderFiles.length} file${folderFiles.length > 1 ? 's' : ''}${folderFiles[0].webkitRelativePath ? ' in ' + folderLabel() : ''}`
      : 'none';
    if (folderLeftOut) state.textContent += ` (${folderLeftOut} in its sub-folders, not searched, as by the program)`;
    $('grid-folder-clear').hidden = folderFiles.length === 0;
    refresh();
  }

  function renderSlots(report) {
    const box = $('grid-slots');
    box.textContent = '';
    const reported = new Map((report.slots || []).map((s) => [s.slot, s]));
    const names = description.slots.map((s) => s.name)
      .filter((name) => (reported.get(name) && reported.get(name).needed) || slotFiles.has(name));
    if (!names.length) {
      box.append(el('p', { class: 'muted', text: 'The options need no grid file.' }));
    }
    for (const name of names) {
      const info = reported.get(name) || {};
      const slot = description.slots.find((s) => s.name === name);
      const chosen = slotFiles.get(name) || { main: null, extras: [] };
      const badge = info.open ? el('span', { class: 'badge open', text: 'open' })
        : chosen.main ? el('span', { class: 'badge missing', text: 'unusable' })
          : info.optional ? el('span', { class: 'badge optional', text: 'optional, missing' })
            : el('span', { class: 'badge missing', text: 'missing' });
      const readable = description.gridFormats.split(' ');
      const names = slot.files.filter((file) => readable.some((format) => file.endsWith(format)));
      const pick = el('input', { type: 'file', hidden: true, accept: description.gridFormats.replace(/ /g, ','),
        onchange: (e) => { setSlot(name, { ...chosen, main: e.target.files[0] || null }); } });
      const extras = el('input', { type: 'file', hidden: true, multiple: true,
        onchange: (e) => { setSlot(name, { ...chosen, extras: [...e.target.files] }); } });
      const fileText = chosen.main ? chosen.main.name : (info.open && info.path ? info.path.replace(/^.*\//, '') + ' (folder)' : '');
      box.append(el('div', { class: 'slot', 'data-slot': name },
        el('div', {}, el('div', { class: 'name', text: name }), badge),
        el('div', {},
          el('div', { text: fileText || 'no file chosen', class: fileText ? '' : 'muted' }),
          el('div', { class: 'names', text: 'Looked for as ' + names.join(', ') }),
          chosen.extras.length ? el('div', { class: 'names', text: 'Also: ' + chosen.extras.map((f) => f.name).join(', ') }) : null),
        el('div', { class: 'actions' },
          el('button', { type: 'button', class: 'button secondary', title: 'The file for this slot (--grid)',
            onclick: () => pick.click() }, 'File…'), pick,
          el('button', { type: 'button', class: 'button secondary', title: 'Files tried after the slot\'s own (--extraGrid)',
            onclick: () => extras.click() }, 'Extra…'), extras,
          chosen.main || chosen.extras.length
            ? el('button', { type: 'button', class: 'link', text: 'clear', onclick: () => setSlot(name, null) }) : null)));
    }
    const problems = $('grid-problems');
    problems.textContent = '';
    for (const problem of report.problems || []) addMessage(problems, problem, 'warning');
  }

  function setSlot(name, chosen) {
    if (chosen && (chosen.main || chosen.extras.length)) slotFiles.set(name, chosen);
    else slotFiles.delete(name);
    gridsChanged();
  }

  // ---- Checking and the point ----------------------------------------------------------------------
  function addMessage(box, text, kind) {
    box.append(el('div', { class: 'message ' + kind, text }));
  }

  function showChecks(check, owners, gridStart) {
    for (const field of fields) {
      field.message.textContent = '';
      field.message.className = 'field-message';
      field.wrap.classList.remove('invalid');
    }
    const general = $('general-messages');
    general.textContent = '';
    // A run without --strict warns of what --strict rejects, mostly in the same words: each text once.
    const said = new Set();
    const place = (entry, kind) => {
      const text = typeof entry === 'string' ? entry : entry.message;
      const index = typeof entry === 'string' ? -1 : entry.index;
      const field = index >= 0 && index < gridStart ? owners[index] : null;
      const key = (field ? field.name : '') + '\n' + text;
      if (said.has(key)) return;
      said.add(key);
      if (field) {
        field.message.textContent = (field.message.textContent ? field.message.textContent + '\n' : '') + text;
        if (kind === 'error') field.wrap.classList.add('invalid');
        else field.message.classList.add('warning');
      } else {
        addMessage(general, text, kind);
      }
    };
    for (const error of check.errors || []) place(error, 'error');
    for (const warning of check.warnings || []) place(warning, 'warning');
  }

  function pointArgs() {
    const first = $('point-first').value.trim();
    const second = $('point-second').value.trim();
    const height = $('point-height').value.trim();
    if (!first || !second) return null;
    return height ? [first, second, height] : [first, second];
  }

  function updatePointLabels() {
    const type = (fieldValue('--fromCoordType') || 'DD').toUpperCase();
    const [a, b, pa, pb] = kPointExamples[type] || kPointExamples.DD;
    $('label-first').textContent = a;
    $('label-second').textContent = b;
    $('point-first').placeholder = pa;
    $('point-second').placeholder = pb;
  }

  // The arguments of the file's run after the options and grids: the file's own, --summary (the page
  // shows the counts), and the input, named as the user knows it (the worker runs in its folder).
  function fileRunArgs(options) {
    const args = [...fileArgv().extra];
    if (!options.some((a) => lower(a) === '--summary')) args.push('--summary');
    args.push('--inputFile', fileState.file.name);
    return args;
  }

  const quote = (arg) => (/^[\w@%+=:,./-]+$/.test(arg) ? arg : "'" + arg.replace(/'/g, "'\\''") + "'");

  function showCommandLine(options, grids) {
    const point = pointArgs();
    const words = (args) => ['velmora', ...args].map(quote).join(' ');
    const [a, b] = (fieldValue('--fromCoordType') || 'DD').toUpperCase() === 'EN' ? ['E', 'N'] : ['LAT', 'LON'];
    const lines = [words([...options, ...grids.shown, ...(point || [a, b])])];
    if (fileState.file) lines.push(words([...options, ...grids.shown, ...fileRunArgs(options)]));
    $('command-line').textContent = lines.join('\n');
  }

  async function refresh() {
    if (!description) return;
    const mine = ++generation;
    updatePointLabels();
    const { argv, owners } = optionArgv();
    const grids = gridArgv();
    const all = [...argv, ...grids.argv];
    showCommandLine(argv, grids);
    markStaleResult([...all, ...(fileState.file ? fileRunArgs(argv) : [])]);
    try {
      const key = JSON.stringify(all);
      const entry = checked?.key === key ? checked : (checked = { key });
      entry.check ??= await session.call('checkOptions', all);
      if (mine !== generation) return;
      showChecks(entry.check, owners, argv.length);
      entry.report ??= await session.call('gridReport', all);
      if (mine !== generation) return;
      lastReport = entry.report;
      renderSlots(entry.report);
      const point = pointArgs();
      const status = $('point-status');
      if (!point) {
        $('point-result').textContent = '';
        $('point-messages').textContent = '';
        status.textContent = '';
        return;
      }
      pageState.lastPointArgv = [...all, ...point];
      const result = await session.point(pageState.lastPointArgv);
      if (mine !== generation) return;
      $('point-result').textContent = result.stdout;
      $('point-messages').textContent = result.stderr;
      status.textContent = 'exit status ' + result.status;
      status.className = 'exit ' + (result.status === 0 ? 'ok' : 'fail');
      pageState.lastPoint = result;
    } catch (error) {
      addMessage($('general-messages'), String(error.message || error), 'error');
    }
  }
  const refreshSoon = debounce(refresh, kDebounceMs);
  function onOptionsChanged() { refreshSoon(); }

  // ---- The CSV file --------------------------------------------------------------------------------
  // A result made with other arguments than those now chosen is withdrawn: its download would not be
  // what the page shows.
  function markStaleResult(currentArgv) {
    const run = pageState.file;
    if (run.phase !== 'done' || !pageState.lastFileArgv) return;
    if (JSON.stringify(currentArgv) === JSON.stringify(pageState.lastFileArgv)) return;
    run.phase = 'stale';
    $('download').hidden = true;
    $('file-outcome').textContent = 'The options changed since the last conversion: convert again for a result with these.';
  }

  // The fields of line i of the preview as the program reads them with --columns (the engine splits
  // the lines for every delimiter when the file is chosen).
  function fieldsOf(i, delimiter = fileState.delimiter) {
    const rows = fileState.split && fileState.split[delimiter];
    return (rows && rows[i]) || [];
  }

  // A field that reads as a coordinate or a height: a number, or degrees with minutes and seconds.
  const looksNumeric = (text) => /^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$/.test(text);
  const looksCoordinate = (text) => looksNumeric(text) ||
    /^\s*[NSEWnsew]?\s*[+-]?\d+([\s°:dDmMsS'"]+\d+(\.\d*)?)+[\s°'"sS]*[NSEWnsew]?\s*$/.test(text);

  function detectDelimiter(lines) {
    const sample = lines.map((l, i) => i).filter((i) => lines[i].trim()).slice(0, 20);
    for (const name of ['tab', ';', ',']) {
      const withIt = sample.filter((i) => fieldsOf(i, name).length > 1).length;
      if (withIt >= Math.max(1, Math.ceil(sample.length * 0.6))) return name;
    }
    return sample.some((i) => /\S[ \t]+\S/.test(lines[i].trim())) ? 'space' : ',';
  }

  function detectLayout() {
    const s = fileState;
    s.delimiter = detectDelimiter(s.lines);
    s.comment = s.lines.some((l) => l.startsWith('#')) ? '#' : '';
    let skip = 0;
    while (skip < s.lines.length && skip < kMaxHeaderLines) {
      const line = s.lines[skip];
      if (s.comment && line.startsWith(s.comment)) break;
      if (fieldsOf(skip).filter(looksCoordinate).length >= 2) break;
      skip++;
    }
    s.skipLines = skip < Math.min(s.lines.length, kMaxHeaderLines) ? skip : 0;
    detectRoles();
  }

  function firstDataFields() {
    const s = fileState;
    for (let i = s.skipLines; i < s.lines.length; i++) {
      const line = s.lines[i];
      if (!line.trim() || (s.comment && line.startsWith(s.comment))) continue;
      return fieldsOf(i);
    }
    return [];
  }

  // The columns of the point: by the header's names when a header line names them, else the first
  // fields that read as coordinates, passing over whole numbers (point numbers, codes) when fractional
  // ones follow.
  const kHeaderNames = {
    first: /^(lat|latitude|phi|e|east|easting)$/i,
    second: /^(lon|long|longitude|lambda|n|north|northing)$/i,
    height: /^(h|ht|height|elev|elevation|z|rl|ahd)$/i,
  };

  function detectRoles() {
    const s = fileState;
    const data = firstDataFields();
    s.roles = {};
    s.explicitColumns = false;
    s.activeRole = 'first';
    if (s.skipLines > 0) {
      const names = fieldsOf(s.skipLines - 1).map((n) => n.trim());
      for (const role of ['first', 'second', 'height']) {
        const column = names.findIndex((n) => kHeaderNames[role].test(n));
        if (column >= 0 && looksCoordinate(data[column] || '')) s.roles[role] = column + 1;
      }
      if (s.roles.first && s.roles.second) return;
      s.roles = {};
    }
    // An angle split at its blanks (degrees, minutes, seconds and a hemisphere letter each a field)
    // has no two fields that are the point: the user picks them.
    const splitAngles = data.some((f) => /^\s*[NSEWnsew]\s*$/.test(f)) ||
      (s.delimiter === 'space' && ['DMS', 'DM'].includes((fieldValue('--fromCoordType') || '').toUpperCase()));
    if (splitAngles) return;
    const coordinate = data.map((f, i) => (looksCoordinate(f) ? i + 1 : 0)).filter(Boolean);
    const fractional = coordinate.filter((c) => !/^\s*[+-]?\d+\s*$/.test(data[c - 1]));
    const columns = fractional.length >= 2 ? coordinate.filter((c) => c >= fractional[0]) : coordinate;
    if (columns.length >= 2) {
      s.roles.first = columns[0];
      s.roles.second = columns[1];
      const next = columns[2];
      if (next === columns[1] + 1 && looksNumeric(data[next - 1])) s.roles.height = next;
    }
  }

  // The file options: --columns only when the fields are not simply first, second[, height].
  function fileArgv() {
    const s = fileState;
    const extra = [];
    if (s.delimiter !== ',') extra.push('--delimiter', s.delimiter);
    if (s.skipLines > 0) extra.push('--skipLines', String(s.skipLines));
    if (s.comment) extra.push('--comment', s.comment);
    const { first, second, height, epoch, zone } = s.roles;
    const fieldCount = firstDataFields().length;
    const plain = first === 1 && second === 2 && (height ? height === 3 && fieldCount === 3 : fieldCount === 2);
    if (first && second && (s.explicitColumns || epoch || zone || !plain)) {
      extra.push('--columns', [first, second, height].filter(Boolean).join(','));
      if (epoch) extra.push('--epochColumn', String(epoch));
      if (zone) extra.push('--zoneColumn', String(zone));
    }
    return { extra };
  }

  function optionHelp(name) {
    const option = description && description.options.find((o) => lower(o.name) === lower(name));
    return option ? helpOf(option) : '';
  }

  function renderFileOptions() {
    const s = fileState;
    const box = $('file-options');
    box.textContent = '';
    const delimiter = el('select', { onchange: (e) => { s.delimiter = e.target.value; detectRoles(); renderFile(); } },
      ...kDelimiters.map(([value, text]) => el('option', { value, text, selected: value === s.delimiter })));
    const skip = el('input', { type: 'number', min: '0', value: String(s.skipLines),
      oninput: (e) => { s.skipLines = Math.max(0, parseInt(e.target.value, 10) || 0); renderPreview(); refreshSoon(); } });
    const comment = el('input', { type: 'text', value: s.comment, spellcheck: 'false',
      oninput: (e) => { s.comment = e.target.value; renderPreview(); refreshSoon(); } });
    const columns = el('input', { type: 'text', readonly: true, value: fileArgv().extra.includes('--columns')
      ? fileArgv().extra[fileArgv().extra.indexOf('--columns') + 1] : '(plain lines)' });
    const field = (label, option, input) => el('label', { class: 'field', title: optionHelp(option) }, el('span', { text: label }), input);
    box.append(field('Delimiter', '--delimiter', delimiter), field('Header lines', '--skipLines', skip),
      field('Comment', '--comment', comment), field('Columns', '--columns', columns));
  }

  function renderRolePicker() {
    const picker = $('role-picker');
    picker.textContent = '';
    picker.append(el('span', { class: 'muted', text: 'Click a column for:' }));
    for (const [role, text] of kRoles) {
      const optionName = role === 'epoch' ? '--epochColumn' : role === 'zone' ? '--zoneColumn' : '--columns';
      picker.append(el('button', { type: 'button', role: 'radio', 'aria-checked': String(fileState.activeRole === role),
        class: 'role' + (fileState.activeRole === role ? ' active' : ''), title: optionHelp(optionName), text,
        onclick: () => { fileState.activeRole = role; renderRolePicker(); } }));
    }
    const hint = columnsHint();
    if (hint) picker.append(el('div', { class: 'message warning', text: hint }));
  }

  // Lines of more than three fields without picked columns are read as the program reads plain lines:
  // the first field, the second and the third as the point and its height. Said, for a file where
  // the page could not tell which fields hold the point.
  function columnsHint() {
    const s = fileState;
    const picked = s.roles.first && s.roles.second;
    return !picked && firstDataFields().length > 3
      ? 'Click the fields of the first and the second coordinate: as it is, each line\'s first three fields are ' +
        'read as the point and its height.'
      : '';
  }

  function roleOfColumn(column) {
    return Object.keys(fileState.roles).find((role) => fileState.roles[role] === column);
  }

  function pickColumn(column) {
    const s = fileState;
    const role = s.activeRole;
    if (s.roles[role] === column) delete s.roles[role];
    else {
      for (const key of Object.keys(s.roles)) if (s.roles[key] === column) delete s.roles[key];
      s.roles[role] = column;
    }
    s.explicitColumns = true;
    const order = kRoles.map(([r]) => r);
    if (role === 'first' || role === 'second') s.activeRole = order[order.indexOf(role) + 1];
    renderFile();
  }

  function renderPreview() {
    const s = fileState;
    const table = $('preview');
    table.textContent = '';
    const rows = s.lines.slice(0, kPreviewLines).map((line, i) => fieldsOf(i));
    const width = Math.max(1, ...rows.map((r) => r.length));
    const head = el('tr');
    for (let c = 1; c <= width; c++) {
      const role = roleOfColumn(c);
      const label = role ? kRoles.find(([r]) => r === role)[1] : '';
      head.append(el('th', { class: role ? 'role-' + role : '', tabindex: '0', title: 'Field ' + c + ': click to make it the ' +
        kRoles.find(([r]) => r === s.activeRole)[1].toLowerCase(), onclick: () => pickColumn(c),
        onkeydown: (e) => { if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); pickColumn(c); } } },
      'Field ' + c, label ? el('span', { class: 'tag', text: label }) : null));
    }
    table.append(el('thead', {}, head));
    const body = el('tbody');
    rows.forEach((cells, i) => {
      const line = s.lines[i];
      const skipped = i < s.skipLines || (s.comment && line.startsWith(s.comment));
      const tr = el('tr', { class: skipped ? 'skipped' : '' });
      for (let c = 1; c <= width; c++) {
        const role = roleOfColumn(c);
        tr.append(el('td', { class: !skipped && role ? 'role-' + role : '', text: cells[c - 1] ?? '' }));
      }
      body.append(tr);
    });
    table.append(body);
  }

  function renderFile() {
    renderFileOptions();
    renderRolePicker();
    renderPreview();
    refreshSoon();
  }

  async function chooseFile(file) {
    if (!file) return;
    const s = fileState;
    const running = s.worker ? s.file.name : null;
    cancelFileRun(false);
    $('progress').hidden = true;
    $('progress-text').textContent = '';
    s.file = file;
    const text = await file.slice(0, kPreviewBytes).text();
    const lines = text.replace(/^\uFEFF/, '').split(/\r?\n/);
    if (file.size > kPreviewBytes) lines.pop();  // the last line read may be cut
    s.lines = lines.filter((line, i) => i < lines.length - 1 || line !== '');
    s.split = await session.call('splitLines', s.lines);
    detectLayout();
    $('file-name').textContent = `${file.name} \u00b7 ${megabytes(file.size)}` +
      (running ? ` (the conversion of ${running} was cancelled)` : '');
    $('file-setup').hidden = false;
    $('file-result').hidden = true;
    renderFile();
  }

  function setProgress(bytesRead, lines, seconds) {
    const size = fileState.file.size || 1;
    $('progress-bar').style.width = Math.min(100, (100 * bytesRead) / size).toFixed(1) + '%';
    $('progress-text').textContent = `${megabytes(bytesRead)} of ${megabytes(size)} \u00b7 ${lines.toLocaleString('en')} lines` +
      (seconds ? ` \u00b7 ${seconds.toFixed(1)} s` : '');
  }

  function convertFile() {
    const s = fileState;
    if (!s.file || s.worker) return;
    if (s.downloadUrl) { URL.revokeObjectURL(s.downloadUrl); s.downloadUrl = null; }
    const { argv } = optionArgv();
    const grids = gridArgv();
    const input = s.file;
    const runArgv = [...argv, ...grids.argv, ...fileRunArgs(argv)];
    pageState.lastFileArgv = runArgv;
    const run = pageState.file = { phase: 'running', bytesRead: 0, lines: 0, progressEvents: 0, peakWasmBytes: 0, startedAt: performance.now() };
    const parts = [];
    const worker = s.worker = new Worker(workerUrl);
    $('convert-file').disabled = true;
    $('cancel-file').hidden = false;
    $('progress').hidden = false;
    $('file-result').hidden = true;
    $('download').hidden = true;
    setProgress(0, 0);
    worker.onmessage = (event) => {
      const m = event.data;
      if (m.type === 'part') parts.push(m.blob);
      else if (m.type === 'progress') {
        run.bytesRead = m.bytesRead;
        run.lines = m.lines;
        run.progressEvents++;
        run.peakWasmBytes = Math.max(run.peakWasmBytes, m.wasmBytes);
        setProgress(m.bytesRead, m.lines, (performance.now() - run.startedAt) / 1000);
      } else if (m.type === 'done') {
        finishRun(run, m, parts);
      } else if (m.type === 'failed') {
        finishRun(run, { status: null, failure: m.message, stderr: { text: '' } }, []);
      }
    };
    worker.onerror = (event) => finishRun(run, { status: null, failure: event.message || 'the worker stopped', stderr: { text: '' } }, []);
    worker.postMessage({ type: 'file', argv: runArgv, input, mounts: gridMounts() });
  }

  function finishRun(run, done, parts) {
    const s = fileState;
    if (s.worker) s.worker.terminate();
    s.worker = null;
    $('convert-file').disabled = false;
    $('cancel-file').hidden = true;
    const seconds = (performance.now() - run.startedAt) / 1000;
    run.phase = done.failure ? 'failed' : 'done';
    run.status = done.status;
    run.seconds = seconds;
    run.engineSeconds = done.seconds;
    run.outputBytes = done.outputBytes;
    run.peakWasmBytes = Math.max(run.peakWasmBytes, done.peakWasmBytes || 0);
    $('file-result').hidden = false;
    if (done.failure) {
      $('file-outcome').textContent = 'The conversion failed: ' + done.failure;
      $('file-summary').textContent = '';
      return;
    }
    run.lines = Math.max(run.lines, done.lines || 0);
    setProgress(s.file.size, run.lines, seconds);
    $('progress-bar').style.width = '100%';
    const blob = new Blob(parts, { type: 'text/csv' });
    s.downloadUrl = URL.createObjectURL(blob);
    const download = $('download');
    download.href = s.downloadUrl;
    download.download = s.file.name.replace(/(\.[^.]*)?$/, '-velmora$1') || 'velmora.csv';
    download.textContent = `Download ${download.download} (${megabytes(blob.size)})`;
    download.hidden = false;
    $('file-outcome').textContent = `Converted in ${seconds.toFixed(1)} s, exit status ${done.status}` +
      (done.status === 0 ? '.' : ': see the messages below.');
    $('file-summary').classList.toggle('failed', done.status !== 0);
    const err = done.stderr;
    $('file-summary').textContent = err.text + (err.omittedBytes ? `\n[... ${err.omittedBytes.toLocaleString('en')} bytes of messages left out ...]\n` : '') +
      (err.tailText || '');
  }

  function cancelFileRun(say) {
    const s = fileState;
    if (!s.worker) return;
    s.worker.terminate();
    s.worker = null;
    pageState.file.phase = 'cancelled';
    $('convert-file').disabled = false;
    $('cancel-file').hidden = true;
    $('download').hidden = true;
    if (say) {
      $('file-result').hidden = false;
      $('file-outcome').textContent = 'Cancelled: nothing was written.';
      $('file-summary').textContent = '';
    }
  }

  // ---- Start ---------------------------------------------------------------------------------------
  function wire() {
    for (const id of ['point-first', 'point-second', 'point-height']) $(id).addEventListener('input', refreshSoon);
    // The program searches the grid folder itself, not its sub-folders: so does the page.
    const setFolder = (files) => {
      const depth = (f) => (f.webkitRelativePath || f.name).split('/').length;
      const all = [...files];
      folderFiles = all.filter((f) => depth(f) <= 2);
      folderLeftOut = all.length - folderFiles.length;
      gridsChanged();
    };
    for (const button of document.querySelectorAll('[data-opens]')) {
      button.addEventListener('click', () => $(button.dataset.opens).click());
    }
    $('grid-folder-dir').addEventListener('change', (e) => setFolder(e.target.files));
    $('grid-folder-files').addEventListener('change', (e) => setFolder(e.target.files));
    $('grid-folder-clear').addEventListener('click', () => setFolder([]));
    $('file-input').addEventListener('change', (e) => chooseFile(e.target.files[0]));
    const zone = $('drop-zone');
    zone.addEventListener('keydown', (e) => {
      if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); $('file-input').click(); }
    });
    zone.addEventListener('dragover', (e) => { e.preventDefault(); zone.classList.add('over'); });
    zone.addEventListener('dragleave', () => zone.classList.remove('over'));
    zone.addEventListener('drop', (e) => { e.preventDefault(); zone.classList.remove('over'); chooseFile(e.dataTransfer.files[0]); });
    // A file dropped anywhere else must not make the browser open it.
    window.addEventListener('dragover', (e) => e.preventDefault());
    window.addEventListener('drop', (e) => e.preventDefault());
    $('convert-file').addEventListener('click', convertFile);
    $('cancel-file').addEventListener('click', () => cancelFileRun(true));
  }

  async function start() {
    wire();
    try {
      description = await session.call('describe');
    } catch (error) {
      showEngineFailure(String(error.message || error));
      return;
    }
    buildForm();
    $('grid-formats').textContent = description.gridFormats;
    $('version').textContent = 'Velmora ' + description.version;
    const pill = $('engine-state');
    pill.textContent = 'engine ' + description.version + ' ready';
    pill.classList.add('ready');
    await refresh();
    pageState.ready = true;
  }
  start();
})();
