// Headless chromium through puppeteer-core, as the viewer checks and measurements start it:
// software WebGL (SwiftShader), so that it runs on machines without a GPU.

import { existsSync } from 'node:fs';

// ctest's SKIP_RETURN_CODE for the browser tests; in continuous integration (CI=true) a check
// that cannot run is a failure, so that a missing package or browser never passes unseen.
export const kSkip = process.env.CI === 'true' ? 1 : 77;

// The browser, or a reason why there is none ({ skipped }): puppeteer-core is not installed
// (scripts/deps.sh installs js/node_modules) or there is no chromium at ZAR_CHROMIUM
// (default /usr/bin/chromium).
export async function launchChromium() {
  let puppeteer;
  try {
    puppeteer = (await import('puppeteer-core')).default;
  } catch {
    return { skipped: 'puppeteer-core is not installed (scripts/deps.sh installs js/node_modules)' };
  }
  const chromium = process.env.ZAR_CHROMIUM || '/usr/bin/chromium';
  if (!existsSync(chromium)) return { skipped: `no chromium at ${chromium} (scripts/deps.sh installs it)` };
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
  });
  return { browser };
}

// The browser; when there is none, says why and exits with the skip status.
export async function chromiumOrSkip() {
  const { browser, skipped } = await launchChromium();
  if (skipped) {
    console.log(`${kSkip === 77 ? 'skipped' : 'failed (CI=true needs the browser checks)'}: ${skipped}`);
    process.exit(kSkip);
  }
  return browser;
}

// A list of checks: check(condition, message) notes a failure and answers the condition;
// finish() prints the failures and exits, 1 when there is any.
export function checkList() {
  const failures = [];
  return {
    check(condition, message) {
      if (!condition) failures.push(message);
      return condition;
    },
    finish() {
      failures.forEach((failure) => console.log(`FAILED: ${failure}`));
      process.exit(failures.length > 0 ? 1 : 0);
    },
  };
}

// Opens the page at `path` in a new tab of `browser` and waits for the viewer's ready flag;
// returns the tab and the milliseconds from navigation to ready.
export async function openViewer(browser, path, prepare = async () => {}) {
  const tab = await browser.newPage();
  await tab.setViewport({ width: 800, height: 450 });
  await prepare(tab);
  const started = Date.now();
  await tab.goto(`file://${path}`, { timeout: 120000 });
  await tab.waitForFunction(() => window.zarViewer?.ready === true, { timeout: 120000, polling: 50 });
  return { tab, milliseconds: Date.now() - started };
}
