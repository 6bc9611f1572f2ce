// The game's web page in headless Chromium, as a player meets it: the page
// loads without a console error, shows the level screen exactly as the
// software display draws it, starts a round on '0', drops a bomb on Space,
// comes back whole after losing the focus, loses no focus change and no
// key-up when flooded with events, and ends on Escape, Escape.
//
//   node page_test.mjs PAGE_DIR CARPEX_REPLAY OUT_DIR
//
// Prints the frame rate the page counts. Exit status 0 on success, 1 on failure.
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";

import puppeteer from "puppeteer-core";

const [pageDir, replayTool, outDir] = process.argv.slice(2);
if (!outDir) {
  console.error("usage: page_test.mjs PAGE_DIR CARPEX_REPLAY OUT_DIR");
  process.exit(1);
}
fs.mkdirSync(outDir, { recursive: true });

const kTypes = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };
const kLostColours = [
  [255, 0, 255],
  [0, 255, 0],
];

function fail(message) {
  throw new Error(message);
}

// The page's own files only; any other request is a fault of the page.
function serve(dir, missed) {
  const server = http.createServer((req, res) => {
    const name = new URL(req.url, "http://localhost").pathname.replace(/^\/$/, "/index.html");
    const file = path.join(dir, path.basename(name));
    const type = kTypes[path.extname(file)];
    if (!type || name !== "/" + path.basename(name) || !fs.existsSync(file)) {
      missed.push(req.url);
      res.writeHead(404).end();
      return;
    }
    res.writeHead(200, { "Content-Type": type }).end(fs.readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// The level screen as carpex-replay draws it on the software display: RGB bytes.
function referenceLevelScreen() {
  const ppm = path.join(outDir, "level-reference.ppm");
  execFileSync(replayTool, ["--shots", outDir, "--overwrite", "-"], {
    input: "seed 1\nframes 2\nshot " + path.basename(ppm) + "\n",
  });
  const bytes = fs.readFileSync(ppm);
  const header = bytes.toString("latin1", 0, 20).match(/^P6\s+640\s+480\s+255\s/);
  if (!header) fail("the reference picture is not a 640 x 480 PPM");
  return bytes.subarray(header[0].length);
}

// Trace fields by name: "gs", "plane", "bomb", ...
function parseTrace(line) {
  return Object.fromEntries(line.split(" ").map((field) => field.split("=")));
}

async function main() {
  const missed = [];
  const server = await serve(pageDir, missed);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "carpex-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    args: [
      "--no-sandbox",
      "--disable-gpu",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      "--window-size=1280,1024",
    ],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1280, height: 1024 });
    const consoleErrors = [];
    page.on("console", (m) => m.type() === "error" && consoleErrors.push(m.text()));
    page.on("pageerror", (e) => consoleErrors.push(String(e)));
    page.on("request", (r) => r.url().startsWith(url) || r.url().startsWith("data:") ||
      missed.push(r.url()));

    const trace = async () => parseTrace(await page.evaluate(() => window.carpexTrace()));
    const waitFor = async (what, test, seconds = 10) => {
      const end = Date.now() + seconds * 1000;
      for (;;) {
        const t = await trace().catch(() => ({}));
        if (test(t)) return t;
        if (Date.now() > end) fail(`timed out waiting for ${what}; last trace: ${JSON.stringify(t)}`);
        await new Promise((r) => setTimeout(r, 20));
      }
    };
    const canvasPixels = () =>
      page.evaluate(() => {
        const c = document.getElementById("canvas");
        return Array.from(c.getContext("2d").getImageData(0, 0, c.width, c.height).data);
      });

    await page.goto(url, { waitUntil: "load" });
    await waitFor("the level screen", (t) => t.gs === "1" && Number(t.n) >= 3);

    // The level screen, pixel for pixel.
    const reference = referenceLevelScreen();
    const rgba = await canvasPixels();
    let differing = 0;
    for (let i = 0, j = 0; i < reference.length; i += 3, j += 4) {
      if (rgba[j] !== reference[i] || rgba[j + 1] !== reference[i + 1] ||
          rgba[j + 2] !== reference[i + 2]) {
        ++differing;
      }
    }
    await page.screenshot({ path: path.join(outDir, "level.png") });
    if (differing > 0) fail(`${differing} pixels of the level screen differ from the reference`);
    console.log("level screen: pixel-equal to the software display's");
    // Twice the size in a 1280 x 1024 window, centred, without smoothing.
    const placed = await page.evaluate(() => {
      const c = document.getElementById("canvas");
      const r = c.getBoundingClientRect();
      return [r.left, r.top, r.width, r.height, getComputedStyle(c).imageRendering].join(" ");
    });
    if (placed !== "0 32 1280 960 pixelated") fail("the canvas is placed at " + placed);

    // '0' starts a round at level 0; f shows the frame rate.
    await page.keyboard.press("Digit0");
    await waitFor("the round to start", (t) => t.gs === "2" && t.level === "0");
    await page.keyboard.press("KeyF");
    await waitFor("the frame-rate text", (t) => t.shown === "1");

    // Space drops the bomb.
    await page.keyboard.down("Space");
    const dropped = await waitFor("the bomb", (t) => t.bomb.split(",")[4] !== "0");
    await page.keyboard.up("Space");
    console.log("bomb released: " + dropped.bomb);

    // Away and back, by the window's focus and by another tab: the same round
    // goes on, every picture back on the canvas.
    const awayAndBack = async (how, leave, comeBack) => {
      await leave();
      const away = await waitFor("the deactivation", (t) => t.active === "0");
      await new Promise((r) => setTimeout(r, 300));
      const stillAway = await trace();
      for (const field of ["gs", "plane", "bomb", "expl", "strikes", "heights", "kinds"]) {
        if (stillAway[field] !== away[field]) fail(`${field} changed while away (${how})`);
      }
      await comeBack();
      const back = await waitFor("the restore", (t) => t.active === "1" && t.plane !== away.plane);
      if (back.gs === "1" || back.level !== away.level) fail(`the round did not come back (${how})`);
      const after = await canvasPixels();
      let lost = 0;
      for (let j = 0; j < after.length; j += 4) {
        if (kLostColours.some((c) => c.every((v, k) => after[j + k] === v))) ++lost;
      }
      if (lost > 0) fail(`${lost} pixels of lost surfaces on the canvas after the restore (${how})`);
      console.log(`away and back (${how}): round intact`);
    };
    await awayAndBack(
      "blur and focus",
      () => page.evaluate(() => window.dispatchEvent(new Event("blur"))),
      () => page.evaluate(() => window.dispatchEvent(new Event("focus"))),
    );
    const other = await browser.newPage();
    await awayAndBack("another tab", () => other.bringToFront(), () => page.bringToFront());
    await other.close();

    // More events between two frames than the page's queue holds: characters
    // and key-downs may go, the last focus change and every key-up may not.
    const flood = (events) =>
      page.evaluate((events) => {
        for (const [type, code, key, keyCode] of events) {
          if (type === "blur" || type === "focus") {
            window.dispatchEvent(new Event(type));
            continue;
          }
          const e = new KeyboardEvent(type, { key, code, bubbles: true, cancelable: true });
          Object.defineProperty(e, "keyCode", { get: () => keyCode });
          window.dispatchEvent(e);
        }
      }, events);
    const letters = Array(100).fill(["keydown", "KeyA", "a", 65]);
    const running = async (what) => {
      const before = await waitFor(what, (t) => t.active === "1");
      await waitFor(`${what}: the plane flying`, (t) => t.plane !== before.plane);
    };
    await flood([["focus"], ...Array(100).fill([["blur"], ["focus"]]).flat()]);
    await new Promise((r) => setTimeout(r, 300));
    await running("the game after 100 blur and focus pairs");
    await flood([...letters, ["blur"]]);
    await waitFor("the deactivation behind 200 key messages", (t) => t.active === "0");
    await flood([...letters, ["focus"]]);
    await running("the restore behind 200 key messages");
    await flood([["keydown", "Space", " ", 32]]);
    await waitFor("the bomb key held", (t) => t.bomb.split(",")[5] === "1");
    await flood([...letters, ["keyup", "Space", " ", 32]]);
    await waitFor("the bomb key let go behind 200 key messages", (t) => t.bomb.split(",")[5] === "0");
    console.log("a flooded queue: focus changes merged, the last one and every key-up kept");

    // The frame rate the page counts, once two timer periods have passed.
    await new Promise((r) => setTimeout(r, 2200));
    const counted = await trace();
    await page.screenshot({ path: path.join(outDir, "round.png") });
    console.log(`frame rate counted by the page: ${counted.fps} frames per second`);
    if (!(Number(counted.fps) > 0)) fail("the page counted no frames");

    // Escape to the level screen, Escape ends the game.
    await page.keyboard.press("Escape");
    await waitFor("the level screen again", (t) => t.gs === "1");
    await page.keyboard.press("Escape");
    await page.waitForSelector("#ended:not([hidden])", { timeout: 5000 });
    if (await page.evaluate(() => !document.getElementById("canvas").hidden)) {
      fail("the canvas still shows after the end");
    }
    console.log("Escape, Escape: the game ended");

    // A 120 Hz display: every second animation frame comes too early and is skipped.
    const fast = await browser.newPage();
    fast.on("pageerror", (e) => consoleErrors.push(String(e)));
    await fast.evaluateOnNewDocument(() => {
      let waiting = [];
      let time = 0;
      window.animationFrames = 0;
      window.requestAnimationFrame = (callback) => waiting.push(callback);
      setInterval(() => {
        time += 1000 / 120;
        ++window.animationFrames;
        const due = waiting;
        waiting = [];
        due.forEach((callback) => callback(time));
      }, 1000 / 120);
    });
    await fast.goto(url, { waitUntil: "load" });
    const counts = () =>
      fast.evaluate(() => [window.animationFrames, Number(window.carpexTrace().split(" ")[0].slice(2))]);
    await new Promise((r) => setTimeout(r, 500));
    const [frames0, calls0] = await counts();
    await new Promise((r) => setTimeout(r, 1000));
    const [frames1, calls1] = await counts();
    await fast.close();
    const calls = calls1 - calls0;
    const frames = frames1 - frames0;
    if (frames < 20 || Math.abs(2 * calls - frames) > 2) {
      fail(`at 120 Hz the game ran ${calls} frames in ${frames} animation frames`);
    }
    console.log(`at 120 Hz: ${calls} game frames in ${frames} animation frames`);

    if (missed.length > 0) fail("requests the page should not make: " + missed.join(", "));
    if (consoleErrors.length > 0) fail("console errors: " + consoleErrors.join(" | "));
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

main().then(
  () => console.log("web page test passed"),
  (e) => {
    console.error("FAIL: " + e.message);
    process.exit(1);
  },
);
