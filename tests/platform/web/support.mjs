// What the browser tests share: the page's own files served on a free port,
// the level screen as the software display draws it, the game's trace line,
// and the frame rate the game counts.
import { execFileSync } from "node:child_process";
import crypto from "node:crypto";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";

import puppeteer from "puppeteer-core";

const kTypes = {
  ".html": "text/html",
  ".js": "text/javascript",
  ".wasm": "application/wasm",
  ".webmanifest": "application/manifest+json",
  ".png": "image/png",
};

export function fail(message) {
  throw new Error(message);
}

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// The command line every browser test takes: PAGE_DIR CARPEX_REPLAY OUT_DIR.
export function commandLine(script) {
  const [pageDir, replayTool, outDir] = process.argv.slice(2);
  if (!outDir) {
    console.error(`usage: ${script} PAGE_DIR CARPEX_REPLAY OUT_DIR`);
    process.exit(1);
  }
  fs.mkdirSync(outDir, { recursive: true });
  return { pageDir, replayTool, outDir };
}

// A new page of a browser or a browser context whose console errors and
// uncaught exceptions go to `errors`; `setUp(page)`, when given, runs before it
// opens `url` (when given).
export async function openPage(browser, errors, url, setUp) {
  const page = await browser.newPage();
  page.on("console", (m) => m.type() === "error" && errors.push(m.text()));
  page.on("pageerror", (e) => errors.push(String(e)));
  if (setUp) await setUp(page);
  if (url) await page.goto(url, { waitUntil: "load" });
  return page;
}

// Serves the page, starts the browser on a fresh profile and runs the test
// with both; any request beyond the page's files or any console error that
// `errors` gathers fails it as well. Exit status 1 on a failure.
export async function runBrowserTest(name, pageDir, launch, test) {
  const site = await serve(pageDir);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "carpex-browser-"));
  let browser = null;
  try {
    browser = await puppeteer.launch({ headless: true, userDataDir: profile, ...launch });
    const errors = [];
    await test(browser, site, errors);
    if (site.missed.length > 0) fail("requests the page should not make: " + site.missed.join(", "));
    if (errors.length > 0) fail("console errors: " + errors.join(" | "));
    console.log(`${name} passed`);
  } catch (e) {
    console.error("FAIL: " + e.message);
    process.exitCode = 1;
  } finally {
    if (browser) await browser.close();
    await site.stop();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

// The page's own files only, as a static server gives them (nginx with
// brotli_static and gzip_static): the .br or .gz copy beside a file when the
// browser takes that encoding and `encodings` lists it, and an ETag that a
// revalidation answers with 304. Any other request is a fault of the page and
// is written down in `missed`; `sent` counts the body bytes given. Port 0
// takes a free one; stop() ends every connection, as a server that has gone
// away.
export async function serve(dir, port = 0, encodings = ["br", "gzip"]) {
  const missed = [];
  const sent = { bytes: 0, requests: [] };
  const server = http.createServer((req, res) => {
    const name = new URL(req.url, "http://localhost").pathname.replace(/^\/$/, "/index.html");
    const file = path.join(dir, path.basename(name));
    const type = kTypes[path.extname(file)];
    if (!type || name !== "/" + path.basename(name) || !fs.existsSync(file)) {
      missed.push(req.url);
      res.writeHead(404).end();
      return;
    }
    const accepted = String(req.headers["accept-encoding"] || "").split(/\s*,\s*/).map((e) => e.split(";")[0]);
    const coding = [["br", ".br"], ["gzip", ".gz"]].find(([e, suffix]) =>
      encodings.includes(e) && accepted.includes(e) && fs.existsSync(file + suffix));
    const body = fs.readFileSync(coding ? file + coding[1] : file);
    const tag = `"${crypto.createHash("sha256").update(body).digest("hex").slice(0, 16)}"`;
    const headers = { "Content-Type": type, "ETag": tag, "Vary": "Accept-Encoding" };
    if (coding) headers["Content-Encoding"] = coding[0];
    if (req.headers["if-none-match"] === tag) {
      res.writeHead(304, headers).end();
      return;
    }
    sent.bytes += body.length;
    sent.requests.push(`${name} ${body.length}${coding ? " " + coding[0] : ""}`);
    res.writeHead(200, headers).end(body);
  });
  await new Promise((resolve) => server.listen(port, "127.0.0.1", resolve));
  const url = `http://127.0.0.1:${server.address().port}/`;
  const stop = () => new Promise((resolve) => {
    server.close(resolve);
    server.closeAllConnections();
  });
  return { url, missed, sent, stop, port: server.address().port };
}

// The level screen as carpex-replay draws it on the software display, with the
// pictures in the language given ("en" or "zh"): RGB bytes.
export function referenceLevelScreen(replayTool, outDir, language) {
  const ppm = path.join(outDir, `level-reference-${language}.ppm`);
  execFileSync(replayTool, ["--shots", outDir, "--overwrite", "-"], {
    input: `language ${language}\nseed 1\nframes 2\nshot ${path.basename(ppm)}\n`,
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

// The game on a page, read through its trace line and its canvas.
export function game(page) {
  const trace = async () => parseTrace(await page.evaluate(() => window.carpexTrace()));
  const waitFor = async (what, test, seconds = 10) => {
    const end = Date.now() + seconds * 1000;
    for (;;) {
      const t = await trace().catch(() => ({}));
      if (test(t)) return t;
      if (Date.now() > end) fail(`timed out waiting for ${what}; last trace: ${JSON.stringify(t)}`);
      await sleep(20);
    }
  };
  // Lets the game run the given number of frames.
  const frames = async (n) => {
    const from = Number((await trace()).n);
    await waitFor(`${n} frames`, (t) => Number(t.n) >= from + n);
  };
  // The canvas's pixels, RGBA, at the picture's own size.
  const canvasPixels = () =>
    page.evaluate(() => {
      const c = document.getElementById("canvas");
      return Array.from(c.getContext("2d").getImageData(0, 0, c.width, c.height).data);
    });
  // How many pixels of the canvas differ from an RGB reference picture.
  const differingFrom = async (reference) => {
    const rgba = await canvasPixels();
    if (rgba.length !== (reference.length / 3) * 4) fail("the canvas is not 640 x 480");
    let differing = 0;
    for (let i = 0, j = 0; i < reference.length; i += 3, j += 4) {
      if (rgba[j] !== reference[i] || rgba[j + 1] !== reference[i + 1] ||
          rgba[j + 2] !== reference[i + 2]) {
        ++differing;
      }
    }
    return differing;
  };
  // The picture's place on the page, in CSS pixels.
  const placed = () =>
    page.evaluate(() => {
      const r = document.getElementById("canvas").getBoundingClientRect();
      return { left: r.left, top: r.top, width: r.width, height: r.height,
               pageWidth: innerWidth, pageHeight: innerHeight, ratio: devicePixelRatio,
               sharp: document.getElementById("canvas").classList.contains("sharp") };
    });
  // Frames the game ran over some seconds of play, the animation frames the
  // browser gave meanwhile (counted by a loop of the test's own), and the
  // frame rates the game counted in each timer period.
  const frameRate = async (seconds) => {
    const sample = () => page.evaluate(() => {
      if (window.displayFrames === undefined) {
        window.displayFrames = 0;
        const count = () => {
          ++window.displayFrames;
          requestAnimationFrame(count);
        };
        requestAnimationFrame(count);
      }
      return [window.displayFrames, Number(window.carpexTrace().split(" ")[0].slice(2)),
              performance.now()];
    });
    await sample();
    await sleep(200);
    const [display0, game0, time0] = await sample();
    const counted = [];
    for (let s = 0; s < seconds; ++s) {
      await sleep(1000);
      counted.push(Number((await trace()).fps));
    }
    const [display1, game1, time1] = await sample();
    const elapsed = (time1 - time0) / 1000;
    return { game: game1 - game0, display: display1 - display0, elapsed,
             perSecond: (game1 - game0) / elapsed, displayPerSecond: (display1 - display0) / elapsed,
             counted, min: Math.min(...counted), max: Math.max(...counted) };
  };
  // The game ran a frame in every animation frame of a display of 60 Hz or
  // less, and no more than 60 a second: how fast that is depends on the machine.
  const checkPace = (browserName, rate) => {
    console.log(`${browserName} over ${rate.elapsed.toFixed(2)} s: ${rate.perSecond.toFixed(2)} game ` +
                `frames a second (counted each second: ${rate.min} to ${rate.max}) in ` +
                `${rate.displayPerSecond.toFixed(2)} animation frames a second`);
    const most = 60 * rate.elapsed;
    const wanted = Math.min(rate.display, most);
    if (rate.game < wanted - Math.max(2, wanted / 100) || rate.game > most + 2) {
      fail(`${browserName}: the game ran ${rate.game} frames in ${rate.display} animation frames`);
    }
  };
  return { trace, waitFor, frames, canvasPixels, differingFrom, placed, frameRate, checkPace };
}

// A round played with keys: '0' starts it and Space drops a bomb, which is
// let go again. Answers the trace of the drop.
export async function playRoundWithKeys(page, g) {
  await page.keyboard.press("Digit0");
  await g.waitFor("the round to start", (t) => t.gs === "2" && t.level === "0");
  await page.keyboard.down(" ");
  const dropped = await g.waitFor("the bomb", (t) => t.bomb.split(",")[4] !== "0");
  await page.keyboard.up(" ");
  await g.waitFor("the key let go", (t) => t.bomb.split(",")[5] === "0");
  return dropped;
}
