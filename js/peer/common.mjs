// What the peer checks share: running zarfileio, finding the sample files, reading the CSV that
// zarfileio writes (the expected positions) and reporting failures.
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readdirSync, readFileSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, join } from 'node:path';

// The HTR and TRC files among the arguments (folders are searched one level deep), sorted.
export function sampleFiles(args) {
  const files = [];
  for (const arg of args) {
    if (statSync(arg).isDirectory()) {
      for (const name of readdirSync(arg)) files.push(join(arg, name));
    } else {
      files.push(arg);
    }
  }
  return files.filter((f) => /\.(htr|trc|bvh)$/i.test(f)).sort();
}

// A scratch folder removed when the process ends.
export function scratch() {
  const folder = mkdtempSync(join(tmpdir(), 'zar-peer-'));
  process.on('exit', () => rmSync(folder, { recursive: true, force: true }));
  return folder;
}

// Runs zarfileio convert; returns { status, output }.
export function convert(tool, source, target, ...options) {
  const run = spawnSync(tool, ['convert', source, target, ...options], { encoding: 'utf8' });
  return { status: run.status, output: (run.stdout ?? '') + (run.stderr ?? '') };
}

// One CSV line's cells (quoted cells may hold commas and doubled quotes).
function cells(line) {
  const out = [];
  let cell = '';
  let quoted = false;
  for (let i = 0; i < line.length; ++i) {
    const c = line[i];
    if (quoted) {
      if (c === '"' && line[i + 1] === '"') { cell += '"'; ++i; } else if (c === '"') quoted = false;
      else cell += c;
    } else if (c === '"') quoted = true;
    else if (c === ',') { out.push(cell); cell = ''; } else cell += c;
  }
  out.push(cell);
  return out;
}

// zarfileio's CSV: { names, rows: [{ frame, time, points: [[x, y, z] or null, ...] }] }.
export function readPositions(path) {
  const lines = readFileSync(path, 'utf8').split('\n').filter((l) => l.length > 0);
  const head = cells(lines[0]);
  const names = [];
  for (let c = 2; c < head.length; c += 3) names.push(head[c].replace(/_x$/, ''));
  const rows = lines.slice(1).map((line) => {
    const v = cells(line);
    const points = names.map((_, m) => {
      const [x, y, z] = v.slice(2 + 3 * m, 5 + 3 * m);
      return x === '' ? null : [Number(x), Number(y), Number(z)];
    });
    return { frame: Number(v[0]), time: Number(v[1]), points };
  });
  return { names, rows };
}

// Whether an HTR file says its up axis is Z.
export function htrZUp(path) {
  const m = /^\s*GlobalAxisofGravity\s+(\S)/im.exec(readFileSync(path, 'latin1'));
  return m !== null && m[1].toUpperCase() === 'Z';
}

// Counts failures and prints the first few of each file.
export class Failures {
  constructor() { this.count = 0; this.shown = new Map(); }
  add(what, message) {
    ++this.count;
    const shown = this.shown.get(what) ?? 0;
    if (shown < 5) console.log(`FAIL ${what}: ${message}`);
    this.shown.set(what, shown + 1);
  }
  // Ends the process: 0 when nothing failed and `checked` files were checked.
  finish(checked, minimum = 1) {
    if (checked < minimum) this.add('samples', `only ${checked} files checked`);
    console.log(`${checked} files checked, ${this.count} failures`);
    process.exit(this.count === 0 ? 0 : 1);
  }
}

export const nameOf = (path) => basename(path);
