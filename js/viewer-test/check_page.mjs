// Checks a page written by `zarfileio view` in headless chromium, against the tool's own numbers:
//
//   node check_page.mjs --tool ZARFILEIO --work DIR [--screenshot OUT.png] INPUT...
//
// Writes DIR/<first input>.html from the inputs and DIR/<input>.csv from each input with
// `zarfileio convert` (marker positions, or a skeleton's joint world positions), then opens the
// page and checks: the ready flag; the drawn positions at three frames against the CSV rows within
// 1e-3 mm; dragging the slider changes the positions to the frame under it while the button is
// held; playing advances the frame at the file's rate (within 0.5x to 2x); a screenshot shows
// each input's colour; nothing is fetched from the network and nothing is logged as an error.
// An input the tool cannot read must fail `view` with the status `convert` gives and write no
// page. Exit status 0 passed, 1 failed, 77 skipped (no puppeteer-core or no chromium).

import { spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { basename, join, resolve } from 'node:path';
import { kSkip, launchChromium, openViewer } from './browser.mjs';

const kMillimetres = { mm: 1, cm: 10, m: 1000, in: 25.4, ft: 304.8, yd: 914.4 };
const kToleranceMm = 1e-3;

function parseArguments(argv) {
  const options = { inputs: [] };
  for (let i = 0; i < argv.length; ++i) {
    if (argv[i] === '--tool') options.tool = argv[++i];
    else if (argv[i] === '--work') options.work = argv[++i];
    else if (argv[i] === '--screenshot') options.screenshot = argv[++i];
    else options.inputs.push(argv[i]);
  }
  if (!options.tool || !options.work || options.inputs.length === 0) {
    console.error('usage: check_page.mjs --tool ZARFILEIO --work DIR [--screenshot PNG] INPUT...');
    process.exit(2);
  }
  return options;
}

const failures = [];
function check(condition, message) {
  if (!condition) failures.push(message);
  return condition;
}

// --- the tool's own numbers ------------------------------------------------------------------

function csvFields(line) {
  const fields = [];
  let field = '';
  let quoted = false;
  for (let i = 0; i < line.length; ++i) {
    const c = line[i];
    if (quoted) {
      if (c === '"' && line[i + 1] === '"') { field += '"'; ++i; }
      else if (c === '"') quoted = false;
      else field += c;
    } else if (c === '"') quoted = true;
    else if (c === ',') { fields.push(field); field = ''; }
    else field += c;
  }
  fields.push(field);
  return fields;
}

// { names, rows: [[{x, y, z} | null per name] per frame] } from `zarfileio convert IN OUT.csv`.
function readCsv(path) {
  const lines = readFileSync(path, 'utf8').split('\n').filter((line) => line.length > 0);
  const header = csvFields(lines[0]);
  const names = [];
  for (let c = 2; c < header.length; c += 3) names.push(header[c].replace(/_x$/, ''));
  const rows = lines.slice(1).map((line) => {
    const fields = csvFields(line);
    return names.map((_, m) => {
      const [x, y, z] = fields.slice(2 + m * 3, 5 + m * 3);
      return x === '' ? null : { x: Number(x), y: Number(y), z: Number(z) };
    });
  });
  return { names, rows };
}

function run(tool, args) {
  const result = spawnSync(tool, args, { encoding: 'utf8' });
  return { status: result.status, output: result.stdout + result.stderr };
}

// --- what the page draws ---------------------------------------------------------------------

// The drawn points of input `index` (bone ends left out) against CSV row `row`.
function compareFrame(drawn, index, expected, row, units, where) {
  const mine = drawn.filter((p) => p.input === index && !p.end);
  const tolerance = kToleranceMm / (kMillimetres[units] ?? 1);
  if (!check(mine.length === expected.names.length,
             `${where}: ${mine.length} points drawn, the CSV has ${expected.names.length}`)) return;
  let worst = 0;
  mine.forEach((point, m) => {
    const want = expected.rows[row][m];
    check(point.name === expected.names[m], `${where}: point ${m} is ${point.name}, ` +
          `the CSV has ${expected.names[m]}`);
    if (!check(point.present === (want !== null),
               `${where}: ${point.name} is ${point.present ? 'drawn' : 'hidden'} but ` +
               `${want ? 'present' : 'missing'} in the CSV`) || !want) return;
    worst = Math.max(worst, Math.abs(point.x - want.x), Math.abs(point.y - want.y),
                     Math.abs(point.z - want.z));
  });
  check(worst <= tolerance, `${where}: off by ${worst} ${units} (allowed ${tolerance})`);
}

// Pointing at the strip under the slider names the marker of that row and says whether it is
// missing at that frame, for one missing and one seen sample of the CSV.
async function checkGapStrip(tab, hook, csv) {
  const box = await (await tab.$('#gaps')).boundingBox();
  if (!check(box !== null, 'no gap strip for a marker input')) return;
  const wanted = [null, 'seen'].map((sample) => {
    for (let k = 0; k < csv.rows.length; ++k) {
      const m = csv.rows[k].findIndex((s) => (s === null) === (sample === null));
      if (m >= 0) return { k, m };
    }
    return null;
  });
  for (const [i, spot] of wanted.entries()) {
    if (!spot || box.width < csv.rows.length) continue;
    await tab.mouse.move(box.x + (spot.k + 0.5) / csv.rows.length * box.width,
                         box.y + (spot.m + 0.5) / csv.names.length * box.height);
    const tip = await tab.$eval('#tip', (element) => element.textContent);
    console.log(`strip: ${tip}`);
    const says = `${csv.names[spot.m]} ${i === 0 ? 'missing' : 'seen'} at frame ${hook.firstFrame + spot.k}`;
    check(tip === says, `the gap strip says "${tip}" where "${says}" was due`);
  }
}

async function checkPage(browser, pagePath, expected, options) {
  const problems = [];
  const { tab, milliseconds } = await openViewer(browser, resolve(pagePath), async (newTab) => {
    newTab.on('console', (message) => {
      if (message.type() === 'error') problems.push(`console error: ${message.text()}`);
    });
    newTab.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
    newTab.on('request', (request) => {
      if (!/^(file|data|blob):/.test(request.url())) problems.push(`fetched ${request.url()}`);
    });
  });
  console.log(`ready after ${milliseconds} ms`);
  const hook = await tab.evaluate(() => ({ ...window.zarViewer }));
  const frameCount = expected[0].rows.length;
  check(hook.frameCount === frameCount, `frame count ${hook.frameCount}, CSV rows ${frameCount}`);

  // The frame each input shows, and what is drawn.
  const shown = () => tab.evaluate(() => ({
    frames: window.zarViewer.frames(), drawn: window.zarViewer.positions() }));
  const compareShown = ({ frames, drawn }, where) => expected.forEach((csv, i) => {
    compareFrame(drawn, i, csv, frames[i], hook.inputs[i].units,
                 `${where}, ${hook.inputs[i].file} frame index ${frames[i]}`);
  });

  if (frameCount > 0) {
    for (const k of [0, Math.floor(frameCount / 2), frameCount - 1]) {
      await tab.evaluate((frame) => window.zarViewer.setFrame(frame), k);
      compareShown(await shown(), `setFrame(${k})`);
    }

    // Drag the slider's thumb from the start; the scene follows before the button is let go.
    await tab.evaluate(() => window.zarViewer.setFrame(0));
    const box = await (await tab.$('#scrub')).boundingBox();
    const y = box.y + box.height / 2;
    await tab.mouse.move(box.x + 8, y);
    await tab.mouse.down();
    for (const part of [0.3, 0.7]) {
      await tab.mouse.move(box.x + box.width * part, y, { steps: 4 });
      const state = await shown();
      const slider = await tab.$eval('#scrub', (element) => Number(element.value));
      check(frameCount < 4 || state.frames[0] > 0, `dragging to ${part} left the frame at 0`);
      check(slider === state.frames[0], `the slider says ${slider}, the scene shows ${state.frames[0]}`);
      compareShown(state, `dragging the slider to ${part}`);
    }
    await tab.mouse.up();

    // Play with the space key for a second by the player's clock at 1x, then for half a second at
    // 4x, where the file lasts long enough not to wrap around meanwhile.
    for (const [speed, milliseconds] of [['1', 1000], ['4', 500]]) {
      if (frameCount / hook.rate / Number(speed) > milliseconds / 1000 * 3) {
        await tab.select('#speed', speed);
        await tab.evaluate(() => window.zarViewer.setFrame(0));
        await tab.keyboard.press('Space');
        // The player's own clock: a busy machine may draw late, but the frame drawn must be the
        // one due when it was chosen.
        const stamp = () => tab.evaluate(() => window.zarViewer.clock());
        const [from, start] = await stamp();
        let [to, end] = [from, start];
        const giveUp = Date.now() + milliseconds + 5000;
        while (end - start < milliseconds && Date.now() < giveUp) {
          await new Promise((done) => setTimeout(done, 50));
          [to, end] = await stamp();
        }
        await tab.keyboard.press('Space');
        const wanted = (end - start) / 1000 * hook.rate * Number(speed);
        const advanced = to - from;
        console.log(`played ${advanced} frames in ${Math.round(end - start)} ms at ${hook.rate} ` +
                    `frames/s, ${speed}x`);
        check(end - start >= milliseconds,
              `playing at ${speed}x: the player's clock moved ${end - start} ms in 5 s`);
        check(advanced >= Math.max(1, 0.5 * wanted) && advanced <= 2 * wanted,
              `playing at ${speed}x advanced ${advanced} frames where ${wanted.toFixed(1)} were due`);
        check(await tab.evaluate(() => !window.zarViewer.playing()), 'space did not pause');
      }
    }
    if (hook.inputs[0].kind === 'markers') await checkGapStrip(tab, hook, expected[0]);
    await tab.evaluate((frame) => window.zarViewer.setFrame(frame), Math.floor(frameCount / 3));
  }

  // Let a frame be drawn, with no tip showing, then look at it: each input's colour must be there.
  await tab.mouse.move(1, 1);
  await tab.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
  const png = await tab.screenshot({ encoding: 'base64' });
  if (options.screenshot) writeFileSync(options.screenshot, Buffer.from(png, 'base64'));
  const counts = await tab.evaluate(async (data, colors) => {
    const image = new Image();
    image.src = `data:image/png;base64,${data}`;
    await image.decode();
    const canvas = document.createElement('canvas');
    canvas.width = image.width;
    canvas.height = image.height;
    const g = canvas.getContext('2d');
    g.drawImage(image, 0, 0);
    // The 3D view only: not the legend's swatches, nor the gap strip.
    const view = document.getElementById('view').getBoundingClientRect();
    const legend = document.getElementById('legend').getBoundingClientRect();
    const pixels = g.getImageData(0, 0, image.width, Math.floor(view.bottom)).data;
    return colors.map((hex) => {
      const want = [1, 3, 5].map((at) => parseInt(hex.slice(at, at + 2), 16));
      let count = 0;
      for (let i = 0; i < pixels.length; i += 4) {
        const x = (i / 4) % image.width;
        const y = Math.floor(i / 4 / image.width);
        if (x <= legend.right && y <= legend.bottom) continue;
        if (want.every((v, c) => Math.abs(pixels[i + c] - v) <= 24)) ++count;
      }
      return count;
    });
  }, png, hook.inputs.map((input) => input.color));
  hook.inputs.forEach((input, i) => {
    const present = expected[i].rows.some((row) => row.some((sample) => sample !== null));
    if (present) check(counts[i] >= 4, `the view shows ${counts[i]} pixels of ${input.file}'s colour ${input.color}`);
  });
  console.log(`pixels of each input's colour: ${counts.join(', ')}`);
  await tab.close();
  problems.forEach((problem) => check(false, problem));
}

// --- main ------------------------------------------------------------------------------------

async function main() {
  const options = parseArguments(process.argv.slice(2));
  const { browser, skipped } = await launchChromium();
  if (skipped) {
    console.log(`${kSkip === 77 ? 'skipped' : 'failed (CI=true needs the browser checks)'}: ${skipped}`);
    return kSkip;
  }
  try {
    return await checkInputs(browser, options);
  } finally {
    await browser.close();
  }
}

async function checkInputs(browser, options) {
  mkdirSync(options.work, { recursive: true });
  const stem = basename(options.inputs[0]).replace(/\.[^.]*$/, '');
  const pagePath = join(options.work, `${stem}.html`);
  rmSync(pagePath, { force: true });

  const expected = [];
  for (const input of options.inputs) {
    const csv = join(options.work, `${basename(input)}.csv`);
    const converted = run(options.tool, ['convert', input, csv]);
    const positions = converted.status === 0 ? readCsv(csv) : null;
    if (!positions || positions.names.length === 0 || positions.rows.length === 0) {
      // Unreadable, or nothing to show: view must fail as a file problem and write nothing.
      const viewed = run(options.tool, ['view', ...options.inputs, '-o', pagePath]);
      check(viewed.status === 1, `view ended with ${viewed.status}: ${viewed.output}`);
      check(!existsSync(pagePath), `view wrote ${pagePath} from an input with nothing to show`);
      console.log(`nothing to show: ${viewed.output.trim()}`);
      return report();
    }
    expected.push(positions);
  }

  const viewed = run(options.tool, ['view', ...options.inputs, '-o', pagePath]);
  if (!check(viewed.status === 0 && viewed.output.startsWith(`wrote ${pagePath} (`),
             `view: status ${viewed.status}: ${viewed.output}`)) return report();
  console.log(`${viewed.output.trim()}, ${statSync(pagePath).size} bytes`);
  try {
    await checkPage(browser, pagePath, expected, options);
  } catch (error) {
    check(false, String(error?.stack ?? error));
  }
  return report();
}

function report() {
  for (const failure of failures) console.error(`FAIL ${failure}`);
  return failures.length === 0 ? 0 : 1;
}

process.exitCode = await main();
