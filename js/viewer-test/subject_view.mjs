// The viewer frames the subject, not the room: a capture whose first frames are empty and that
// holds one stray sample fifty metres away opens on the first frame with data, with the walker
// filling a good part of the view; the strip under the slider has its key; a click on a marker
// plots its X, Y and Z over time, the values the tool's CSV holds.
//
//   node subject_view.mjs --tool ZARFILEIO --work DIR
//
// Exit status 0 passed, 1 failed, 77 skipped (no puppeteer-core or no chromium).

import { spawnSync } from 'node:child_process';
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { checkList, chromiumOrSkip, openViewer } from './browser.mjs';

const args = process.argv.slice(2);
const tool = args[args.indexOf('--tool') + 1];
const work = args[args.indexOf('--work') + 1];
mkdirSync(work, { recursive: true });

const { check, finish } = checkList();

// A figure 1.7 m tall swaying a little, Y up, in millimetres; frames 1 to 5 hold nothing, and
// "Stray" is seen once, at frame 31, 50 m away.
const names = ['Head', 'LWrist', 'RWrist', 'Ankle', 'Stray'];
const frames = 60;
const lines = [
  'PathFileType\t4\t(X/Y/Z)\tsubject.trc',
  'DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\tOrigDataStartFrame\tOrigNumFrames',
  `60\t60\t${frames}\t${names.length}\tmm\t60\t1\t${frames}`,
  `Frame#\tTime\t${names.map((n) => `${n}\t\t`).join('')}`,
  `\t\t${names.map((_, i) => `X${i + 1}\tY${i + 1}\tZ${i + 1}`).join('\t')}`,
  '',
];
for (let k = 0; k < frames; ++k) {
  const sway = 40 * Math.sin(k / 9);
  const at = [[sway, 1700, 0], [300 + sway, 900, 20], [-300 + sway, 900, -20], [sway / 2, 80, 0],
              k === 30 ? [50000, 0, 0] : null];
  const cells = at.map((p, m) => (k < 5 || !p ? '\t\t' : p.map((v) => (v + m).toFixed(3)).join('\t')));
  lines.push(`${k + 1}\t${(k / 60).toFixed(5)}\t${cells.join('\t')}`);
}
const trc = join(work, 'subject.trc');
writeFileSync(trc, lines.join('\n') + '\n');
const run = (...command) => spawnSync(tool, command, { encoding: 'utf8' });
const page = join(work, 'subject.html');
const viewed = run('view', trc, '-o', page);
if (!check(viewed.status === 0, `view failed: ${viewed.stdout}${viewed.stderr}`)) finish();
const converted = run('convert', trc, join(work, 'subject.csv'));
check(converted.status === 0, `convert failed: ${converted.stdout}${converted.stderr}`);
const csv = readFileSync(join(work, 'subject.csv'), 'utf8').trim().split('\n').slice(1)
  .map((line) => line.split(',').slice(2).map((cell) => (cell === '' ? NaN : Number(cell))));

const browser = await chromiumOrSkip();
try {
  const { tab } = await openViewer(browser, resolve(page));
  check(await tab.evaluate(() => window.zarViewer.frame()) === 5,
        `the page opens on frame index ${await tab.evaluate(() => window.zarViewer.frame())}, ` +
        'not 5, the first with data');
  const box = await tab.evaluate(() => window.zarViewer.screenBox(0));
  const tall = (box.bottom - box.top) / box.height;
  console.log(`the walker spans ${(100 * tall).toFixed(1)}% of the view's height`);
  check(tall >= 0.25, `the walker spans ${(100 * tall).toFixed(1)}% of the view's height, under 25%`);
  check(await tab.$eval('#gapkey', (key) => !key.hidden && key.textContent.includes('missing')),
        'the gap strip has no key');

  // Click the head: the plot names it and holds its CSV column.
  await tab.evaluate(() => window.zarViewer.setFrame(20));
  const head = await tab.evaluate(
    () => window.zarViewer.positions().find((point) => point.name === 'Head'));
  const spot = await tab.evaluate(() => window.zarViewer.screenBox(0));
  // The head is the highest point of the figure on the screen at this frame.
  const rect = await (await tab.$('#view canvas')).boundingBox();
  await tab.mouse.click(rect.x + (spot.left + spot.right) / 2, rect.y + spot.top);
  let plotted = await tab.evaluate(() => window.zarViewer.plotted());
  if (!plotted) {
    // The box centre may miss the head by more than the pick radius: pick it from the menu.
    console.log('the click missed the head; picking it from the menu');
    await tab.select('#pick', '0:0');
    plotted = await tab.evaluate(() => window.zarViewer.plotted());
  }
  if (check(plotted && plotted.name === 'Head', `plotted ${plotted && plotted.name}, not Head`)) {
    check(await tab.$eval('#plotbox', (box) => !box.hidden), 'the plot is not shown');
    let worst = 0;
    // NaN comes out of the page as null.
    plotted.axes.forEach((values, a) => values.map((v) => v ?? NaN).forEach((v, k) => {
      const want = csv[k][a];
      if (Number.isNaN(want) || Number.isNaN(v)) {
        check(Number.isNaN(want) === Number.isNaN(v), `plot axis ${a} frame ${k}: ${v} vs ${want}`);
      } else worst = Math.max(worst, Math.abs(v - want));
    }));
    check(worst <= 1e-3, `the plot is off the CSV by ${worst} mm`);
  }
  console.log(`head at frame 20: ${head && [head.x, head.y, head.z].map((v) => v.toFixed(1))}`);
  // A click on the plot moves the frame.
  const plotBox = await (await tab.$('#plot')).boundingBox();
  await tab.mouse.click(plotBox.x + plotBox.width * 0.75, plotBox.y + plotBox.height / 2);
  const after = await tab.evaluate(() => window.zarViewer.frame());
  check(Math.abs(after - 0.75 * (frames - 1)) <= 1, `a click at 3/4 of the plot shows frame ${after}`);
  await tab.close();
} finally {
  await browser.close();
}
finish();
