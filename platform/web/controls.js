// The page's own controls: a finger or the mouse on the picture, the digit
// buttons, Back and Pause of a touch screen, and the full screen button. Each
// gives the game what a key would.
import {click, press} from './game.js';
import { layout } from "./layout.js";
import { setText } from "./words.js";

const root = document.documentElement;
const canvas = document.getElementById("canvas");

// A control's press, and then the keys are the game's again: a focused
// button would take Space or Enter for itself.
export function control(button, action) {
  button.addEventListener("click", () => {
    button.blur();
    action();
  });
}

// A touch screen, or a page that has been touched: the touch controls show.
function touched() {
  if (root.classList.contains("touch")) return;
  root.classList.add("touch");
  layout();
}
if (window.matchMedia("(any-pointer: coarse)").matches) root.classList.add("touch");
window.addEventListener("pointerdown", (e) => e.pointerType === "touch" && touched(), true);

// A finger (or a button of the mouse) on the picture holds the bomb key, or
// the one switch.
const holding = new Set();
canvas.addEventListener("pointerdown", (e) => {
  if (e.button !== 0) return;
  e.preventDefault();
  if (holding.size === 0) click(true);
  holding.add(e.pointerId);
  try {
    canvas.setPointerCapture(e.pointerId);
  } catch {
    // A pointer that has gone already: its pointerup has come, or comes.
  }
});
const letGo = (e) => {
  if (holding.delete(e.pointerId) && holding.size === 0) click(false);
};
for (const type of ["pointerup", "pointercancel", "lostpointercapture"]) {
  canvas.addEventListener(type, letGo);
}
canvas.addEventListener("touchstart", (e) => e.preventDefault(), { passive: false });
document.addEventListener("contextmenu", (e) => e.preventDefault());

// The digits type a level's character, Back types Escape's.
const digits = document.getElementById("digits");
for (let digit = 0; digit <= 9; ++digit) {
  const button = document.createElement("button");
  button.type = "button";
  button.className = "control";
  button.textContent = String(digit);
  control(button, () => press("char", button.textContent.charCodeAt(0)));
  digits.append(button);
}
control(document.getElementById("back"), () => press("char", "\x1b".charCodeAt(0)));
control(document.getElementById("pause"), () => press("pause", 0));

const fullscreen = document.getElementById("fullscreen");
fullscreen.hidden = !document.fullscreenEnabled;
control(fullscreen, () => {
  if (document.fullscreenElement) {
    document.exitFullscreen();
    return;
  }
  document.documentElement.requestFullscreen({ navigationUI: "hide" })
    .then(() => screen.orientation && screen.orientation.lock("landscape"))
    .catch(() => {});
});
document.addEventListener("fullscreenchange", () => {
  setText(fullscreen, document.fullscreenElement ? "PageLeaveFullScreen" : "PageFullScreen");
  layout();
});
