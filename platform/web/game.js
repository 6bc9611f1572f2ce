// The one module that talks to the game (platform/web/page.h is its other
// side). It makes Module, the global that carpex.js, a classic script loaded
// last, takes the page's functions from; each of the game's calls is answered
// by the module that shows it. What the page must know of the game's numbers
// and rules it asks the game: the events' kinds, the keys, the limits, where
// the picture goes and which pictures the browser's languages ask for.
import { showMessage } from "./message.js";
import { damagedFiles, failure, freshLoad, loaded } from "./recovery.js";

const answers = {};
const whenRunning = [];
let facts = null;
// What the game asks for by name while a call of the page's is under way.
let offered = {};

const encode = (text) => new TextEncoder().encode(text);

const Module = {
  putPicture: (image) => answers.putPicture(image),
  showGame: (shown) => answers.showGame(shown),
  // What the page's controls mean now ("level", "round", "paused" or
  // "over"), and the level a gamepad's A starts.
  showControls: (screen, gamepads, choice) => answers.showControls(screen, gamepads, choice),
  // The pictures' language, "zh" or "en", from the next frame on.
  showLanguage: (code) => answers.showLanguage(code),
  // The game's speed, in per cent, whenever it changes.
  showSpeed: (percent) => answers.showSpeed(percent),
  // A watching: "playing", "paused", "ended", or "over" once it has gone;
  // once it ended replaying exactly, what that proves.
  showWatching: (phase, text, proof) => answers.showWatching(phase, text, proof),
  // The records' text or a kept round in the browser's storage (null: the
  // round gone): false when the storage refused it.
  store: (name, text) => answers.store(name, text),
  // A recording taken to watch was refused as it ran: why.
  refused: (why) => answers.refused(why),
  // The game's message box, over the game; resolves when OK closes it.
  showMessage,
  // Resolves when the player asks for a new game.
  gameEnded: () => answers.gameEnded(),
  ask(what) {
    if (what === "language") return encode(answers.pictureLanguage());
    if (what === 'speed') return encode(String(answers.chosenSpeed()));
    if (what === 'day') return encode(String(answers.chosenDay()));
    if (what === 'records') return encode(answers.stored('records') || '');
    if (what === "browser languages") {
      return encode((navigator.languages || [navigator.language || ""]).join(","));
    }
    return offered[what] || new Uint8Array(0);
  },
  onAbort(what) {
    if (damagedFiles(what)) return;
    showMessage("Carpex", failure("stopped", what));
  },
  onRuntimeInitialized() {
    facts = JSON.parse(Module.UTF8ToString(Module._carpex_facts()));
    loaded();
    for (const f of whenRunning) f();
  },
  // Past any cache once the page has found its files damaged.
  locateFile: (name) => (freshLoad ? name + '?fresh=' + Date.now() : name),
};
window.Module = Module;

// The module that answers one of the game's calls: putPicture, showGame,
// showControls, showLanguage, showSpeed, showWatching, refused, gameEnded,
// pictureLanguage, chosenSpeed, chosenDay, store, stored.
export function answer(name, f) {
  answers[name] = f;
}

// Once the game's code has loaded, before the game starts.
export function whenGameRuns(f) {
  whenRunning.push(f);
}
export const gameRuns = () => facts !== null;

// The game's numbers: "recordingLimit", "watchLimit" (a file's, or a link's
// round's once unpacked, in bytes), "linkLimit" (in characters), the
// picture's "width" and "height", and its "speeds" (per cent).
export const fact = (name) => facts[name];

// One of the page's controls gives the game (or the watching) an event: a
// "char" (a character's code), a key "down" or "up" (named as carpex_facts
// names them: "Space", "Escape", "Right", ...), or "pause" (key 0).
export function press(kind, key) {
  if (!facts) return;
  Module._carpex_press(facts.events[kind], typeof key === "string" ? facts.keys[key] : key);
}

// A click or a finger on the picture went down or up: the bomb key, or the
// one switch.
export function click(down) {
  if (facts) Module._carpex_click(down ? 1 : 0);
}

// The game's speed from now on, in per cent.
export function setSpeed(percent) {
  if (facts) Module._carpex_speed(percent);
}

// The player's controls as the page keeps them: { bomb, leave, pad, oneSwitch }.
export function setPlayer(p) {
  if (facts) Module._carpex_set_player(p.bomb, p.leave, p.pad, p.oneSwitch ? 1 : 0);
}

// The key of a key event (its keyCode) for "bomb" or "leave": "" when taken,
// else why not, in the language Code.
export const chooseKey = (which, keyCode, code) => Module.UTF8ToString(
    Module._carpex_choose_key(which === 'bomb' ? 0 : 1, keyCode, facts.languages[code]));

export const choosePad = (button) => Module._carpex_choose_pad(button);

// The player's controls now: the codes to keep ({ bomb, leave, pad,
// oneSwitch }), their names in the language Code (bombName, leaveName,
// padName), and the buttons a gamepad's bomb may be (pads: [button, name]).
export const playerKeys = (code) =>
    JSON.parse(Module.UTF8ToString(Module._carpex_keys(facts.languages[code])));

// Rounds from now on on the city of Day (YYYYMMDD).
export function setDay(day) {
  if (facts) Module._carpex_day(day);
}

// The player's records gone, and the rounds kept with them (the game's own
// account; with no game running the storage alone).
export function clearRecords() {
  if (facts) Module._carpex_clear_records();
}

// The pictures from the next frame on: "zh" or "en".
export function switchLanguage(code) {
  if (facts) Module._carpex_press(facts.events.language, facts.languages[code]);
}

export const browserLanguage = () => Module.UTF8ToString(Module._carpex_browser_language());

// Every word the page shows, in the language Code, by the texts' names.
export const textsIn = (code) =>
  JSON.parse(Module.UTF8ToString(Module._carpex_texts(facts.languages[code])));

// Where the picture goes in a room of whole device pixels: { x, y, width,
// height, scale, smooth }.
export const place = (width, height) =>
  JSON.parse(Module.UTF8ToString(Module._carpex_place(width, height)));

// The replay trace line of the game's last frame.
export const trace = () => (facts ? Module.UTF8ToString(Module._carpex_trace()) : "");

// The recording so far, as bytes, and how it stands: "going", "full" (at its
// limit) or "ended" (with its game).
export function recording() {
  if (!facts) return { bytes: null, state: "going" };
  const state = Module.UTF8ToString(Module._carpex_recording());
  return { bytes: Module.given, state };
}

// The last round played, as a script of its own (empty when none was), and
// its speed: { bytes, speed }.
export function lastRound() {
  if (!facts) return {bytes: null, speed: 100};
  const speed = Module._carpex_round();
  return {bytes: Module.given, speed};
}

// Offers the game a recording to watch, once it runs: "" when taken, else
// why it is refused.
export function watch(bytes, name) {
  offered = { offered: bytes, "offered name": encode(name) };
  try {
    return Module.UTF8ToString(Module._carpex_watch());
  } finally {
    offered = {};
  }
}

// Loads the game's code.
export function start() {
  const script = document.createElement("script");
  script.src = Module.locateFile("carpex.js");
  script.onerror = () => damagedFiles("carpex.js");
  document.body.append(script);
}

// The game's own test and bug reports read the last frame's trace line.
window.carpexTrace = trace;
