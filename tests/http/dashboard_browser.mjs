// The dashboard in headless Chromium, served by the program running on test data.
// Usage: node dashboard_browser.mjs BRENNIC_EXECUTABLE [SCREENSHOT.png]
// Checks that the collector value shown equals /api/v1/current, that the chart has drawn, that
// an active alert shows in the banner and that the unit switch is remembered; saves a picture
// of the page when asked for one (by hand: the test run leaves nothing behind).
import { spawn } from 'node:child_process';
import { mkdtempSync, writeFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const { chromium } = require(process.env.BRENNIC_PLAYWRIGHT || 'playwright-core');

const [program, picture] = process.argv.slice(2);
const configDir = mkdtempSync(join(tmpdir(), 'brennic-dashboard-'));
// A freeze threshold no collector stays under raises an alert at the first live sample.
writeFileSync(join(configDir, 'brennic.toml'),
  '[http]\nport = 0\n[alerts.freeze]\nthreshold = 1000\nminutes = 0\n');

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const fail = (why) => { throw new Error(why); };

// HOME in the scratch folder too: the summary and alert files go to the data folder under it,
// not to the documents of whoever runs the tests.
const env = { ...process.env, QT_QPA_PLATFORM: 'offscreen', HOME: configDir };
delete env.XDG_CONFIG_HOME;
const child = spawn(program, ['--config-dir', configDir, '--demo'], {
  env,
  stdio: ['ignore', 'pipe', 'inherit'],
});
let browser;
try {
  const url = await new Promise((resolve, reject) => {
    let out = '';
    const timer = setTimeout(() => reject(new Error('no dashboard address: ' + out)), 60000);
    child.stdout.on('data', (d) => {
      out += d;
      const m = out.match(/Dashboard: (http:\/\/\S+)/);
      if (m) { clearTimeout(timer); resolve(m[1]); }
    });
    child.on('exit', (code) => reject(new Error('the program ended with ' + code)));
  });
  const current = async () => (await fetch(url + 'api/v1/current')).json();
  for (let i = 0; i < 100 && !(await current()).sample; i++) await sleep(200);

  browser = await chromium.launch({
    executablePath: process.env.BRENNIC_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const page = await browser.newPage({ viewport: { width: 1100, height: 900 } });
  page.on('pageerror', (e) => fail('page error: ' + e.message));
  await page.goto(url);
  await page.waitForSelector('#value-collector');
  // Two live samples make a line.
  await page.waitForFunction(() => Number(document.body.dataset.chartPoints || 0) >= 2, null, { timeout: 20000 });

  // The shown collector value is the API's value of the same sample.
  let compared = false;
  for (let i = 0; i < 20 && !compared; i++) {
    const shown = await page.$eval('#value-collector', (el) => ({
      text: el.querySelector('.value').firstChild.textContent,
      epoch: Number(el.dataset.epoch),
    }));
    const api = await current();
    if (api.sample.epoch === shown.epoch) {
      const expected = api.sample.channels.collector.value.toFixed(1);
      if (shown.text !== expected) fail(`collector shows ${shown.text}, the API says ${expected}`);
      compared = true;
    } else {
      await sleep(250);
    }
  }
  if (!compared) fail('the page and the API never showed the same sample');

  // The banner shows the active alert as the API has it.
  await page.waitForSelector('#alerts:not([hidden])', { timeout: 30000 });
  const banner = await page.$eval('#alerts', (el) => el.textContent);
  const active = (await (await fetch(url + 'api/v1/alerts')).json()).active;
  if (active.length !== 1 || !banner.includes(active[0].text)) {
    fail(`the banner says "${banner}", the API ${JSON.stringify(active)}`);
  }

  // The chart drew the collector's line: its canvas holds pixels of the collector's colour
  // (#d62728), which nothing else on the chart uses.
  const inked = await page.$eval('#chart canvas', (c) => {
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) {
      if (d[i] > 150 && d[i + 1] < 110 && d[i + 2] < 110 && d[i + 3] > 128) n++;
    }
    return n;
  });
  if (inked < 50) fail('the collector line has only ' + inked + ' pixels');

  // °C is remembered across a reload.
  await page.click('#unit-temp');
  await page.reload();
  await page.waitForSelector('#value-collector');
  const unit = await page.$eval('#value-collector .unit', (el) => el.textContent);
  if (unit !== '°C') fail('the unit after a reload is ' + unit);
  await page.click('#unit-temp');
  await page.waitForFunction(() => Number(document.body.dataset.chartPoints || 0) >= 2);
  if (picture) {
    await sleep(2500);  // a few more samples on the chart
    await page.screenshot({ path: picture, fullPage: true });
  }
  console.log('dashboard: 1 passed, 0 failed');
} catch (e) {
  console.error('dashboard: ' + e.message);
  process.exitCode = 1;
} finally {
  if (browser) await browser.close();
  // The program writes its summary's stop line as it ends: remove its folder after that.
  if (child.exitCode === null && child.signalCode === null) {
    const ended = new Promise((resolve) => child.once('exit', resolve));
    child.kill('SIGTERM');
    await Promise.race([ended, sleep(10000)]);
  }
  rmSync(configDir, { recursive: true, force: true, maxRetries: 5 });
}
