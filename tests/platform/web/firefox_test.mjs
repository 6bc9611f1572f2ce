// The game's web page in Firefox (Debian's firefox-esr), driven by the same
// puppeteer-core over WebDriver BiDi: the level screen is pixel for pixel the
// software display's (as in Chromium), a round is played with keys, and the
// game runs a frame in every animation frame of the 60 Hz display.
//
//   node firefox_test.mjs PAGE_DIR CARPEX_REPLAY OUT_DIR
//
// Prints the frame rate. Exit status 0 on success, 1 on failure.
import path from "node:path";

import {
  commandLine, fail, game, openPage, playRoundWithKeys, referenceLevelScreen, runBrowserTest,
} from "./support.mjs";

const { pageDir, replayTool, outDir } = commandLine("firefox_test.mjs");
const launch = { browser: "firefox", executablePath: process.env.FIREFOX || "/usr/bin/firefox-esr" };

runBrowserTest("Firefox page test", pageDir, launch, async (browser, site, errors) => {
  // The browser's language is English.
  const reference = referenceLevelScreen(replayTool, outDir, "en");
  console.log("browser: " + (await browser.version()));
  const page = await openPage(browser, errors, site.url, (p) => p.setViewport({ width: 1280, height: 1024 }));
  const g = game(page);
  await g.waitFor("the level screen", (t) => t.gs === "1" && Number(t.n) >= 3);
  const differing = await g.differingFrom(reference);
  await page.screenshot({ path: path.join(outDir, "firefox-level.png") });
  if (differing > 0) fail(`${differing} pixels of the level screen differ from the reference`);
  console.log("level screen: pixel-equal to the software display's, as in Chromium");

  const dropped = await playRoundWithKeys(page, g);
  console.log("round at level 0, bomb released: " + dropped.bomb);
  g.checkPace("Firefox", await g.frameRate(10));
  await page.screenshot({ path: path.join(outDir, "firefox-round.png") });
  await page.keyboard.press("Escape");
  await g.waitFor("the level screen again", (t) => t.gs === "1");
});
