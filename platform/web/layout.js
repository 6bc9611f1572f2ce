// The picture and the legend: the canvas fills the room that the legend (and
// on a touch screen the controls) leave beside or under it, the legend says
// what applies on the game's screen now, and after the game's end the page
// offers to play again.
import { answer, fact, gameRuns, place } from "./game.js";
import { onWords, say, setText } from "./words.js";

// Room kept beside the picture for the touch controls, in CSS pixels (on both
// sides, so that the picture stays in the middle), or under it on a screen
// held upright, and the width of the legend's column beside the picture.
const kTouchBeside = 120;
const kTouchUnder = 300;
const kLegendColumn = 150;

const root = document.documentElement;
const canvas = document.getElementById("canvas");
const context = canvas.getContext("2d", { alpha: false });
const bands = document.getElementById("bands");
const legendBand = document.getElementById("legend-band");
const watchStatus = document.getElementById("watch-status");
const pauseButton = document.getElementById("pause");
// The picture at its own size, when the canvas is larger.
const picture = document.createElement("canvas");
const pictureContext = picture.getContext("2d", { alpha: false });
let lastImage = null;
let enlarge = 1;
// The screen the game last said it is on, and whether a watching shows instead.
let gameScreen = "level";
let watching = false;
// The level a gamepad's A (or the one switch) starts.
let padChoice = 0;
// The player's controls and the speed, which some lines name.
let player = {bomb: 0, leave: 0, pad: 0, padName: 'A', speed: 100};

// The lines a chosen key or button changes: which one, and the line then.
const kChosen = {
  LegendQuit: ['leave', 'LegendQuitKey'],
  LegendLeave: ['leave', 'LegendLeaveKey'],
  LegendBack: ['leave', 'LegendBackKey'],
  PageBomb: ['bomb', 'PageBombKey'],
  PagePadLevel: ['pad', 'PagePadLevelButton'],
  PagePadRound: ['pad', 'PagePadRoundButton'],
};

// The lines of the player's records (records.js), named in lower case.
let recordLine = () => '';

// A line with its places filled: the key or button it names, the speed, or
// the level a press starts and the gamepad's bomb button.
function lineText(name) {
  if (/^[a-z]/.test(name)) return recordLine(name, padChoice, player.speed);
  const [which, chosen] = kChosen[name] || [];
  if (which && player[which]) {
    return which === 'pad' ? say(chosen, padChoice, player.padName) :
                             say(chosen, player[which + 'Name']);
  }
  if (name === 'LegendSpeed') return say(name, player.speed);
  if (name === 'LegendSwitchWhat') return say(name, player.bombName, player.padName);
  return say(name, padChoice, player.padName);
}

// The legend's lines, what the keys are (up to the line's colon) brighter
// than what they do.
function writeLegend() {
  for (const line of document.querySelectorAll("#legend > [data-line]")) {
    const text = lineText(line.dataset.line);
    line.hidden = !text;
    const colon = text.search(/:\s|\uff1a/) + 1;
    const keys = Object.assign(document.createElement("b"), { textContent: text.slice(0, colon) });
    line.replaceChildren(...(colon > 0 ? [keys] : []), text.slice(colon));
  }
}
onWords(() => {
  writeLegend();
  layout();
});

function draw() {
  if (!lastImage) return;
  if (enlarge === 1) {
    context.putImageData(lastImage, 0, 0);
    return;
  }
  if (picture.width !== lastImage.width || picture.height !== lastImage.height) {
    picture.width = lastImage.width;
    picture.height = lastImage.height;
  }
  pictureContext.putImageData(lastImage, 0, 0);
  context.imageSmoothingEnabled = false;
  context.drawImage(picture, 0, 0, canvas.width, canvas.height);
}

// Whole factors of device pixels keep every picture pixel a sharp square of
// the same size; where the game's rule takes none, the picture fills the room:
// enlarged by the next whole factor, then reduced smoothly by the browser, so
// its pixels stay even.
function scaleIn(roomWidth, roomHeight) {
  const ratio = window.devicePixelRatio || 1;
  const p = place(Math.floor(roomWidth * ratio), Math.floor(roomHeight * ratio));
  return { scale: p.width / fact("width"), sharp: !p.smooth, wanted: p.smooth ? p.scale : 1,
           width: p.width, height: p.height };
}

// The room the legend needs in a band under the picture as wide as the page,
// or in a column beside it, as much as it needs on any screen: the picture
// keeps its size whatever the game is doing.
function legendRoom(width, height) {
  const screen = root.dataset.screen;
  const room = { under: 0, beside: 0 };
  const status = watchStatus.textContent;
  // As long a state as a watching shows, but for a long file name: paused,
  // or ended with what it proves.
  watchStatus.textContent = say("WatchPaused", "carpex-20250101-120000.replay", 216000, 216000, "1/4x") +
                            say("WatchOtherVersion", "1.10.10") +
                            say("PageProves", say("PageLost"), 216000, "3600.0", 99, 9, 100) +
                            say("PageProvesDay", "2026-12-10");
  for (const [way, size] of [["under", { width: width + "px", height: "auto" }],
                             ["beside", { width: kLegendColumn + "px", height: height + "px" }]]) {
    bands.className = way;
    Object.assign(bands.style, { left: "0px", top: "0px", ...size });
    legendBand.style.flex = "none";
    legendBand.style.width = way === "beside" ? kLegendColumn + "px" : "";
    for (const shown of ["level", "round", "paused", "over", "watch"]) {
      root.dataset.screen = shown;
      const r = legendBand.getBoundingClientRect();
      room[way] = Math.max(room[way], Math.ceil(way === "under" ? r.height : legendBand.scrollHeight));
    }
  }
  legendBand.style.flex = "";
  root.dataset.screen = screen;
  watchStatus.textContent = status;
  return room;
}

// The room is shared out before the picture is scaled: the legend (and on a
// touch screen the controls) take their band beside or under the picture,
// whichever leaves the larger picture, and the picture takes the rest. The
// legend gives way only where its room would make the picture smaller than
// its own size that it could have without it.
export function layout() {
  if (!gameRuns()) return;
  const ratio = window.devicePixelRatio || 1;
  const width = window.innerWidth;
  const height = window.innerHeight;
  const touch = root.classList.contains("touch");
  const wide = width * fact("height") >= height * fact("width");
  // Each way of placing it: beside or under, and the room it leaves the picture.
  let plan;
  if (touch) {
    // Held upright, the picture is as wide as the screen at its top, the
    // controls and the legend's whole lines under it.
    plan = wide ? { beside: true, ...scaleIn(Math.max(width - 2 * kTouchBeside, 1), height) }
                : { beside: false, upright: true, ...scaleIn(width, Math.max(height - kTouchUnder, 1)) };
    plan.legend = true;
    plan.reserve = 0;
  } else {
    const room = legendRoom(width, height);
    const plans = [{ beside: true, reserve: kLegendColumn, ...scaleIn(Math.max(width - kLegendColumn, 1), height) },
                   { beside: false, reserve: room.under, ...scaleIn(width, Math.max(height - room.under, 1)) }];
    if (!wide) plans.reverse();
    plan = plans[1].scale > plans[0].scale ? plans[1] : plans[0];
    plan.legend = plan.scale >= Math.min(1, scaleIn(width, height).scale) &&
                  (!plan.beside || room.beside <= height);
    if (!plan.legend) plan = { beside: wide, reserve: 0, legend: false, ...scaleIn(width, height) };
  }
  // Placed on whole device pixels, in the middle of the page if the legend
  // has its room there, else moved away from it.
  const w = plan.width;
  const h = plan.height;
  let left = Math.round((width * ratio - w) / 2) / ratio;
  let top = Math.round((height * ratio - h) / 2) / ratio;
  if (plan.beside && left < plan.reserve) left = Math.min(plan.reserve, Math.floor(width * ratio - w) / ratio);
  if (!plan.beside && top + h / ratio > height - plan.reserve) top = Math.max(Math.floor(height * ratio - plan.reserve * ratio - h) / ratio, 0);
  if (plan.upright) top = 0;
  Object.assign(canvas.style, { left: left + "px", top: top + "px",
                                width: w / ratio + "px", height: h / ratio + "px" });
  canvas.classList.toggle("sharp", plan.sharp);
  if (plan.wanted !== enlarge) {
    enlarge = plan.wanted;
    canvas.width = fact("width") * enlarge;
    canvas.height = fact("height") * enlarge;
    draw();
  }
  // The bands take the black beside the picture, or under it.
  bands.className = plan.beside ? "beside" : plan.upright ? "under upright" : "under";
  const below = Math.max(height - top - h / ratio, 0);
  Object.assign(bands.style, plan.beside
    ? { left: "0px", top: "0px", width: width + "px", height: height + "px" }
    : { left: "0px", top: height - below + "px", width: width + "px", height: below + "px" });
  legendBand.style.width = plan.beside ? left + "px" : "";
  document.getElementById("picture-room").style.width = w / ratio + "px";
  root.classList.toggle("cramped", !plan.legend ||
                                   legendBand.scrollWidth > legendBand.clientWidth + 1 ||
                                   legendBand.scrollHeight > legendBand.clientHeight + 1);
  root.dataset.legend = root.classList.contains("cramped") ? "hidden" : plan.beside ? "beside" : "under";
}
window.addEventListener("resize", layout);

// The player's controls and the speed (keys.js): one switch shows its own
// lines, and a slower game says so.
export function showPlayer(state) {
  player = state;
  root.classList.toggle('one-switch', state.oneSwitch);
  root.classList.toggle('slower', state.speed !== 100);
  writeLegend();
  layout();
}

// The records' lines, Line(name, level a press starts, speed), are said anew.
export function showRecords(line) {
  recordLine = line;
  writeLegend();
  layout();
}

// A watching shows its own legend, and its state in words; when it has gone,
// the game's screen is back.
export function showWatching(on, text) {
  watching = on;
  watchStatus.textContent = text;
  root.dataset.screen = watching ? "watch" : gameScreen;
}

answer("putPicture", (image) => {
  lastImage = image;
  draw();
});
answer("showGame", (shown) => {
  canvas.hidden = !shown;
  bands.hidden = !shown;
  if (shown) layout();
});
answer("showControls", (screen, gamepads, choice) => {
  const padsChanged = root.classList.contains("pads") !== gamepads > 0;
  gameScreen = screen;
  if (!watching) root.dataset.screen = screen;
  root.classList.toggle("pads", gamepads > 0);
  setText(pauseButton, screen === "paused" ? "PageGoOn" : "PagePause");
  if (choice !== padChoice) {
    padChoice = choice;
    writeLegend();
  }
  // The legend's room is that of every screen: only gamepads change it.
  if (padsChanged) layout();
});

// After the game's end: "Play again" starts a new one.
let playAgain = null;
answer("gameEnded", () => {
  canvas.hidden = true;
  bands.hidden = true;
  const ended = document.getElementById("ended");
  ended.hidden = false;
  // Enter or Space plays again, as well as a click or a touch.
  ended.querySelector("button").focus();
  return new Promise((resolve) => {
    playAgain = () => {
      playAgain = null;
      ended.hidden = true;
      resolve();
    };
    ended.querySelector("button").onclick = playAgain;
  });
});

// A recording is to be watched instead of a new game.
export function leaveTheEnd() {
  if (playAgain) playAgain();
}
