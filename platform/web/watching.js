// Watching a recording: a file chosen or dropped on the page, or a link's
// round. The game checks it and refuses it with the replay tool's message, as
// it does one that fails as it runs; while it is watched, the keys and the
// buttons steer it, and the game being played waits, as it was, for it to end.
import { control } from "./controls.js";
import { answer, fact, gameRuns, press, watch, whenGameRuns } from "./game.js";
import { leaveTheEnd, showWatching } from "./layout.js";
import { kDayTag, kLinkTag, unpacked } from "./links.js";
import { showMessage } from "./message.js";
import { say, setText } from "./words.js";

const taken = [];
let watching = false;
// The day the link being watched names, "2026-12-10"; "" for none.
let namedDay = "";

// The longest link the page makes or opens, in characters.
export const linkLimit = () => window.carpexLinkLimit || fact("linkLimit");

// Called when a recording offered is taken, to be watched.
export function whenTaken(f) {
  taken.push(f);
}

const watchButtons = document.getElementById("watch-buttons");
for (const [name, key] of [["PagePause", "Space"], ["PageNextFrame", "Right"], ["PageSlower", "Down"],
                           ["PageFaster", "Up"], ["PageAgain", "Home"]]) {
  const button = document.createElement("button");
  button.type = "button";
  button.className = "control";
  setText(button, name);
  control(button, () => {
    press("down", key);
    press("up", key);
  });
  watchButtons.append(button);
}

// Whether a recording is being watched.
export const isWatching = () => watching;

// Back stops a watching that goes on, and then goes back to the game.
const back = document.getElementById("back");
// "2026-12-10" of a day's number.
export const dayText = (day) => String(day).replace(/(\d{4})(\d\d)(\d\d)/, "$1-$2-$3");

// "won", "lost" or "left" in the page's words.
export const outcomeWord = (outcome) => say("Page" + outcome[0].toUpperCase() + outcome.slice(1));

// What a round that replayed exactly proves, in words ("won FRAMES BOMBS
// LEVEL SPEED DAY" from the game).
function proved(proof) {
  const [outcome, frames, bombs, level, speed, day] = proof.split(" ");
  let text = say("PageProves", outcomeWord(outcome), frames, (frames / 60).toFixed(1), bombs, level, speed);
  if (day !== "0") text += say("PageProvesDay", dayText(day));
  if (namedDay && namedDay !== dayText(day)) text += say("PageNotNamedDay", namedDay);
  return text;
}

answer("showWatching", (phase, text, proof) => {
  const on = phase !== "over";
  watching = on;
  showWatching(on, proof ? text + " " + proved(proof) : text);
  setText(back, phase === "playing" || phase === "paused" ? "PageStop" : "PageBack");
  if (!on && location.hash.startsWith(kLinkTag)) {
    history.replaceState(null, "", location.pathname + location.search);
  }
});

function refuse(why) {
  showMessage("Carpex", say("PageRefused", why));
}
answer("refused", refuse);

// A recording to watch, as bytes, its name, and the day its link names.
export function offer(bytes, name, day = "") {
  namedDay = day;
  const refused = watch(bytes, name);
  if (refused) {
    refuse(refused);
    return;
  }
  for (const f of taken) f();
  leaveTheEnd();
}

// A file chosen or dropped.
export async function offerFile(file) {
  if (!file || !gameRuns()) return;
  if (file.size > fact("watchLimit")) {
    refuse(say("PageFileTooLarge", fact("watchLimit") >> 20));
    return;
  }
  try {
    offer(new Uint8Array(await file.arrayBuffer()), file.name);
  } catch {
    refuse(say("PageFileUnreadable"));
  }
}
document.addEventListener("dragover", (e) => e.preventDefault());
document.addEventListener("drop", (e) => {
  e.preventDefault();
  offerFile(e.dataTransfer.files[0]);
});

// The page opened with a link's round, or given one.
async function offerLink() {
  if (!location.hash.startsWith(kLinkTag) || !gameRuns()) return;
  const [code, day] = location.hash.slice(kLinkTag.length).split(kDayTag);
  let bytes = null;
  try {
    if (code.length > linkLimit() || !/^[A-Za-z0-9_-]*$/.test(code) ||
        (day !== undefined && !/^\d{4}-\d\d-\d\d$/.test(day))) {
      throw new RangeError("not ours");
    }
    bytes = await unpacked(code, fact("watchLimit"));
  } catch {
    refuse(say("PageLinkDamaged"));
    return;
  }
  offer(bytes, day ? say("PageDayName", day) : say("PageSharedRound"), day);
}
window.addEventListener("hashchange", offerLink);
whenGameRuns(offerLink);
