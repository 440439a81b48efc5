// The page's Web Worker. The page starts it from a Blob of the engine's source text followed by this
// file, so createVelmoraEngine is defined when this runs. The engine reads the user's files through
// WORKERFS (FileReaderSync), which exists only in a worker; a run is one synchronous call, so the page
// cancels a file run by terminating its worker.
//
// Messages from the page:
//   {type:'call', id, fn, argv}          describe/checkOptions/gridReport: {id, result} (parsed JSON)
//   {type:'grids', id, mounts}           mounts [{dir, files:[File]}] replace the grid mounts: {id}
//   {type:'point', id, argv}             one point: {id, status, stdout, stderr}
//   {type:'file', argv, input, mounts}   a whole file, in a fresh worker: 'part' messages with Blobs of
//                                        standard output, 'progress', then 'done' (or 'failed')
'use strict';

const kOutputPartBytes = 4 * 1024 * 1024;      // standard output leaves the worker in Blobs of this size
const kStderrHeadBytes = 256 * 1024;           // a file run keeps this much of the start of standard error
const kStderrTailBytes = 64 * 1024;            // and this much of its end (the --summary lines)
const kProgressIntervalMs = 100;               // at most ten progress messages a second
const kReadAheadBytes = 1024 * 1024;           // reads of the user's files are served from blocks of this size

let sink = null;  // where the current run's output goes
const mounted = new Set();

const enginePromise = createVelmoraEngine({
  onStdout: (bytes) => { if (sink) sink.stdout(bytes); },
  onStderr: (bytes) => { if (sink) sink.stderr(bytes); },
  onProgress: (lines, bytesRead) => { if (sink && sink.progress) sink.progress(lines, bytesRead); },
  print: (text) => { if (sink) sink.stdout(new TextEncoder().encode(text + '\n')); },
  printErr: (text) => { if (sink) sink.stderr(new TextEncoder().encode(text + '\n')); },
}).then((engine) => {
  readAhead(engine);
  return engine;
});

// WORKERFS reads exactly what the program asks for, and each read of a File is a round trip to the
// browser's blob store that costs about as much for 64 KiB as for 1 MiB: the program's 64 KiB reads
// of a CSV file took half of a run's time. Reads smaller than a block are served from the last block
// read; larger ones (a grid file read whole) go straight to the file and are not kept.
function readAhead(engine) {
  const ops = engine.FS.filesystems.WORKERFS.stream_ops;
  const reader = new FileReaderSync();
  const blocks = new WeakMap();  // file node -> {start, bytes}
  ops.read = (stream, buffer, offset, length, position) => {
    const node = stream.node;
    if (position >= node.size) return 0;
    const wanted = Math.min(length, node.size - position);
    const readFile = (end) => new Uint8Array(reader.readAsArrayBuffer(node.contents.slice(position, end)));
    if (wanted >= kReadAheadBytes) {
      buffer.set(readFile(position + wanted), offset);
      return wanted;
    }
    let block = blocks.get(node);
    if (!block || position < block.start || position + wanted > block.start + block.bytes.length) {
      block = { start: position, bytes: readFile(Math.min(node.size, position + kReadAheadBytes)) };
      blocks.set(node, block);
    }
    buffer.set(block.bytes.subarray(position - block.start, position - block.start + wanted), offset);
    return wanted;
  };
}

function wasmBytes(engine) {
  if (engine.HEAP8) return engine.HEAP8.length;
  if (engine.wasmMemory) return engine.wasmMemory.buffer.byteLength;
  return 0;
}

function makeDirs(FS, dir) {
  let path = '';
  for (const part of dir.split('/').filter(Boolean)) {
    path += '/' + part;
    try { FS.mkdir(path); } catch (e) { /* already there */ }
  }
}

// Replaces every grid and input mount by the given ones: [{dir, files:[File]}].
function mountAll(engine, mounts) {
  const FS = engine.FS;
  for (const dir of mounted) {
    try { FS.unmount(dir); } catch (e) { /* was not mounted */ }
  }
  mounted.clear();
  for (const { dir, files } of mounts) {
    if (!files || files.length === 0) continue;
    makeDirs(FS, dir);
    FS.mount(FS.filesystems.WORKERFS, { files }, dir);
    mounted.add(dir);
  }
}

function callJson(engine, fn, argv) {
  const text = argv === undefined ? engine[fn]() : engine[fn](JSON.stringify(argv));
  return JSON.parse(text);
}

function runPoint(engine, argv) {
  const out = new TextDecoder();
  const err = new TextDecoder();
  let stdout = '';
  let stderr = '';
  sink = {
    stdout: (bytes) => { stdout += out.decode(bytes, { stream: true }); },
    stderr: (bytes) => { stderr += err.decode(bytes, { stream: true }); },
  };
  let status;
  try {
    status = callJson(engine, 'run', argv).status;
  } finally {
    sink = null;
  }
  return { status, stdout: stdout + out.decode(), stderr: stderr + err.decode() };
}

// Standard error of a file run: its first kStderrHeadBytes and its last kStderrTailBytes, with the
// number of bytes left out between them.
function cappedStderr() {
  const head = new Uint8Array(kStderrHeadBytes);
  let headUsed = 0;
  let tail = [];
  let tailBytes = 0;
  let total = 0;
  return {
    add(bytes) {
      total += bytes.length;
      const toHead = Math.min(kStderrHeadBytes - headUsed, bytes.length);
      head.set(bytes.subarray(0, toHead), headUsed);
      headUsed += toHead;
      if (toHead === bytes.length) return;
      tail.push(bytes.slice(toHead));
      tailBytes += bytes.length - toHead;
      while (tail.length > 1 && tailBytes - tail[0].length >= kStderrTailBytes) {
        tailBytes -= tail.shift().length;
      }
    },
    result() {
      const decoder = new TextDecoder();
      const headText = decoder.decode(head.subarray(0, headUsed));
      if (tailBytes === 0) return { text: headText, omittedBytes: 0 };
      let joined = new Uint8Array(tailBytes);
      let at = 0;
      for (const part of tail) { joined.set(part, at); at += part.length; }
      if (joined.length > kStderrTailBytes) joined = joined.subarray(joined.length - kStderrTailBytes);
      const omittedBytes = total - headUsed - joined.length;
      return { text: headText, tailText: new TextDecoder().decode(joined), omittedBytes };
    },
  };
}

function runFile(engine, message) {
  mountAll(engine, [{ dir: '/input', files: [message.input] }, ...message.mounts]);
  // The program names the input as it was given: the run takes place in its folder, so the page's
  // arguments name it as the user knows it.
  engine.FS.chdir('/input');
  const part = new Uint8Array(kOutputPartBytes);
  let partUsed = 0;
  let outputBytes = 0;
  let lastProgress = 0;
  let peakWasmBytes = wasmBytes(engine);
  const stderr = cappedStderr();
  const flush = () => {
    if (partUsed === 0) return;
    postMessage({ type: 'part', blob: new Blob([part.subarray(0, partUsed)]) });
    partUsed = 0;
  };
  let linesDone = 0;
  const progress = (lines, bytesRead) => {
    linesDone = lines;
    const now = performance.now();
    if (now - lastProgress < kProgressIntervalMs) return;
    lastProgress = now;
    peakWasmBytes = Math.max(peakWasmBytes, wasmBytes(engine));
    postMessage({ type: 'progress', lines, bytesRead, outputBytes, wasmBytes: wasmBytes(engine) });
  };
  sink = {
    stdout(bytes) {
      outputBytes += bytes.length;
      let rest = bytes;
      while (rest.length > 0) {
        const n = Math.min(kOutputPartBytes - partUsed, rest.length);
        part.set(rest.subarray(0, n), partUsed);
        partUsed += n;
        rest = rest.subarray(n);
        if (partUsed === kOutputPartBytes) flush();
      }
    },
    stderr: (bytes) => stderr.add(bytes),
    progress,
  };
  const started = performance.now();
  let status;
  try {
    status = callJson(engine, 'run', message.argv).status;
  } finally {
    sink = null;
  }
  flush();
  peakWasmBytes = Math.max(peakWasmBytes, wasmBytes(engine));
  postMessage({
    type: 'done', status, stderr: stderr.result(), outputBytes, peakWasmBytes, lines: linesDone,
    seconds: (performance.now() - started) / 1000,
  });
}

onmessage = async (event) => {
  const message = event.data;
  let engine;
  try {
    engine = await enginePromise;
  } catch (error) {
    postMessage({ type: 'failed', id: message.id, message: 'the engine did not start: ' + error });
    return;
  }
  try {
    switch (message.type) {
      case 'call':
        postMessage({ id: message.id, result: callJson(engine, message.fn, message.argv) });
        break;
      case 'grids':
        mountAll(engine, message.mounts);
        postMessage({ id: message.id });
        break;
      case 'point':
        postMessage({ id: message.id, ...runPoint(engine, message.argv) });
        break;
      case 'file':
        runFile(engine, message);
        break;
      default:
        throw new Error('unknown message ' + message.type);
    }
  } catch (error) {
    postMessage({ type: 'failed', id: message.id, message: String(error && error.message || error) });
  }
};
