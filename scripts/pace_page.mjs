// The pace probe's page (scripts/pace.sh --steps): the page in headless
// Chromium plays a round with a bomb key every 0.37 s for SECONDS seconds, and
// the figures come from the page's own clock: the game's steps a second (its
// trace's frame count), the interval between the canvas's pictures
// (putImageData), and the delay from a bomb key's own event time to the
// first picture that shows the bomb it dropped.
//
//   node scripts/pace_page.mjs PAGE_DIR [SECONDS]
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

import puppeteer from "puppeteer-core";

import { serve, sleep } from "../tests/platform/web/support.mjs";

const [pageDir, seconds = "30"] = process.argv.slice(2);
if (!pageDir) {
  console.error("usage: pace_page.mjs PAGE_DIR [SECONDS]");
  process.exit(1);
}

// Each picture with its time, the game's frame count and whether a bomb is on
// its way; each bomb key with its event's time.
function watch() {
  const probe = { pictures: [], keys: [] };
  window.paceProbe = probe;
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    put.apply(this, args);
    const trace = window.carpexTrace ? window.carpexTrace() : "";
    const frame = /^n=(\d+)/.exec(trace);
    const bomb = / bomb=([^ ]*)/.exec(trace);
    if (frame && bomb) probe.pictures.push([performance.now(), Number(frame[1]), bomb[1].split(",")[4] !== "0"]);
  };
  window.addEventListener("keydown", (e) => {
    if (e.key === " " && !e.repeat) probe.keys.push(e.timeStamp);
  }, true);
}

const quantile = (values, q) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted.length ? sorted[Math.round(q * (sorted.length - 1))] : 0;
};
const ms = (v) => v.toFixed(1);

const launch = {
  executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--window-size=1280,1024"],
};

const site = await serve(pageDir);
const profile = fs.mkdtempSync(path.join(os.tmpdir(), "carpex-pace-"));
const browser = await puppeteer.launch({ headless: true, userDataDir: profile, ...launch });
try {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(watch);
  await page.goto(site.url, { waitUntil: "load" });
  await page.waitForFunction(() => window.carpexTrace && window.carpexTrace() !== "");
  await page.keyboard.press("Digit0");
  await sleep(1500);
  const from = await page.evaluate(() => window.paceProbe.pictures.length);
  const end = Date.now() + Number(seconds) * 1000;
  while (Date.now() < end) {
    await page.keyboard.press(" ");
    await sleep(370);
  }
  const { pictures, keys } = await page.evaluate(() => window.paceProbe);
  await page.close();
  const played = pictures.slice(from);
  const first = played[0];
  const last = played[played.length - 1];
  const steps = ((last[1] - first[1]) * 1000) / (last[0] - first[0]);
  const intervals = played.slice(1).map((p, i) => p[0] - played[i][0]);
  // A key drops a bomb when none was on its way in the picture before it.
  const delays = [];
  for (const key of keys) {
    const at = played.findIndex((p) => p[0] >= key);
    if (at < 1 || played[at - 1][2]) continue;
    const shown = played.slice(at).find((p) => p[2]);
    if (shown && shown[0] - key < 1000) delays.push(shown[0] - key);
  }
  console.log(`page, Chromium: ${steps.toFixed(1)} steps a second; between pictures: median ` +
              `${ms(quantile(intervals, 0.5))} ms, p99 ${ms(quantile(intervals, 0.99))} ms, max ` +
              `${ms(quantile(intervals, 1))} ms; key to picture: median ${ms(quantile(delays, 0.5))} ms, ` +
              `p99 ${ms(quantile(delays, 0.99))} ms (${delays.length} bombs)`);
} finally {
  await browser.close();
  await site.stop();
  fs.rmSync(profile, { recursive: true, force: true });
}
