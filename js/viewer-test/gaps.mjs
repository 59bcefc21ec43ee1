// The viewer's gap runs against runs counted by hand: a marker missing at the start, in the
// middle for one frame and for several, and up to the last frame; one never missing; one never
// present. Run by ctest (viewer.gaps); exit status 0 passed, 1 failed.

import { readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import { deepStrictEqual } from 'node:assert/strict';

const source = readFileSync(fileURLToPath(new URL('../../viewer/motion_data.js', import.meta.url)),
                            'utf8');
const { gaps } = await import(`data:text/javascript,${encodeURIComponent(source)}`);

// One row per point: 'x' present, '.' missing, frame by frame.
const rows = ['..xx.xx...x', 'xxxxxxxxxxx', '...........', 'x.xxxxxxxx.'];
const frames = rows[0].length;
const positions = new Float32Array(frames * rows.length * 3);
rows.forEach((row, p) => {
  for (let k = 0; k < frames; ++k) {
    const value = row[k] === 'x' ? k + 0.5 : NaN;
    positions.fill(value, (k * rows.length + p) * 3, (k * rows.length + p) * 3 + 3);
  }
});
const runs = gaps({ points: rows.length, frames, positions });
deepStrictEqual(runs, [
  [[0, 2], [4, 5], [7, 10]],
  [],
  [[0, 11]],
  [[1, 2], [10, 11]],
]);
console.log('gap runs: ok');
