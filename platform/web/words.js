// Every word the page shows, in the language of the game's pictures: the
// game's own table of texts in Chinese and English (assets/texts.h), which the
// page asks the game for and never writes itself. The markup names its texts:
// data-text an element's words, data-label its name for assistive technology,
// data-title its tooltip; the legend's lines (data-line) are the legend's.
import { gameRuns, textsIn } from "./game.js";

const root = document.documentElement;
const tables = {};
const changes = [];
let current = "en";

const table = (code) => tables[code] || (tables[code] = textsIn(code));

// A text of the other language (or of this one): its places unfilled.
export const sayIn = (code, name) => (gameRuns() ? table(code)[name] : "");

// A text in the page's language, its places {0}, {1}, ... filled by Values.
export function say(name, ...values) {
  return sayIn(current, name).replace(/\{(\d)\}/g, (place, i) => (i < values.length ? String(values[i]) : place));
}

export const language = () => current;

// Called, after the words have changed, whenever the language does.
export function onWords(f) {
  changes.push(f);
}

// An element's words, now and in each language to come.
export function setText(element, name) {
  element.dataset.text = name;
  element.textContent = say(name);
}

// Every word in the language Code ("zh" or "en") at once.
export function setLanguage(code) {
  current = code;
  root.lang = code === "zh" ? "zh-CN" : "en";
  for (const e of document.querySelectorAll("[data-text]")) e.textContent = say(e.dataset.text);
  for (const e of document.querySelectorAll("[data-label]")) e.setAttribute("aria-label", say(e.dataset.label));
  for (const e of document.querySelectorAll("[data-title]")) e.title = say(e.dataset.title);
  for (const f of changes) f();
}
