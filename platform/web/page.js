// The page's script, loaded only when the page is served (index.html): each
// module one concern, game.js the one that talks to the game, whose code is
// loaded last. The page is installable and plays offline: the service worker
// keeps its files, and a new version that it fetches meanwhile takes over once
// this page has all of its own.
import './recovery.js';
import './layout.js';
import './controls.js';
import './language.js';
import './watching.js';
import './recording.js';
import './keys.js';
import './records.js';

import {start, whenGameRuns} from './game.js';

document.head.append(Object.assign(document.createElement("link"),
                                   { rel: "manifest", href: "manifest.webmanifest" }));

let registration = null;
let running = false;

function takeOverWhenReady() {
  running = true;
  const waiting = registration && registration.waiting;
  if (!waiting || !navigator.serviceWorker.controller) return;
  waiting.postMessage("take over");
  const note = document.getElementById("update");
  note.hidden = false;
  setTimeout(() => { note.hidden = true; }, 10000);
}
whenGameRuns(takeOverWhenReady);

if ("serviceWorker" in navigator) {
  navigator.serviceWorker.register("sw.js").then((r) => {
    registration = r;
    r.addEventListener("updatefound", () => {
      const worker = r.installing;
      worker.addEventListener("statechange", () => {
        if (worker.state === "installed" && running) takeOverWhenReady();
      });
    });
    if (running) takeOverWhenReady();
  }).catch(() => {});
}

start();
