// A damaged file of the game's (a deployment half done, an error page in the
// place of the code) makes the page forget its offline copy and load
// everything from the server once more; if that is damaged too, it says so in
// plain words instead of the browser's error.
import { showMessage } from "./message.js";

const kFreshLoad = "carpex-fresh-load";
// What the page says when the game's code does not run, and so cannot give
// the page its words: both languages at once, each followed by What.
const kFailures = {
  damaged: ["The game's files on this site are damaged or incomplete, so the game cannot start. " +
            "This happens while a new version is being put on the site: reload the page in a " +
            "little while.",
            "这个网站上的游戏文件已损坏或不完整，游戏无法启动。网站正在放上新版本时会这样：请过一会儿重新加载本页。"],
  stopped: ["The game stopped: ", "游戏已停止："],
};
export const failure = (name, what = "") => kFailures[name].map((text) => text + what).join("\n\n");

// This load is that second one: the game's files are fetched past any cache.
export const freshLoad = sessionStorage.getItem(kFreshLoad) !== null;
let damaged = false;

// The game's code has loaded whole.
export function loaded() {
  sessionStorage.removeItem(kFreshLoad);
}

// Whether `what` (an error of the game's, or the name of a file that did not
// load) means damaged files; if so, they are dealt with.
export function damagedFiles(what) {
  const text = String(what);
  if (!(what instanceof WebAssembly.CompileError) && !/^failed to load wasm|^CompileError/.test(text) &&
      what !== "carpex.js") {
    return false;
  }
  if (damaged) return true;
  damaged = true;
  if (!freshLoad) {
    sessionStorage.setItem(kFreshLoad, "1");
    const forget = [caches.keys().then((names) =>
      Promise.all(names.filter((n) => n.startsWith("carpex-")).map((n) => caches.delete(n))))];
    if ("serviceWorker" in navigator) {
      forget.push(navigator.serviceWorker.getRegistrations().then((all) =>
        Promise.all(all.map((r) => r.unregister()))));
    }
    Promise.all(forget).catch(() => {}).then(() => location.reload());
    return true;
  }
  sessionStorage.removeItem(kFreshLoad);
  showMessage("Carpex", failure("damaged"));
  return true;
}

// The game's own error after a damaged file is answered above.
window.addEventListener("unhandledrejection", (e) => damaged && e.preventDefault());
window.addEventListener("error", (e) => {
  if (/carpex\.js(\?|$)/.test(e.filename || "") && damagedFiles("carpex.js")) e.preventDefault();
});
