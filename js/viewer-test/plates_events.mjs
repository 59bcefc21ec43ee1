// A C3D's force plates and events in the page: each plate's outline, and at every frame its
// ground reaction drawn from the centre of pressure along the force that the tool's forces CSV
// gives for the frame's first analog sample; the events as marks over the timeline, titled with
// their context, label and frame.
//
//   node plates_events.mjs --tool ZARFILEIO --work DIR --samples ../shared/samples/c3d
//
// Exit status 0 passed, 1 failed, 77 skipped (no puppeteer-core or no chromium).

import { spawnSync } from 'node:child_process';
import { mkdirSync, readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { checkList, chromiumOrSkip, openViewer } from './browser.mjs';

const args = process.argv.slice(2);
const option = (name) => args[args.indexOf(name) + 1];
const [tool, work, samples] = [option('--tool'), option('--work'), option('--samples')];
mkdirSync(work, { recursive: true });

const { check, finish } = checkList();
const run = (...command) => spawnSync(tool, command, { encoding: 'utf8' });

const plates = join(samples, 'Eb015pi.c3d');  // two plates, 4 analog samples per frame
const events = join(samples, 'PiG_Motion3_FF.c3d');  // twelve events
for (const [source, page] of [[plates, 'plates.html'], [events, 'events.html']]) {
  const viewed = run('view', source, '-o', join(work, page));
  if (!check(viewed.status === 0, `view ${source} failed: ${viewed.stdout}${viewed.stderr}`)) finish();
}
const converted = run('convert', plates, join(work, 'forces.csv'), '--forces');
if (!check(converted.status === 0, `convert --forces failed: ${converted.stderr}`)) finish();
// rows[sample][plate - 1] = [Fx, Fy, Fz, Mx, My, Mz, COPx, COPy, COPz, Tz]
const rows = [];
for (const line of readFileSync(join(work, 'forces.csv'), 'utf8').trim().split('\n').slice(1)) {
  const cells = line.split(',');
  (rows[Number(cells[0])] ??= [])[Number(cells[2]) - 1] =
    cells.slice(3).map((cell) => (cell === '' ? NaN : Number(cell)));
}

const browser = await chromiumOrSkip();
try {
  const { tab } = await openViewer(browser, resolve(join(work, 'plates.html')));
  const frames = await tab.evaluate(() => window.zarViewer.frameCount);
  let loaded = 0;
  let worst = 0;
  for (let k = 0; k < frames; k += 7) {
    await tab.evaluate((frame) => window.zarViewer.setFrame(frame), k);
    const drawn = (await tab.evaluate(() => window.zarViewer.plates()))[0];
    check(drawn.length === 2, `${drawn.length} plates drawn, not 2`);
    drawn.forEach(({ line }, p) => {
      const want = rows[4 * k][p];
      const cop = want.slice(6, 9);
      if (!check((line === null) === Number.isNaN(cop[0]),
                 `frame ${k} plate ${p + 1}: drawn ${line !== null}, centre of pressure ${cop}`)) return;
      if (line === null) return;
      ++loaded;
      for (let a = 0; a < 3; ++a) worst = Math.max(worst, Math.abs(line[a] - cop[a]));
      // Along the force: the drawn line's direction is the force's.
      const d = [0, 1, 2].map((a) => line[3 + a] - line[a]);
      const f = want.slice(0, 3);
      const cosine = d.reduce((s, v, a) => s + v * f[a], 0) / Math.hypot(...d) / Math.hypot(...f);
      check(cosine > 0.9999, `frame ${k} plate ${p + 1}: the line is not along the force`);
    });
  }
  console.log(`${loaded} loaded plates checked; centres of pressure within ${worst.toExponential(2)} mm`);
  check(loaded >= 20, `only ${loaded} loaded plates seen`);
  check(worst <= 1e-2, `a line starts ${worst} mm from the centre of pressure`);
  await tab.close();

  const { tab: second } = await openViewer(browser, resolve(join(work, 'events.html')));
  const marks = await second.evaluate(() => window.zarViewer.events());
  check(marks.length === 12, `${marks.length} event marks, not 12`);
  check(marks.some((m) => m.title === 'Left Foot Strike, frame 786'),
        `no mark titled "Left Foot Strike, frame 786": ${marks.map((m) => m.title).join('; ')}`);
  await second.click('#events .event');
  const shown = await second.evaluate(() => window.zarViewer.frame());
  check(marks.some((m) => m.frame === shown), `a click on a mark shows frame index ${shown}`);
  await second.close();
} finally {
  await browser.close();
}
finish();
