// The game's web page in headless Chromium, as players meet it. On a desktop:
// the page loads without a console error, shows the level screen exactly as
// the software display draws it with an English key legend and the version
// in a corner, plays a round with keys and a click, comes back whole after
// losing the focus, loses no focus change and no key-up when flooded with
// events, ends on Escape, Escape and plays again. The pictures and every word
// follow the browser's languages, and the page's switch (or L), which the
// browser keeps. The legend says what applies on the level screen, in a
// round, in a paused round and after it. A gamepad plays a round; the pace
// holds on 60, 120 and 144 Hz displays. The legend and the buttons show at
// common desktop and laptop sizes, with or without a gamepad, in a wide and a
// narrow font, and the picture fills the room they leave. A phone plays and
// pauses a round by touch in portrait and landscape; held upright, phones show
// the legend's lines whole under the picture, and a watching's state and Stop;
// the picture fills phones and a 125 % desktop. Opened from a file the page
// says what to do. Installed, it passes Chromium's check, plays offline and
// takes the next version when one is deployed, but never one with a damaged
// file; a first visit to damaged files says so in plain words. The records
// survive a reload, and a day's round on today's city, shared as a link, is
// watched in another profile on its date's city. A first visit
// transfers no more than 140 kB with brotli and 160 kB with gzip (the
// recorder and the replay runner, for saving and watching, weigh 11 kB).
//
//   node page_test.mjs PAGE_DIR CARPEX_REPLAY OUT_DIR
//
// Prints the figures it measures. Exit status 0 on success, 1 on failure.
import { execFileSync } from "node:child_process";
import crypto from "node:crypto";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import zlib from "node:zlib";

import { KnownDevices } from "puppeteer-core";

import {
  commandLine, fail, game, openPage, playRoundWithKeys, referenceLevelScreen, runBrowserTest, serve,
  sleep,
} from "./support.mjs";

const { pageDir, replayTool, outDir } = commandLine("page_test.mjs");

const kLostColours = [
  [255, 0, 255],
  [0, 255, 0],
];
let consoleErrors = [];

const open = (browser, url, setUp) => openPage(browser, consoleErrors, url, setUp);

const levelScreen = (t) => t.gs === "1" && Number(t.n) >= 3;
// An element's text as the player sees it: "" when it, or what holds it, is
// not displayed or is hidden. Runs in the page.
const shownText = (e) => (e.checkVisibility({ visibilityProperty: true }) ? e.innerText : "");
const bombOf = (t) => t.bomb.split(",").map(Number);

// Parts of the legend band that show, by id or by their first words. Runs in the page.
const shownParts = () => [...document.querySelectorAll("#legend > li, #buttons > button")]
  .filter((e) => e.checkVisibility({ visibilityProperty: true }))
  .map((e) => e.id || e.innerText.replace(/\s+/g, " "));

async function desktop(browser, site, reference) {
  const page = await open(browser, null, (p) => p.setViewport({ width: 1280, height: 1024 }));
  page.on("request", (r) => r.url().startsWith(site.url) || site.missed.push(r.url()));
  await page.goto(site.url, { waitUntil: "load" });
  const g = game(page);
  await g.waitFor("the level screen", levelScreen);

  const differing = await g.differingFrom(reference);
  await page.screenshot({ path: path.join(outDir, "level.png") });
  if (differing > 0) fail(`${differing} pixels of the level screen differ from the reference`);
  console.log("level screen: pixel-equal to the software display's");
  const version = await page.$eval("#version", (e) => e.checkVisibility() && e.textContent);
  if (!/^Carpex \d+\.\d+\.\d+$/.test(version)) fail("no version shown on the page: " + version);
  console.log("version shown: " + version);
  // Twice the size in a 1280 x 1024 window, whole in it above the legend's
  // band (as tall as its tallest screen needs), without smoothing.
  const p = await g.placed();
  const at = [p.left, p.top, p.width, p.height].join(" ");
  if (!/^0 ([0-9]|[1-5][0-9]|6[0-4]) 1280 960$/.test(at) || !p.sharp) fail("the canvas is placed at " + at);
  // The legend says in English what the keys do here; no touch control shows.
  const legend = (await page.evaluate(shownParts)).join(" | ");
  if (legend !== "fullscreen | language | keys | recording | records | 0-9: choose a level | Escape: quit | Level 0 at 100 %: no win yet") {
    fail("the level screen's legend: " + legend);
  }
  // F11 is the browser's own.
  await page.evaluate(() => window.addEventListener("keydown", (e) => {
    window.f11Kept = e.defaultPrevented;
  }, { once: true }));
  await page.keyboard.press("F11");
  if (await page.evaluate(() => window.f11Kept !== false)) fail("the page keeps F11 from the browser");

  // '0' starts a round at level 0; f shows the frame rate; Space drops the bomb.
  await page.keyboard.press("KeyF");
  await g.waitFor("the frame-rate text", (t) => t.shown === "1");
  const dropped = await playRoundWithKeys(page, g);
  console.log("bomb released: " + dropped.bomb);
  // A click on the picture holds the bomb key as well.
  const p2 = await g.placed();
  await g.waitFor("no bomb in the air", (t) => bombOf(t)[4] === 0, 30);
  await page.mouse.move(p2.left + p2.width / 2, p2.top + p2.height / 2);
  await page.mouse.down();
  await g.waitFor("the bomb by a click", (t) => bombOf(t)[4] !== 0 && bombOf(t)[5] === 1);
  await page.mouse.up();
  await g.waitFor("the click let go", (t) => bombOf(t)[5] === 0);
  console.log("a click on the picture dropped a bomb");

  // Away and back, by the window's focus and by another tab: the same round
  // goes on, every picture back on the canvas.
  const awayAndBack = async (how, leave, comeBack) => {
    await leave();
    const away = await g.waitFor("the deactivation", (t) => t.active === "0");
    await sleep(300);
    const stillAway = await g.trace();
    for (const field of ["gs", "plane", "bomb", "expl", "strikes", "heights", "kinds"]) {
      if (stillAway[field] !== away[field]) fail(`${field} changed while away (${how})`);
    }
    await comeBack();
    const back = await g.waitFor("the restore", (t) => t.active === "1" && t.plane !== away.plane);
    if (back.gs === "1" || back.level !== away.level) fail(`the round did not come back (${how})`);
    const after = await g.canvasPixels();
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
    const before = await g.waitFor(what, (t) => t.active === "1");
    await g.waitFor(`${what}: the plane flying`, (t) => t.plane !== before.plane);
  };
  await flood([["focus"], ...Array(100).fill([["blur"], ["focus"]]).flat()]);
  await sleep(300);
  await running("the game after 100 blur and focus pairs");
  await flood([...letters, ["blur"]]);
  await g.waitFor("the deactivation behind 200 key messages", (t) => t.active === "0");
  await flood([...letters, ["focus"]]);
  await running("the restore behind 200 key messages");
  await flood([["keydown", "Space", " ", 32]]);
  await g.waitFor("the bomb key held", (t) => bombOf(t)[5] === 1);
  await flood([...letters, ["keyup", "Space", " ", 32]]);
  await g.waitFor("the bomb key let go behind 200 key messages", (t) => bombOf(t)[5] === 0);
  console.log("a flooded queue: focus changes merged, the last one and every key-up kept");

  // The frame rate the game counts over 10 s, once a timer period has gone by.
  await sleep(1200);
  g.checkPace("Chromium", await g.frameRate(10));
  await page.screenshot({ path: path.join(outDir, "round.png") });

  // Escape to the level screen, Escape ends the game; "Play again" starts a fresh one.
  await page.keyboard.press("Escape");
  await g.waitFor("the level screen again", (t) => t.gs === "1");
  await page.keyboard.press("Escape");
  await page.waitForSelector("#ended:not([hidden])", { timeout: 5000 });
  if (await page.evaluate(() => !document.getElementById("canvas").hidden)) {
    fail("the canvas still shows after the end");
  }
  await page.click("::-p-aria([name='Play again'][role='button'])");
  const again = await g.waitFor("a new game", levelScreen);
  if (again.level !== "0" || (await g.differingFrom(reference)) > 0) {
    fail("the new game's level screen is not the first one's");
  }
  await playRoundWithKeys(page, g);
  console.log("Escape, Escape: the game ended; Play again: a new game played");
  await page.close();
}

// A display of the given animation frames (their intervals in turn, in ms):
// the game runs one frame each 1/60 s, never more.
async function simulatedDisplay(browser, url, name, intervals) {
  const page = await open(browser, null, (p) => p.evaluateOnNewDocument((steps) => {
    let waiting = [];
    let time = 0;
    let step = 0;
    window.animationFrames = 0;
    window.requestAnimationFrame = (callback) => waiting.push(callback);
    const period = steps.reduce((a, b) => a + b) / steps.length;
    setInterval(() => {
      time += steps[step++ % steps.length];
      ++window.animationFrames;
      const due = waiting;
      waiting = [];
      due.forEach((callback) => callback(time));
    }, period);
  }, intervals));
  await page.goto(url, { waitUntil: "load" });
  const counts = () =>
    page.evaluate(() => [window.animationFrames, Number(window.carpexTrace().split(" ")[0].slice(2))]);
  await sleep(500);
  const [frames0, calls0] = await counts();
  await sleep(1500);
  const [frames1, calls1] = await counts();
  await page.close();
  const calls = calls1 - calls0;
  const frames = frames1 - frames0;
  const period = intervals.reduce((a, b) => a + b) / intervals.length;
  const expected = (frames * period) / (1000 / 60);
  if (frames < 20 || Math.abs(calls - expected) > 2) {
    fail(`on a ${name} display the game ran ${calls} frames in ${frames} animation frames`);
  }
  console.log(`${name}: ${calls} game frames in ${frames} animation frames`);
}

// A gamepad, as the Gamepad API shows it, through the page's own input path.
async function gamepad(browser, url) {
  const page = await open(browser, null, (p) => p.evaluateOnNewDocument(() => {
    const button = () => ({ pressed: false, touched: false, value: 0 });
    const pad = { id: "Test pad (STANDARD GAMEPAD)", index: 0, connected: true, mapping: "standard",
                  timestamp: 0, axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, button) };
    Object.defineProperty(Navigator.prototype, "getGamepads",
                          { value: () => [pad, null, null, null], configurable: true });
    window.setPadButton = (i, down) => {
      pad.buttons[i] = { pressed: down, touched: down, value: down ? 1 : 0 };
      pad.timestamp = performance.now();
    };
  }));
  await page.setViewport({ width: 1280, height: 1024 });
  await page.goto(url, { waitUntil: "load" });
  const g = game(page);
  await g.waitFor("the level screen", levelScreen);
  const kA = 0, kBack = 8, kStart = 9, kDown = 13, kRight = 15;
  const hold = (i, down) => page.evaluate((i, down) => window.setPadButton(i, down), i, down);
  const tap = async (i) => {
    await hold(i, true);
    await g.frames(3);
    await hold(i, false);
    await g.frames(3);
  };
  const padLegend = () => page.$eval("#pad-legend", shownText);
  if (!(await padLegend()).includes("A starts level 0")) fail("the legend shows no gamepad");
  await tap(kRight);
  await tap(kRight);
  const chosen = await padLegend();
  if (!chosen.includes("A starts level 2")) fail("D-pad right chose nothing: " + chosen);
  await tap(kA);
  await g.waitFor("the round at level 2", (t) => t.gs === "2" && t.level === "2");
  await hold(kA, true);
  await g.waitFor("the bomb and the held key", (t) => bombOf(t)[4] !== 0 && bombOf(t)[5] === 1);
  await hold(kA, false);
  await g.waitFor("A let go", (t) => bombOf(t)[5] === 0);
  await hold(kDown, true);
  await g.waitFor("D-pad down held", (t) => bombOf(t)[5] === 1);
  await hold(kDown, false);
  await tap(kStart);
  await g.waitFor("Start pausing the round", (t) => t.active === "0");
  await tap(kStart);
  await g.waitFor("Start going on", (t) => t.active === "1");
  await tap(kBack);
  await g.waitFor("the level screen after Back", (t) => t.gs === "1");
  await tap(kA);
  await g.waitFor("the last level played again", (t) => t.gs === "2" && t.level === "2");
  console.log("gamepad: D-pad right twice chose level 2, A started it and dropped a bomb, " +
              "D-pad down held the bomb key, Start paused and went on, Back left, A started level 2 again");
  await page.close();
}

// A phone, by touch only: the touch controls, the picture's size, a round.
async function phone(browser, url) {
  const page = await open(browser, null, (p) => p.emulate(KnownDevices["Pixel 5"]));
  await page.goto(url, { waitUntil: "load" });
  const g = game(page);
  const button = (name) => page.$(`::-p-aria([name="${name}"][role="button"])`);
  const shown = async (name) => {
    const b = await button(name);
    return b !== null && (await b.evaluate((e) => e.checkVisibility({ visibilityProperty: true })));
  };
  for (const [orientation, viewport, digit] of [
    ["portrait", KnownDevices["Pixel 5"].viewport, "0"],
    ["landscape", { ...KnownDevices["Pixel 5"].viewport, width: 851, height: 393, isLandscape: true }, "1"],
  ]) {
    await page.setViewport(viewport);
    await g.waitFor("the level screen", levelScreen);
    await g.frames(3);
    // Buttons named by their text, large enough for a thumb.
    for (const name of ["0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "Back"]) {
      const b = await button(name);
      const box = b && (await b.boundingBox());
      if (!box || !(await shown(name))) fail(`no "${name}" button in ${orientation}`);
      if (box.width < 44 || box.height < 44) fail(`the "${name}" button is ${box.width} x ${box.height}`);
    }
    const legend = await page.$eval("#legend", shownText);
    if (!legend.includes("The buttons 0-9: choose a level")) fail("the legend names no level buttons");
    const p = await g.placed();
    console.log(`Pixel 5 ${orientation} (${p.pageWidth} x ${p.pageHeight} CSS px at ${p.ratio}): ` +
                `picture ${p.width.toFixed(1)} x ${p.height.toFixed(1)} CSS px, ` +
                `${Math.round((100 * p.width) / p.pageWidth)} % of the width, ` +
                `${Math.round((100 * p.height) / p.pageHeight)} % of the height, ` +
                (p.sharp ? "whole factor" : "fitted"));
    if (Math.abs(p.width * 3 - p.height * 4) > 2) fail("the picture is not 4:3");
    // Upright, across the top, the controls under it; sideways, in the middle.
    const top = orientation === "portrait" ? 0 : p.pageHeight - p.height;
    if (Math.abs(p.left * 2 + p.width - p.pageWidth) > 1 || Math.abs(p.top * 2 - top) > 1) {
      fail(`the picture is at ${p.left}, ${p.top}`);
    }
    await page.screenshot({ path: path.join(outDir, `phone-${orientation}-level.png`) });

    await (await button(digit)).tap();
    await g.waitFor("the round by touch", (t) => t.gs === "2" && t.level === digit);
    if (await shown("5")) fail("the digits show during a round");
    await g.frames(3);
    if (!(await page.$eval("#legend", shownText)).includes("Touch the picture: drop the bomb")) {
      fail("the legend names no touch control in a round");
    }
    // Pause beside Back pauses the round; Go on goes on with it.
    await (await button("Pause")).tap();
    await g.waitFor("the round paused by touch", (t) => t.active === "0");
    await (await button("Go on")).tap();
    await g.waitFor("the round going on by touch", (t) => t.active === "1");
    // Two bombs, each by a touch of the picture held for a while.
    const middle = { x: p.left + p.width / 2, y: p.top + p.height / 2 };
    for (let bomb = 1; bomb <= 2; ++bomb) {
      await g.waitFor("no bomb in the air", (t) => bombOf(t)[4] === 0);
      await page.touchscreen.touchStart(middle.x, middle.y);
      await g.waitFor(`bomb ${bomb}`, (t) => bombOf(t)[4] !== 0 && bombOf(t)[5] === 1);
      await sleep(600);
      if (bomb === 2) await page.screenshot({ path: path.join(outDir, `phone-${orientation}-round.png`) });
      await page.touchscreen.touchEnd();
      await g.waitFor("the touch let go", (t) => bombOf(t)[5] === 0);
    }
    const moved = await page.evaluate(() => [scrollX, scrollY, visualViewport.scale,
                                             String(getSelection())].join(" "));
    if (moved !== "0 0 1 ") fail("the touches moved or selected the page: " + moved);
    await (await button("Back")).tap();
    await g.waitFor("the level screen by touch", (t) => t.gs === "1");
    console.log(`Pixel 5 ${orientation}: round at level ${digit} started, 2 bombs dropped and left by touch`);
  }
  await page.close();
}

// Phones held upright, by touch, one in Chinese: the picture across the top
// and under it the legend's lines whole across the width, clear of the
// version, on each of the game's screens; while a link's round is watched,
// its state and a button that stops it.
async function upright(browser, url, link) {
  for (const [width, height, language] of [[360, 740, "zh-CN"], [390, 844, "en-US"], [412, 915, "en-US"]]) {
    const page = await open(browser, null, async (p) => {
      await p.evaluateOnNewDocument((language) => {
        Object.defineProperty(Navigator.prototype, "languages", { get: () => [language], configurable: true });
      }, language);
      await p.setViewport({ width, height, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
    });
    const g = game(page);
    const where = `${width} x ${height} upright (${language})`;
    const tap = async (name) => (await page.$(`::-p-aria([name="${name}"][role="button"])`)).tap();
    // Each legend line shown, and the named buttons, whole and clear of the version.
    const shows = async (screen, buttons) => {
      // The game stands still while a recording is watched.
      if (screen === "watch") await page.waitForFunction(() => document.getElementById("watch-status").innerText);
      else await g.frames(3);
      const seen = await page.evaluate((buttons) => {
        const version = document.getElementById("version").getBoundingClientRect();
        const whole = (e) => {
          const r = e.getBoundingClientRect();
          return e.checkVisibility({ visibilityProperty: true }) && r.left >= 0 && r.top >= 0 &&
                 r.right <= innerWidth + 0.5 && r.bottom <= innerHeight + 0.5 && e.scrollWidth <= e.clientWidth + 1 &&
                 (r.right <= version.left || r.bottom <= version.top);
        };
        const lines = [...document.querySelectorAll("#legend > li")].filter((e) => e.checkVisibility());
        const named = [...document.querySelectorAll("#buttons > button")].filter((b) => buttons.includes(b.innerText));
        return { lines: lines.map((e) => `${e.innerText} (${Math.round(e.getBoundingClientRect().width)} px)`),
                 bad: [...lines.filter((e) => !whole(e) || e.getBoundingClientRect().width < 250),
                       ...named.filter((b) => !whole(b))].map((e) => e.innerText),
                 buttons: named.length };
      }, buttons);
      await page.screenshot({ path: path.join(outDir, `upright-${width}x${height}-${screen}.png`) });
      if (seen.lines.length < 2 || seen.bad.length > 0 || seen.buttons !== buttons.length) {
        fail(`${where} (${screen}): ${seen.lines.join(" | ")}; not whole: ${seen.bad.join(" | ")}`);
      }
      console.log(`${where} (${screen}): ${seen.lines.join(" | ")}`);
    };
    const zh = language.startsWith("zh");
    await page.goto(link, { waitUntil: "load" });
    await page.waitForFunction(() => document.documentElement.dataset.screen === "watch", { timeout: 20000 });
    await shows("watch", [zh ? "停止" : "Stop"]);
    await tap(zh ? "停止" : "Stop");
    await page.waitForFunction((zh) => (zh ? /停在/ : /stopped/).test(document.getElementById("watch-status").textContent),
                               {}, zh);
    await tap(zh ? "返回" : "Back");
    await g.waitFor("the game after the watching", levelScreen, 20);
    const p = await g.placed();
    if (p.top !== 0 || Math.abs(p.width - width) > 1) fail(`${where}: the picture is at ${p.top}, ${p.width} wide`);
    await shows("level", []);
    await tap("0");
    await g.waitFor("the round", (t) => t.gs === "2");
    await shows("round", zh ? ["返回", "暂停"] : ["Back", "Pause"]);
    await tap(zh ? "暂停" : "Pause");
    await g.waitFor("the pause", (t) => t.active === "0");
    await shows("paused", zh ? ["返回", "继续"] : ["Back", "Go on"]);
    await page.close();
  }
}

// A desktop at 125 %: 1920 x 1080 device pixels, with and without the
// browser's bars.
async function zoomedDesktop(browser, url) {
  const page = await open(browser);
  for (const height of [864, 739]) {
    await page.setViewport({ width: 1536, height, deviceScaleFactor: 1.25 });
    if (page.url() === "about:blank") await page.goto(url, { waitUntil: "load" });
    const g = game(page);
    await g.waitFor("the level screen", levelScreen);
    await sleep(100);
    const p = await g.placed();
    const used = Math.max(p.width / p.pageWidth, p.height / p.pageHeight);
    console.log(`125 % (${p.pageWidth} x ${p.pageHeight} CSS px): picture ${p.width} x ${p.height} CSS px ` +
                `(${p.width * p.ratio} x ${p.height * p.ratio} device px), ` +
                `${Math.round((100 * p.height) / p.pageHeight)} % of the height, ` +
                (p.sharp ? "whole factor" : "fitted"));
    if (used < 2 / 3) fail("the picture leaves more than a third of the page unused");
    if (p.sharp && (p.width * p.ratio) % 640 !== 0) fail("a whole factor that is not one in device pixels");
  }
  await page.screenshot({ path: path.join(outDir, "desktop-125.png") });
  await page.close();
}

// The legend and the buttons at common desktop sizes (inside the browser's
// bars; 1536 x 739 is 1920 x 1080 at 125 %) and laptop sizes (inside the bars,
// then in full screen or installed), with and without a gamepad, under a wide
// and a narrow font: on every screen of the game each part shows whole, beside
// or under the picture and clear of it, and the picture is as large as it
// would be without them (a whole factor within a tenth of filling the page,
// else filling it).
async function legendAtSizes(browser, url) {
  const sizes = [[1280, 1024, 1], [1366, 768, 1], [1280, 800, 1], [1536, 739, 1.25],
                 [1366, 657, 1], [1280, 680, 1], [1440, 900, 1]];
  const widths = [];
  for (const font of ["DejaVu Sans Mono", "Liberation Sans Narrow"]) {
    const page = await open(browser, null, (p) => p.evaluateOnNewDocument((font) => {
      document.addEventListener("DOMContentLoaded", () => {
        const style = document.createElement("style");
        style.textContent = `* { font-family: "${font}" !important; }`;
        document.head.append(style);
      });
      const button = () => ({ pressed: false, touched: false, value: 0 });
      const pad = { id: "Test pad (STANDARD GAMEPAD)", index: 0, connected: true, mapping: "standard",
                    timestamp: 0, axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, button) };
      window.padPlugged = false;
      Object.defineProperty(Navigator.prototype, "getGamepads",
                            { value: () => (window.padPlugged ? [pad] : []), configurable: true });
    }, font));
    for (const pad of [false, true]) {
      for (const [width, height, ratio] of sizes) {
        await page.setViewport({ width, height, deviceScaleFactor: ratio });
        if (page.url() === "about:blank") await page.goto(url, { waitUntil: "load" });
        await page.evaluate((pad) => { window.padPlugged = pad; }, pad);
        const g = game(page);
        await g.waitFor("the level screen", levelScreen);
        await g.frames(3);
        const where = `${width} x ${height} at ${ratio * 100} %${pad ? " with a gamepad" : ""} in ${font}`;
        let scale = "";
        // Each screen's legend, as the game would have the page show it.
        for (const screen of ["round", "paused", "over", "level", "watch"]) {
          const seen = await page.evaluate((screen, pads, kWidth, kHeight) => {
            // A watching's state as long as one gets, but for a long file name.
            if (screen === "watch") {
              Module.showWatching("paused", "'carpex-20250101-120000.replay', frame 216000 of 216000, 1/4x, paused " +
                                     "(recorded by Carpex 1.10.10)");
            } else {
              Module.showControls(screen, pads, 0);
            }
            const inside = (r) => r.left >= 0 && r.top >= 0 && r.right <= innerWidth + 0.5 &&
                                  r.bottom <= innerHeight + 0.5;
            const c = document.getElementById("canvas").getBoundingClientRect();
            const clear = (r) => r.right <= c.left + 0.5 || r.left >= c.right - 0.5 ||
                                 r.bottom <= c.top + 0.5 || r.top >= c.bottom - 0.5;
            const parts = [...document.querySelectorAll("#legend > li, #buttons > button")]
              .filter((e) => e.checkVisibility());
            const hidden = parts.filter((e) => !e.checkVisibility({ visibilityProperty: true }) ||
                                               !inside(e.getBoundingClientRect()) ||
                                               !clear(e.getBoundingClientRect()));
            // The picture's scale on the whole page: a whole factor within a
            // tenth of filling it, else filling it.
            const fit = Math.min(innerWidth * devicePixelRatio / kWidth, innerHeight * devicePixelRatio / kHeight);
            const whole = Math.floor(fit);
            const bare = whole >= 1 && 10 * whole >= 9 * fit ? whole : fit;
            return { parts: parts.map((e) => (e.tagName === "BUTTON" ? e.id : e.className)),
                     hidden: hidden.map((e) => e.id || e.innerText.slice(0, 20)),
                     scale: (c.width * devicePixelRatio) / kWidth, bare,
                     sharp: document.getElementById("canvas").classList.contains("sharp"),
                     legend: document.documentElement.dataset.legend };
          }, screen, pad ? 1 : 0, 640, 480);
          if (screen === "level") {
            const name = `legend-${font.split(" ").pop().toLowerCase()}-${width}x${height}${pad ? "-pad" : ""}.png`;
            await page.screenshot({ path: path.join(outDir, name) });
          }
          const at = `${where} (${screen})`;
          if (seen.hidden.length > 0) fail(`${at}: not shown whole and clear of the picture: ${seen.hidden}`);
          const lines = seen.parts.filter((p) => p.split(" ").includes(`on-${screen}`));
          // The pictures are the recording's while it is watched: no language
          // switch, and no keys of the player's.
          const buttons = screen === "watch" ? ["fullscreen", "recording"] : ["fullscreen", "language", "keys", "recording", "records"];
          if (buttons.some((b) => !seen.parts.includes(b)) || lines.length !== seen.parts.length - buttons.length ||
              lines.length < (screen === "over" ? 1 : 2) ||
              (screen !== "watch" && lines.some((p) => p.includes(" pad")) !== pad)) {
            fail(`${at}: the legend shows ${seen.parts}`);
          }
          if (screen === "watch") await page.evaluate(() => Module.showWatching("over", ""));
          if (Math.abs(seen.scale - seen.bare) > 0.01 || seen.sharp !== Number.isInteger(seen.bare)) {
            fail(`${at}: the picture is enlarged ${seen.scale}, not ${seen.bare}`);
          }
          scale = `legend ${seen.legend}, picture x${seen.scale.toFixed(2)}${seen.sharp ? " (whole)" : ""}`;
        }
        console.log(`${where}: ${scale}, each screen's legend whole`);
      }
    }
    widths.push(await page.evaluate(() => {
      const probe = document.createElement("span");
      probe.textContent = "Space or Down drops the bomb";
      document.body.append(probe);
      const width = probe.getBoundingClientRect().width;
      probe.remove();
      return width;
    }));
    await page.close();
  }
  // Both fonts took: the same words in each are of clearly different widths.
  if (widths[0] < 1.25 * widths[1]) fail(`the fonts did not apply: ${widths.join(" and ")} px`);
  console.log(`fonts: the same words ${Math.round(widths[0])} px wide and ${Math.round(widths[1])} px narrow`);
}

// The legend follows the game: the level screen's keys, a round's, a paused
// round's (P pauses and goes on, the picture standing still meanwhile), and
// once the round is over the way back.
async function legendFollowsTheGame(browser, url) {
  const page = await open(browser, null, (p) => p.setViewport({ width: 1280, height: 1024 }));
  await page.goto(url, { waitUntil: "load" });
  const g = game(page);
  const legend = async (name, screen, want) => {
    await g.frames(3);
    const seen = (await page.evaluate(shownParts))
      .filter((p) => !["fullscreen", "language", "keys", "recording", "records"].includes(p));
    if (seen.join(" | ") !== want) fail(`the legend ${screen}: ${seen.join(" | ")}`);
    await page.screenshot({ path: path.join(outDir, `legend-${name}.png`) });
    console.log(`legend ${screen}: ${seen.join(" | ")}`);
  };
  await g.waitFor("the level screen", levelScreen);
  await legend("level", "on the level screen", "0-9: choose a level | Escape: quit | Level 0 at 100 %: no win yet");
  await page.keyboard.press("Digit9");
  await g.waitFor("the round", (t) => t.gs === "2");
  await legend("round", "in a round",
               "Space, Down or a click on the picture: drop the bomb | P: pause | Escape: leave the round");
  await page.keyboard.press("KeyP");
  const paused = await g.waitFor("the pause", (t) => t.active === "0");
  await legend("paused", "in a paused round", "Paused | P or Pause: go on | Escape: leave the round");
  if ((await g.trace()).plane !== paused.plane) fail("the plane flew on in a paused round");
  await page.keyboard.press("Pause");
  await g.waitFor("the round going on", (t) => t.active === "1" && t.plane !== paused.plane);
  // Nothing dropped: the plane flies into a tower.
  await g.waitFor("the crash", (t) => t.gs === "3", 90);
  await legend("over", "after the round", "Escape: back to the level choice");
  await page.keyboard.press("Escape");
  await g.waitFor("the level screen again", (t) => t.gs === "1");
  await legend("level-again", "on the level screen again", "0-9: choose a level | Escape: quit | Level 9 at 100 %: no win yet");
  await page.close();
}

// The pictures and every word in the player's language: the first Chinese or
// English one of the browser's languages; the switch (or L) shows the other
// pictures and words at once and the browser keeps the choice for the next
// visit.
async function languages(browser, url, replayTool) {
  const reference = { en: referenceLevelScreen(replayTool, outDir, "en"),
                      zh: referenceLevelScreen(replayTool, outDir, "zh") };
  const shows = async (g, language, what) => {
    await g.waitFor(`${what}: the level screen`, levelScreen);
    for (let tries = 0; (await g.differingFrom(reference[language])) > 0; ++tries) {
      if (tries === 100) fail(`${what}: the level screen is not the one in "${language}"`);
      await g.frames(1);
    }
  };
  for (const [preferred, language] of [[["zh-CN", "en"], "zh"], [["fr-FR", "zh-TW", "en"], "zh"],
                                       [["de-DE", "fr"], "en"]]) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.evaluateOnNewDocument((preferred) => {
      Object.defineProperty(Navigator.prototype, "languages", { get: () => preferred, configurable: true });
    }, preferred);
    await page.setViewport({ width: 1280, height: 1024 });
    await page.goto(url, { waitUntil: "load" });
    const g = game(page);
    const what = `navigator.languages ${preferred.join(", ")}`;
    await shows(g, language, what);
    await page.screenshot({ path: path.join(outDir, `language-${preferred[0]}.png`) });
    console.log(`${what}: the level screen in "${language}", pixel for pixel`);
    // The legend, the buttons and a message in the pictures' language.
    const words = async (want) => {
      await g.frames(2);
      const seen = [(await page.evaluate(shownParts)).join(" | "), await page.$eval("#recording", shownText),
                    await page.$eval("#fullscreen", shownText)].join(" / ");
      if (seen !== want) fail(`${what}: the page says "${seen}"`);
    };
    if (language === "en") {
      await words("fullscreen | language | keys | recording | records | 0-9: choose a level | Escape: quit | Level 0 at 100 %: no win yet / Recording / Full screen");
      await page.click("#language");
      await shows(g, "zh", "after the switch to 中文");
      await words("fullscreen | language | keys | recording | records | 0-9：选择关卡 | Esc：退出游戏 | 第 0 关（100%）：尚未获胜 / 录像 / 全屏");
      await page.evaluate(() => { location.hash = "#watch=<b>"; });
      await page.waitForSelector("#message:not([hidden])");
      const said = await page.$eval("#message", (e) => e.innerText.replace(/\s+/g, " "));
      if (said !== "Carpex 无法观看这个录像：链接已损坏，或不是本页生成的链接。 确定") fail("the message after the switch: " + said);
      await page.click("#message button");
      await page.screenshot({ path: path.join(outDir, `language-${preferred[0]}-switched.png`) });
      await page.keyboard.press("KeyL");
      await shows(g, "en", "after L");
      await words("fullscreen | language | keys | recording | records | 0-9: choose a level | Escape: quit | Level 0 at 100 %: no win yet / Recording / Full screen");
      console.log(`${what}: the switch to 中文 put the legend, the buttons and a message in Chinese; L back in English`);
    }
    if (language === "zh" && preferred[0] === "zh-CN") {
      await words("fullscreen | language | keys | recording | records | 0-9：选择关卡 | Esc：退出游戏 | 第 0 关（100%）：尚未获胜 / 录像 / 全屏");
      const other = await page.$eval("#language", shownText);
      if (other !== "English") fail("the switch offers " + other);
      await page.click("#language");
      await shows(g, "en", "after the switch");
      await page.reload({ waitUntil: "load" });
      await shows(g, "en", "the next visit");
      if ((await page.$eval("#language", shownText)) !== "\u4e2d\u6587") fail("the switch does not offer Chinese");
      console.log(`${what}: the switch showed the English pictures, and the next visit too`);
    }
    await context.close();
  }
}

// A new player's first visit, in a fresh profile, from a server that sends
// the .br copies (or only the .gz ones, like one without brotli): what the
// browser receives for the page and for its service worker's copy of it, the
// encoded bodies as Resource Timing gives them. A body that came from the
// browser's cache (a copy that the server said was still the one) came over
// no network: its transfer is the answer's headers alone, where one that came
// is its headers and its body (the page's own, the first, tells how large the
// headers are); a small file's is nearer the one than the other.
async function firstVisit(browser, dir) {
  for (const [encodings, most] of [[["br", "gzip"], 140000], [["gzip"], 160000]]) {
    const site = await serve(dir, 0, encodings);
    const context = await browser.createBrowserContext();
    try {
      const page = await context.newPage();
      await page.goto(site.url, { waitUntil: "load" });
      await game(page).waitFor("the level screen", levelScreen);
      await page.evaluate(() => navigator.serviceWorker.ready);
      const worker = await (await context.waitForTarget((t) => t.type() === "service_worker")).worker();
      const bodies = () => [...performance.getEntriesByType("navigation"),
                            ...performance.getEntriesByType("resource")]
        .map((e) => [new URL(e.name).pathname, e.transferSize, e.encodedBodySize]);
      const entries = [...(await page.evaluate(bodies)), ...(await worker.evaluate(bodies))];
      const headers = entries[0][1] - entries[0][2];
      const seen = entries.map(([name, transfer, body]) => [name, transfer > headers + body / 2 ? body : 0]);
      // The worker's own script is no resource of either: the server counts it.
      const total = seen.reduce((sum, [, size]) => sum + size, 0) +
                    site.sent.requests.filter((r) => r.startsWith("/sw.js "))
                      .reduce((sum, r) => sum + Number(r.split(" ")[1]), 0);
      console.log(`first visit (${encodings[0]}): ${total} bytes ` +
                  `(${seen.filter(([, size]) => size > 0).map(([name, size]) => `${name} ${size}`).join(", ")}; ` +
                  `the server sent ${site.sent.bytes})`);
      if (total > most) fail(`a first visit (${encodings[0]}) transfers ${total} bytes, more than ${most}`);
      if (site.sent.bytes !== total) fail(`the browser counted ${total} bytes, the server sent ${site.sent.bytes}`);
      if (site.missed.length > 0) fail("requests the page should not make: " + site.missed.join(", "));
    } finally {
      await context.close();
      await site.stop();
    }
  }
}

// Opened from a file, the page says how to serve it.
async function fromFile(browser) {
  const page = await open(browser, "file://" + path.resolve(pageDir, "index.html"));
  const text = await page.$eval("#from-file", (e) => e.checkVisibility() ? e.innerText : "");
  if (!text.includes("python3 -m http.server")) fail("opened from a file, the page says nothing");
  console.log("opened from a file: the page says to serve it over http");
  await page.close();
}

// The service worker of a page folder: the cache's name and each file's
// digest as written, and as the files in the folder give them (the cache is
// named after sha256sum's lines for the files, hashed again, so that every
// change to a file is a new version).
function worker(dir) {
  const sw = fs.readFileSync(path.join(dir, "sw.js"), "utf8");
  const entries = JSON.parse(sw.match(/const FILES = (\[.*\]);/)[1]);
  const files = entries.map(([name]) => name);
  const bytes = (f) => fs.readFileSync(path.join(dir, f));
  const sums = files.map((f) => crypto.createHash("sha256").update(bytes(f)).digest("hex") + "  " + f + "\n");
  return {
    sw, files,
    written: sw.match(/const CACHE = "(.*)";/)[1],
    expected: "carpex-" + crypto.createHash("sha256").update(sums.join("")).digest("hex").slice(0, 16),
    entries: JSON.stringify(entries),
    expectedEntries: JSON.stringify(files.map((f) =>
      [f, "sha256-" + crypto.createHash("sha256").update(bytes(f)).digest("base64")])),
  };
}

// A new version put in a page folder as the build writes one: index.html
// changed and the worker written for it.
function deployVersion(dir, tag) {
  fs.appendFileSync(path.join(dir, "index.html"), `<!-- version ${tag} -->\n`);
  const w = worker(dir);
  fs.writeFileSync(path.join(dir, "sw.js"), w.sw.replace(w.written, w.expected)
    .replace(/const FILES = .*;/, `const FILES = ${w.expectedEntries};`));
  return w.expected;
}

// Installed: Chromium's installability check; offline after the first load.
// Deployments never break it: a version whose carpex.wasm is half uploaded is
// never taken (the page runs the one it has at every open), and once the
// file is whole the new version comes.
async function installedAndOffline(browser) {
  const copy = fs.mkdtempSync(path.join(os.tmpdir(), "carpex-page-"));
  try {
    const w = worker(pageDir);
    if (w.written !== w.expected) fail(`the cache is ${w.written}, not ${w.expected}`);
    if (w.entries !== w.expectedEntries) fail("the worker's digests are not the files': " + w.entries);
    for (const f of [...w.files, "sw.js"]) fs.copyFileSync(path.join(pageDir, f), path.join(copy, f));
    let site = await serve(copy);
    const page = await open(browser, site.url);
    const g = game(page);
    await g.waitFor("the level screen", levelScreen);
    await page.evaluate(() => navigator.serviceWorker.ready);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
    const cdp = await page.createCDPSession();
    const { installabilityErrors } = await cdp.send("Page.getInstallabilityErrors");
    const manifest = await cdp.send("Page.getAppManifest");
    console.log(`installability: ${installabilityErrors.length} errors ` +
                `${JSON.stringify(installabilityErrors)}; manifest ${manifest.url.replace(site.url, "")}, ` +
                `${manifest.errors.length} manifest errors`);
    if (installabilityErrors.length > 0 || manifest.errors.length > 0) fail("the page cannot be installed");

    // No server: the page comes from the service worker's cache.
    await site.stop();
    await page.reload({ waitUntil: "load" });
    await g.waitFor("the level screen offline", levelScreen);
    console.log("offline: reloaded, the level screen shows");
    site = await serve(copy, site.port);

    // Version B with its carpex.wasm half uploaded, twice opened; then whole.
    const wasm = path.join(copy, "carpex.wasm");
    const whole = fs.readFileSync(wasm);
    const next = deployVersion(copy, "B");
    fs.writeFileSync(wasm, whole.subarray(0, whole.length >> 1));
    const openAgain = async (what) => {
      await page.reload({ waitUntil: "load" });
      await g.waitFor(`the level screen (${what})`, levelScreen);
      // The browser looks for a new worker at each open; wait for its outcome.
      await page.evaluate(() => navigator.serviceWorker.getRegistration()
        .then((r) => r.update().catch(() => {}).then(() => r.installing && new Promise((done) =>
          r.installing.addEventListener("statechange", (e) => e.target.state !== "installing" && done())))));
      const seen = await page.evaluate(() => caches.keys().then((k) => k.join()));
      const version = (await page.content()).includes("version B") ? "B" : "A";
      console.log(`deployment, ${what}: the page runs version ${version}, cache ${seen}`);
      return { seen, version };
    };
    for (const what of ["half-uploaded B, first open", "half-uploaded B, second open"]) {
      const { seen, version } = await openAgain(what);
      if (seen !== w.written || version !== "A") fail(`${what}: the half-uploaded version was taken`);
    }
    fs.writeFileSync(wasm, whole);
    await openAgain("B whole");
    await page.waitForSelector("#update:not([hidden])", { timeout: 10000 });
    await page.waitForFunction((next) => caches.keys().then((k) => k.join() === next), {}, next);
    const { version } = await openAgain("B whole, next open");
    if (version !== "B") fail("the whole new version did not come");
    console.log(`updated: the next version's cache ${next} replaced ${w.written}`);
    await page.close();
    await site.stop();
  } finally {
    fs.rmSync(copy, { recursive: true, force: true });
  }
}

// A first visit while carpex.wasm is damaged (half uploaded, an error page in
// its place): the page says so in plain words, without the browser's error,
// and plays once the file is whole again.
async function damagedFirstVisit(browser) {
  const copy = fs.mkdtempSync(path.join(os.tmpdir(), "carpex-damaged-"));
  const wasm = path.join(copy, "carpex.wasm");
  try {
    for (const f of [...worker(pageDir).files, "sw.js"]) fs.copyFileSync(path.join(pageDir, f), path.join(copy, f));
    const whole = fs.readFileSync(wasm);
    const site = await serve(copy);
    for (const [damage, bytes] of [["half uploaded", whole.subarray(0, whole.length >> 1)],
                                   ["an error page", Buffer.from("<html><body>502 Bad Gateway</body></html>")]]) {
      fs.writeFileSync(wasm, bytes);
      const context = await browser.createBrowserContext();
      const errors = [];
      const page = await openPage(context, errors, site.url);
      await page.waitForSelector("#message:not([hidden])", { timeout: 20000 });
      const said = await page.$eval("#message p", (e) => e.innerText);
      if (!said.startsWith("The game's files on this site are damaged")) fail(`${damage}: the page says "${said}"`);
      // Chromium names the file whose digest or content failed; nothing of the game's own.
      const own = errors.filter((e) => !/Failed to load resource|Failed to find a valid digest/.test(e));
      if (own.length > 0) fail(`${damage}: console errors: ${own.join(" | ")}`);
      console.log(`carpex.wasm ${damage}, first visit: "${said.slice(0, 60)}..."`);
      fs.writeFileSync(wasm, whole);
      await page.reload({ waitUntil: "load" });
      await game(page).waitFor("the level screen once the file is whole", levelScreen);
      await context.close();
    }
    await site.stop();
  } finally {
    fs.rmSync(copy, { recursive: true, force: true });
  }
}

// ---- Recording, watching, sharing ---------------------------------------------

const kLinuxRound = path.join(path.dirname(new URL(import.meta.url).pathname), "linux-round.replay");
const watchStatus = (page) => page.$eval("#watch-status", shownText);
const finalLine = (text) => text.split("\n").filter((l) => l.startsWith("# final: ")).pop();
// The last trace line the replay tool prints for a recording.
function replayedLast(file) {
  const trace = execFileSync(replayTool, [file]).toString().trimEnd().split("\n");
  return trace[trace.length - 1];
}
// Downloads of the page land in a folder of the test's; the next one's path.
async function downloadsInto(browser, folder) {
  fs.mkdirSync(folder, { recursive: true });
  const cdp = await browser.target().createCDPSession();
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: folder });
  return async (what) => {
    const before = new Set(fs.readdirSync(folder));
    await what();
    for (let tries = 0; tries < 100; ++tries) {
      const files = fs.readdirSync(folder);
      const got = files.filter((f) => !before.has(f) && !f.endsWith(".crdownload"));
      // The browser may put the file's name in place before its bytes: done
      // once nothing is still downloading.
      if (got.length > 0 && !files.some((f) => f.endsWith(".crdownload"))) {
        return path.join(folder, got[0]);
      }
      await sleep(100);
    }
    fail("nothing was downloaded");
  };
}
// A link to the page watching Bytes, as "Copy link" makes one.
const linkTo = (url, bytes) => url + "#watch=" + zlib.deflateRawSync(bytes).toString("base64url");

// Watches until the page says how it ended; the state then.
async function watchedToItsEnd(page) {
  await page.waitForFunction(() => document.documentElement.dataset.screen === "watch", { timeout: 20000 });
  for (let i = 0; i < 4; ++i) await page.keyboard.press("ArrowUp");
  await page.waitForFunction(() => /replays exactly|differs|without a final/.test(
    document.getElementById("watch-status").textContent), { timeout: 60000 });
  return watchStatus(page);
}

// A round played by keys in the page, saved with "Save recording": the file
// replays on the replay tool to its final line. The last round as a link: it
// opens a page that watches it to the end, where the page says it replays
// exactly; past the link's limit the page offers the round as a file, which
// replays to its final line too.
async function recordedSavedAndShared(browser, site) {
  const page = await open(browser, null, (p) => p.setViewport({ width: 1280, height: 1024 }));
  const context = browser.defaultBrowserContext();
  await context.overridePermissions(new URL(site.url).origin, ["clipboard-read", "clipboard-write", "clipboard-sanitized-write"]);
  const download = await downloadsInto(browser, path.join(outDir, "downloads"));
  await page.goto(site.url, { waitUntil: "load" });
  const g = game(page);
  await g.waitFor("the level screen", levelScreen);
  await playRoundWithKeys(page, g);
  await page.keyboard.press("KeyF");
  await page.keyboard.press("KeyP");
  await g.waitFor("the pause", (t) => t.active === "0");
  await page.keyboard.press("KeyP");
  await g.frames(90);
  await page.keyboard.down("ArrowDown");
  await g.waitFor("a second bomb", (t) => bombOf(t)[5] === 1);
  await page.keyboard.up("ArrowDown");
  await g.frames(60);
  await page.keyboard.press("Escape");
  await g.waitFor("the level screen after the round", (t) => t.gs === "1");
  await page.click("#recording");
  const saved = await download(() => page.click("#save-recording"));
  if (!/^carpex-\d{8}-\d{6}\.replay$/.test(path.basename(saved))) fail("saved as " + path.basename(saved));
  const recorded = fs.readFileSync(saved, "utf8");
  if (finalLine(recorded) !== "# final: " + replayedLast(saved)) {
    fail(`${path.basename(saved)} does not replay to its final line`);
  }
  if (recorded.split("\npause\n").length !== 3) fail("the recording holds no pause and going on");
  console.log(`"Save recording": ${path.basename(saved)}, ${recorded.split("\n").length - 1} lines with ` +
              `a pause, replayed by carpex-replay to its final line`);

  await page.click("#copy-link");
  await page.waitForSelector("#link-note:not([hidden])");
  const note = await page.$eval("#link-note", shownText);
  const link = await page.$eval("#link-text", (e) => e.value);
  if (!note.startsWith("The link to the last round is copied") || !link.startsWith(site.url + "#watch=")) {
    fail("Copy link: " + note);
  }
  if ((await page.evaluate(() => navigator.clipboard.readText())) !== link) fail("the link is not on the clipboard");
  console.log(`"Copy link": ${link.length} characters for a round of level 0 with two bombs`);
  const friend = await open(browser, link);
  const said = await watchedToItsEnd(friend);
  if (!said.includes("replays exactly")) fail("the link's round: " + said);
  console.log("the link watched: " + said);
  await friend.close();
  await page.close();

  // A limit below the round's link: the round is offered as a file.
  const small = await open(browser, null, (p) => p.evaluateOnNewDocument(() => { window.carpexLinkLimit = 200; }));
  await small.goto(site.url, { waitUntil: "load" });
  const h = game(small);
  await h.waitFor("the level screen", levelScreen);
  await playRoundWithKeys(small, h);
  await small.click("#recording");
  await small.click("#copy-link");
  await small.waitForSelector("#save-round:not([hidden])");
  const tooLong = await small.$eval("#link-note", shownText);
  if (!tooLong.startsWith("This round is too long for a link")) fail("past the limit: " + tooLong);
  const round = await download(() => small.click("#save-round"));
  if (finalLine(fs.readFileSync(round, "utf8")) !== "# final: " + replayedLast(round)) {
    fail("the round saved instead of a link does not replay to its final line");
  }
  console.log(`past the limit: "${tooLong}"; the round saved as a file replays to its final line`);
  await small.close();
}

// The player's own ways, in a profile of their own: the Keys box chooses the
// bomb key by pressing it (B drops the bomb, Space no more, and the legend
// says so), refuses a key in use in the game's words, keeps the choice for
// the next visit and gives the defaults back; at 50 % the game runs about 30
// frames a second, and the link of a round played so says its speed and is
// watched at that pace; one switch plays from Space alone (a press starts
// the level, another drops the bomb, a hold chooses the next level, three
// seconds end the game as Escape does).
async function playersOwnWays(browser, site) {
  const context = await browser.createBrowserContext();
  await context.overridePermissions(new URL(site.url).origin, ["clipboard-read", "clipboard-write", "clipboard-sanitized-write"]);
  const page = await open(context, site.url, (p) => p.setViewport({ width: 1280, height: 1024 }));
  const g = game(page);
  await g.waitFor("the level screen", levelScreen);
  const said = (selector) => page.$eval(selector, shownText);
  const legendSays = async (line) => {
    await g.frames(2);
    const parts = await page.evaluate(shownParts);
    if (!parts.includes(line)) fail(`the legend does not say "${line}": ${parts.join(" | ")}`);
  };

  await page.click("#keys");
  await page.click("#choose-bomb");
  await page.keyboard.press("KeyB");
  if ((await said("#bomb-key-is")) !== "Bomb key: B") fail("the bomb key chosen: " + (await said("#bomb-key-is")));
  await page.click("#choose-leave");
  await page.keyboard.press("Digit5");
  if ((await said("#keys-note")) !== "5 is in use: press another key") fail("a digit for leaving: " + (await said("#keys-note")));
  if ((await said("#leave-key-is")) !== "Leave key: Escape") fail("the refused key was taken");
  await page.screenshot({ path: path.join(outDir, "keys-box.png") });
  await page.click("#close-keys");
  await page.keyboard.press("Digit0");
  await g.waitFor("the round", (t) => t.gs === "2");
  await legendSays("B or a click on the picture: drop the bomb");
  await page.keyboard.press("Space");
  await g.frames(20);
  if (bombOf(await g.trace())[4] !== 0) fail("Space dropped a bomb though B is the bomb key");
  await page.keyboard.down("KeyB");
  await g.waitFor("the bomb by B", (t) => bombOf(t)[4] !== 0 && bombOf(t)[5] === 1);
  await page.keyboard.up("KeyB");
  console.log("Keys: B chosen and dropping the bomb, Space no more; a digit refused for leaving");

  await page.keyboard.press("Escape");
  await page.click("#keys");
  await page.select("#speed", "50");
  await page.click("#close-keys");
  await legendSays("S: speed 50 %");
  await page.reload({ waitUntil: "load" });
  await g.waitFor("the level screen again", levelScreen);
  await page.click("#keys");
  if ((await said("#bomb-key-is")) !== "Bomb key: B" || (await page.$eval("#speed", (e) => e.value)) !== "50") {
    fail("the keys and the speed are not kept for the next visit");
  }
  await page.click("#default-keys");
  if ((await said("#bomb-key-is")) !== "Bomb key: Space or Down") fail("the default keys: " + (await said("#bomb-key-is")));
  await page.click("#close-keys");
  console.log("kept for the next visit, and the default keys given back");

  // At 50 %: about 30 frames a second, named by the recording and the link.
  await playRoundWithKeys(page, g);
  const rate = await g.frameRate(4);
  console.log(`at 50 %: ${rate.perSecond.toFixed(2)} game frames a second (counted ${rate.min} to ${rate.max}) ` +
              `in ${rate.displayPerSecond.toFixed(2)} animation frames a second`);
  const wanted = Math.min(rate.displayPerSecond, 60) / 2;
  if (Math.abs(rate.perSecond - wanted) > wanted / 6) fail(`at 50 %: ${rate.perSecond.toFixed(2)} frames a second`);
  await page.keyboard.press("Escape");
  const recorded = await page.evaluate(async () => new TextDecoder().decode((await import("./game.js")).recording().bytes));
  if (!recorded.includes("\n# speed 50\n")) fail("the recording does not name its speed");
  await page.click("#recording");
  await page.click("#copy-link");
  await page.waitForSelector("#link-note:not([hidden])");
  const note = await said("#link-note");
  if (!note.endsWith("The round was played at 50 %.")) fail("the link's note: " + note);
  const link = await page.$eval("#link-text", (e) => e.value);
  await page.click("#close-recording");
  const friend = await context.newPage();
  await friend.goto(link, { waitUntil: "load" });
  await friend.waitForFunction(() => /played at 50 %/.test(document.getElementById("watch-status").textContent),
                               { timeout: 20000 });
  const frameOf = async () => Number((await watchStatus(friend)).match(/frame (\d+) of/)[1]);
  const [from, start] = [await frameOf(), Date.now()];
  await sleep(3000);
  const perSecond = ((await frameOf()) - from) / ((Date.now() - start) / 1000);
  console.log(`the link says "${note}"; watched at ${perSecond.toFixed(1)} frames a second: ${await watchStatus(friend)}`);
  if (Math.abs(perSecond - wanted) > wanted / 5) fail(`the link of a round at 50 % watched at ${perSecond} frames a second`);
  await friend.close();

  // One switch, from Space alone.
  await page.click("#keys");
  await page.select("#speed", "100");
  await page.click("#one-switch");
  await page.click("#close-keys");
  await legendSays("Press: start level 0");
  await page.keyboard.press("Space");
  await g.waitFor("the round by a press", (t) => t.gs === "2" && t.level === "0");
  await legendSays("Press: drop the bomb");
  await page.keyboard.down("Space");
  await g.waitFor("the bomb by a press", (t) => bombOf(t)[4] !== 0 && bombOf(t)[5] === 1);
  await page.keyboard.up("Space");
  await page.keyboard.press("Escape");
  await g.waitFor("the level screen", (t) => t.gs === "1");
  await page.keyboard.down("Space");
  await sleep(1400);
  await page.keyboard.up("Space");
  await legendSays("Press: start level 1");
  await page.screenshot({ path: path.join(outDir, "one-switch.png") });
  await page.keyboard.down("Space");
  await page.waitForSelector("#ended:not([hidden])", { timeout: 6000 });
  await page.keyboard.up("Space");
  console.log("one switch: a press started level 0, another dropped the bomb, a hold chose level 1, " +
              "three seconds ended the game");
  await context.close();
}

// A recording made by the Linux game, watched on the page from a file and
// from a link: the page says it replays exactly. The controls: paused by
// Space, a frame on by Right, and on a touch screen by its buttons.
async function linuxRecordingWatched(browser, site) {
  const page = await open(browser, null, (p) => p.setViewport({ width: 1280, height: 1024 }));
  await page.goto(site.url, { waitUntil: "load" });
  await game(page).waitFor("the level screen", levelScreen);
  await page.click("#recording");
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click("#watch-recording")]);
  await chooser.accept([kLinuxRound]);
  await page.waitForFunction(() => /frame [3-9]\d\d /.test(document.getElementById("watch-status").textContent),
                            { timeout: 20000 });
  await page.keyboard.press("Space");
  await page.waitForFunction(() => /paused/.test(document.getElementById("watch-status").textContent));
  const paused = await watchStatus(page);
  await page.keyboard.press("ArrowRight");
  await page.keyboard.press("Period");
  const frame = (text) => Number(/frame (\d+)/.exec(text)[1]);
  await page.waitForFunction((n) => new RegExp(`frame ${n} `).test(
    document.getElementById("watch-status").textContent), {}, frame(paused) + 2);
  await page.screenshot({ path: path.join(outDir, "watching-paused.png") });
  console.log(`paused: "${paused}", two frames on by Right and "."`);
  const legend = (await page.evaluate(shownParts)).filter((p) => p !== "fullscreen" && p !== "recording");
  if (!legend.some((p) => p.startsWith("Space pauses and plays"))) fail("the legend while watching: " + legend);
  // On a touch screen the buttons steer it.
  await page.evaluate(() => document.documentElement.classList.add("touch"));
  await page.click("::-p-aria([name='Pause'][role='button'])");
  await page.waitForFunction(() => !/paused/.test(document.getElementById("watch-status").textContent));
  await page.click("::-p-aria([name='Pause'][role='button'])");
  await page.waitForFunction(() => /paused/.test(document.getElementById("watch-status").textContent));
  await page.evaluate(() => document.documentElement.classList.remove("touch"));
  await page.keyboard.press("Space");
  const said = await watchedToItsEnd(page);
  if (!said.includes("'linux-round.replay' replays exactly") ||
      !said.includes("It proves: left in 672 frames (11.2 s at 100 %), bombs 4, level 7, speed 100 %.")) {
    fail("the Linux recording from a file: " + said);
  }
  console.log("from a file: " + said);
  await page.screenshot({ path: path.join(outDir, "watching-end.png") });
  // Escape stops, Escape then goes back to the game (whose trace stood still
  // meanwhile).
  await page.keyboard.press("Escape");
  await page.waitForFunction(() => document.documentElement.dataset.screen !== "watch", { timeout: 20000 });
  await game(page).waitFor("the game again", levelScreen, 20);
  await page.goto(linkTo(site.url, fs.readFileSync(kLinuxRound)), { waitUntil: "load" });
  const byLink = await watchedToItsEnd(page);
  if (!byLink.includes("'shared round' replays exactly")) fail("the Linux recording by a link: " + byLink);
  console.log("by a link: " + byLink);
  await page.close();
}

// The records in a profile of their own: a round played by keys is in the
// Records box after a reload. "Today's city": the day's first round is its
// result and the next practice, as the legend says; the day's round's link,
// opened in another profile, watches it and says it replays exactly on the
// city of the date it names.
async function recordsAndTodaysCity(browser, site) {
  const context = await browser.createBrowserContext();
  await context.overridePermissions(new URL(site.url).origin, ["clipboard-read", "clipboard-write", "clipboard-sanitized-write"]);
  const page = await context.newPage();
  page.on("pageerror", (e) => consoleErrors.push(String(e)));
  await page.setViewport({ width: 1280, height: 800 });
  await page.goto(site.url, { waitUntil: "load" });
  const g = game(page);
  await g.waitFor("the level screen", levelScreen);
  await playRoundWithKeys(page, g);
  await page.keyboard.press("Escape");
  await g.waitFor("the level screen after the round", (t) => t.gs === "1");
  await page.reload({ waitUntil: "load" });
  await g.waitFor("the level screen after a reload", levelScreen);
  await page.click("#records");
  const kept = await page.$eval("#records-list", shownText);
  if (!kept.includes("Level 0, 100 %: won 0, lost 0, left 1")) fail("after a reload the records say: " + kept);
  console.log(`records after a reload: "${kept}"`);
  await page.keyboard.press("Escape");

  const date = new Date().toISOString().slice(0, 10);
  const legend = () => page.$eval("#legend", shownText);
  await page.click("#records");
  await page.click("#today");
  await page.click("#close-records");
  if (!(await legend()).includes(`Today's city of ${date}: the next round is the day's result`)) {
    fail("Today's city: " + (await legend()));
  }
  await playRoundWithKeys(page, g);
  await page.keyboard.press("Escape");
  await g.waitFor("the level screen after the day's round", (t) => t.gs === "1");
  const after = await legend();
  if (!after.includes("rounds now are practice")) fail("after the day's round: " + after);
  await page.click("#records");
  await page.screenshot({ path: path.join(outDir, "records.png") });
  const days = await page.$$("#records-list p");
  const day = days[days.length - 1];
  const dayLine = await day.evaluate(shownText);
  if (!dayLine.startsWith(`${date}: level 0, 100 %, left`)) fail("the day's result: " + dayLine);
  await (await day.$$("button"))[1].click();
  await page.waitForSelector("#records-link:not([hidden])");
  const link = await page.$eval("#records-link-text", (e) => e.value);
  if (!link.endsWith("&day=" + date)) fail("the day's link: " + link);
  await page.close();
  await context.close();

  const friend = await browser.createBrowserContext();
  const watching = await friend.newPage();
  await watching.goto(link, { waitUntil: "load" });
  const said = await watchedToItsEnd(watching);
  if (!said.includes(`'today's city of ${date}' replays exactly`)) fail("the day's link watched: " + said);
  console.log(`the day's result "${dayLine}"; its link watched in another profile: ${said}`);
  await friend.close();
}

// A friend's round watched in the middle of the player's own: the player's
// round stands still meanwhile, and goes on afterwards where it was, its
// recording with it (the recording saved before is the start of the one
// saved after), and the Recording box says what it holds.
async function watchingKeepsThePlayersGame(browser, site) {
  const page = await open(browser, null, (p) => p.setViewport({ width: 1280, height: 1024 }));
  const download = await downloadsInto(browser, path.join(outDir, "downloads"));
  await page.goto(site.url, { waitUntil: "load" });
  const g = game(page);
  await g.waitFor("the level screen", levelScreen);
  await playRoundWithKeys(page, g);
  await g.waitFor("no bomb in the air", (t) => bombOf(t)[4] === 0, 30);
  await page.click("#recording");
  const before = fs.readFileSync(await download(() => page.click("#save-recording")), "utf8");
  await page.click("#close-recording");
  const left = await g.trace();
  await page.evaluate((url) => { location.href = url; }, linkTo(site.url, fs.readFileSync(kLinuxRound)));
  await page.waitForFunction(() => document.documentElement.dataset.screen === "watch", { timeout: 20000 });
  const meanwhile = await g.trace();
  await sleep(300);
  const still = await g.trace();
  if (meanwhile.gs !== "2" || still.n !== meanwhile.n) {
    fail(`the player's round while a recording is watched: ${JSON.stringify(meanwhile)}, then ${still.n}`);
  }
  const said = await watchedToItsEnd(page);
  if (!said.includes("replays exactly")) fail("the friend's round: " + said);
  await page.keyboard.press("Escape");
  const back = await g.waitFor("the player's round again", (t) => Number(t.n) > Number(meanwhile.n) + 3, 20);
  if (back.gs !== "2" || back.level !== left.level || back.heights !== left.heights) {
    fail(`the player's round did not come back: ${JSON.stringify(back)}`);
  }
  await page.click("#recording");
  await page.screenshot({ path: path.join(outDir, "watched-then-back.png") });
  const state = await page.$eval("#recording-state", shownText);
  if (!state.startsWith("So far: ")) fail("the Recording box after the watching: " + state);
  const saved = await download(() => page.click("#save-recording"));
  const after = fs.readFileSync(saved, "utf8");
  // What was recorded before, but for its final line and its last run of
  // frames, which goes on.
  const kept = before.slice(0, before.indexOf("# final: ")).replace(/frames \d+\n$/, "");
  if (!after.startsWith(kept) || after.length <= before.length) {
    fail(`the player's recording was not kept through the watching (${before.length} bytes, then ${after.length})`);
  }
  if (finalLine(after) !== "# final: " + replayedLast(saved)) fail("the recording does not replay to its final line");
  console.log(`a friend's round watched in the middle of a round: the round went on from frame ${left.n}, ` +
              `its recording from ${before.length} to ${after.length} bytes ("${state}")`);

  // Watched once the game has ended: "Play again" is offered again after it.
  await page.click("#close-recording");
  await page.keyboard.press("Escape");
  await g.waitFor("the level screen", (t) => t.gs === "1");
  await page.keyboard.press("Escape");
  await page.waitForSelector("#ended:not([hidden])", { timeout: 5000 });
  await page.evaluate((url) => { location.href = url; }, linkTo(site.url, fs.readFileSync(kLinuxRound)));
  await watchedToItsEnd(page);
  await page.keyboard.press("Escape");
  await page.waitForSelector("#ended:not([hidden])", { timeout: 20000 });
  await page.click("::-p-aria([name='Play again'][role='button'])");
  await g.waitFor("a new game", levelScreen);
  console.log("watched after the game's end: \"Play again\" offered again, and a new game played");
  await page.close();
}

// Recordings and links that are malformed, cut short, too large or hostile:
// the replay tool's message, as text; the round being played goes on, and the
// page stays usable.
async function refusedRecordingsAndLinks(browser, site) {
  const page = await open(browser, null, (p) => p.setViewport({ width: 1280, height: 1024 }));
  await page.goto(site.url, { waitUntil: "load" });
  const g = game(page);
  await g.waitFor("the level screen", levelScreen);
  await playRoundWithKeys(page, g);
  const good = fs.readFileSync(kLinuxRound, "utf8");
  const bad = path.join(outDir, "bad");
  fs.mkdirSync(bad, { recursive: true });
  const files = {
    "malformed.replay": "seed 1\nframes 2\nfly 3\n",
    "<img src=x onerror=window.pwned=1>.replay": "frames 1\n<script>window.pwned=1</script>\n",
    // Checked whole, but refused by its run: its city asks for a value it lacks.
    "refused-while-running.replay": "random 1\nchar 48\nframes 1\n",
    "empty.replay": "",
  };
  for (const [name, text] of Object.entries(files)) fs.writeFileSync(path.join(bad, name), text);
  const oversized = path.join(bad, "oversized.replay");
  fs.writeFileSync(oversized, Buffer.alloc(5 << 20, 0x23));
  const refused = async (what, offer, expected) => {
    const before = await g.trace();
    await offer();
    await page.waitForSelector("#message:not([hidden])", { timeout: 10000 });
    const said = await page.$eval("#message p", (e) => e.textContent);
    if (!said.startsWith("This recording cannot be watched: ") || !said.includes(expected)) {
      fail(`${what}: "${said}"`);
    }
    await page.click("#message button");
    const after = await g.waitFor(`${what}: the round going on`, (t) => Number(t.n) > Number(before.n) + 3);
    if (after.gs !== "2" || after.level !== before.level || after.heights !== before.heights) {
      fail(`${what}: the round was lost`);
    }
    console.log(`${what}: "${said}"`);
  };
  const choose = (file) => async () => {
    if (await page.$eval("#recording-box", (e) => e.hidden)) await page.click("#recording");
    const [chooser] = await Promise.all([page.waitForFileChooser(), page.click("#watch-recording")]);
    await chooser.accept([file]);
  };
  await refused("a malformed file", choose(path.join(bad, "malformed.replay")), "'malformed.replay':3: unknown command 'fly'");
  await refused("a hostile file", choose(path.join(bad, "<img src=x onerror=window.pwned=1>.replay")),
                "'<img src=x onerror=window.pwned=1>.repla'...:2: unknown command '<script>wi'...");
  await refused("a file refused while it runs", choose(path.join(bad, "refused-while-running.replay")),
                "'refused-while-running.replay':2: Random(24) asked for a value but the queue is empty");
  await refused("an empty file", choose(path.join(bad, "empty.replay")), "'empty.replay': it has no frame to watch");
  await refused("an oversized file", choose(oversized), "the file is larger than 4 MB");
  if (await page.$eval("#recording-box", (e) => !e.hidden)) await page.click("#close-recording");
  const link = (bytes) => async () => page.evaluate((url) => { location.href = url; }, linkTo(site.url, bytes));
  await refused("a malformed link", link(Buffer.from("seed 1\nframes 2\nfly 3\n")), "'shared round':3: unknown command 'fly'");
  const whole = linkTo(site.url, Buffer.from(good));
  await refused("a truncated link", async () => page.evaluate((url) => { location.href = url; }, whole.slice(0, -40)),
                "the link is damaged");
  await refused("an empty link", link(Buffer.alloc(0)), "'shared round': it has no frame to watch");
  await refused("an oversized link", link(Buffer.alloc(5 << 20, 0x23)), "the link is damaged");
  await refused("a link of no base64", async () => page.evaluate((url) => { location.href = url; }, site.url + "#watch=<b>x</b>"),
                "the link is damaged");
  if (await page.evaluate(() => window.pwned === 1 || document.querySelector("#message img") !== null)) {
    fail("a hostile name or text was taken for markup");
  }
  // The keys still reach the game: the round is left, and a new one played.
  await page.keyboard.press("Escape");
  await g.waitFor("the level screen after the refusals", (t) => t.gs === "1");
  await playRoundWithKeys(page, g);
  await page.close();
}

const launch = {
  executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
  args: [
    "--no-sandbox",
    "--disable-gpu",
    "--no-first-run",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--window-size=1280,1024",
  ],
};

runBrowserTest("web page test", pageDir, launch, async (browser, site, errors) => {
  consoleErrors = errors;
  // The browser's language is English.
  const reference = referenceLevelScreen(replayTool, outDir, "en");
  await firstVisit(browser, pageDir);
  await recordedSavedAndShared(browser, site);
  await linuxRecordingWatched(browser, site);
  await refusedRecordingsAndLinks(browser, site);
  await watchingKeepsThePlayersGame(browser, site);
  await playersOwnWays(browser, site);
  await recordsAndTodaysCity(browser, site);
  await desktop(browser, site, reference);
  await languages(browser, site.url, replayTool);
  await legendFollowsTheGame(browser, site.url);
  await simulatedDisplay(browser, site.url, "60 Hz with jitter", [15.86, 17.48, 16.4, 16.93]);
  await simulatedDisplay(browser, site.url, "120 Hz", [1000 / 120]);
  await simulatedDisplay(browser, site.url, "144 Hz", [1000 / 144]);
  await gamepad(browser, site.url);
  await phone(browser, site.url);
  await upright(browser, site.url, linkTo(site.url, fs.readFileSync(kLinuxRound)));
  await zoomedDesktop(browser, site.url);
  await legendAtSizes(browser, site.url);
  await fromFile(browser);
  await installedAndOffline(browser);
  await damagedFirstVisit(browser);
});
