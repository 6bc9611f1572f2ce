// The Recording box: everything played is recorded, to save as a file, to
// share the last round as a link, or to watch a recording instead.
import { control } from "./controls.js";
import { fact, lastRound, recording } from "./game.js";
import { roundLink } from "./links.js";
import { isWatching, linkLimit, offerFile, whenTaken } from "./watching.js";
import { say } from "./words.js";

const recordingBox = document.getElementById("recording-box");
const linkNote = document.getElementById("link-note");
const linkChoices = document.getElementById("link-choices");
const linkText = document.getElementById("link-text");
const saveRound = document.getElementById("save-round");
const watchFile = document.getElementById("watch-file");
let roundBytes = null;

function stamp() {
  const d = new Date();
  const two = (n) => String(n).padStart(2, "0");
  return `${d.getFullYear()}${two(d.getMonth() + 1)}${two(d.getDate())}-` +
         `${two(d.getHours())}${two(d.getMinutes())}${two(d.getSeconds())}`;
}

function download(bytes, name) {
  const url = URL.createObjectURL(new Blob([bytes], { type: "text/plain" }));
  const a = Object.assign(document.createElement("a"), { href: url, download: name });
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

function note(text, choices) {
  linkNote.textContent = text;
  linkNote.hidden = !text;
  linkChoices.hidden = !choices;
}

// What the recording holds: the game so far, or up to where it reached its
// limit, or the game that has ended; a watching is never recorded.
function showRecordingState() {
  const { bytes, state } = recording();
  if (!bytes) return;
  const kB = Math.ceil(bytes.length / 1024);
  let text = state === "full" ? say("PageRecordingFull", fact("recordingLimit") >> 20)
    : state === "ended" ? say("PageRecordingEnded", kB) : say("PageRecordingSoFar", kB);
  if (isWatching() && state !== "ended") text += say("PageRecordingWaits");
  document.getElementById("recording-state").textContent = text;
}

function openRecordingBox() {
  note("");
  showRecordingState();
  recordingBox.hidden = false;
  document.getElementById("close-recording").focus();
}

function closeRecordingBox() {
  recordingBox.hidden = true;
  if (recordingBox.contains(document.activeElement)) document.activeElement.blur();
}
whenTaken(closeRecordingBox);

control(document.getElementById("recording"), openRecordingBox);
document.getElementById("close-recording").addEventListener("click", closeRecordingBox);
// The box keeps the keys while it is open; Escape closes it.
recordingBox.addEventListener("keydown", (e) => {
  e.stopPropagation();
  if (e.key === "Escape") closeRecordingBox();
});
recordingBox.addEventListener("keyup", (e) => e.stopPropagation());

document.getElementById("save-recording").addEventListener("click", () => {
  const { bytes } = recording();
  if (bytes) download(bytes, `carpex-${stamp()}.replay`);
});
saveRound.addEventListener("click", () => download(roundBytes, `carpex-${stamp()}-round.replay`));

document.getElementById('copy-link').addEventListener('click', async () => {
  const round = lastRound();
  roundBytes = round.bytes;
  // A slower round says so where it is offered.
  const speed = round.speed !== 100 ? say('PageLinkSpeed', round.speed) : '';
  saveRound.hidden = true;
  if (!roundBytes || roundBytes.length === 0) return note(say("PageNoRound"));
  if (typeof CompressionStream === "undefined") {
    saveRound.hidden = false;
    return note(say("PageNoLinks"), true);
  }
  const link = await roundLink(roundBytes);
  document.documentElement.dataset.link = link.length;
  if (link.length > linkLimit()) {
    saveRound.hidden = false;
    linkText.hidden = true;
    return note(say("PageLinkTooLong", link.length, linkLimit()), true);
  }
  linkText.hidden = false;
  linkText.value = link;
  try {
    await navigator.clipboard.writeText(link);
    note(say('PageLinkCopied', link.length) + speed, true);
  } catch (e) {
    console.log("clipboard: " + e);
    note(say('PageCopyThisLink') + speed, true);
    linkText.select();
  }
});

document.getElementById("watch-recording").addEventListener("click", () => watchFile.click());
watchFile.addEventListener("change", () => {
  offerFile(watchFile.files[0]);
  watchFile.value = "";
});
