// How long viewer pages take to open in headless chromium: from navigation until the player's
// ready flag (page read, positions decoded, scene built and drawn once).
//
//   node open_time.mjs [--runs N] PAGE.html...
//
// Prints one line per page: its size and the opening time of each run. A fresh tab per run.

import { statSync } from 'node:fs';
import { resolve } from 'node:path';
import { kSkip, launchChromium, openViewer } from './browser.mjs';

const args = process.argv.slice(2);
let runs = 3;
if (args[0] === '--runs') {
  runs = Number(args[1]);
  args.splice(0, 2);
}
const { browser, skipped } = await launchChromium();
if (skipped) {
  console.log(`skipped: ${skipped}`);
  process.exit(kSkip);
}
try {
  for (const page of args) {
    const times = [];
    for (let run = 0; run < runs; ++run) {
      const { tab, milliseconds } = await openViewer(browser, resolve(page));
      times.push(milliseconds);
      await tab.close();
    }
    const megabytes = (statSync(page).size / 1048576).toFixed(1);
    console.log(`${page}: ${megabytes} MB, opened in ${times.map((t) => (t / 1000).toFixed(2)).join(' s, ')} s`);
  }
} finally {
  await browser.close();
}
