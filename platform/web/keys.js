// The player's own controls on the page: the Keys box (the bomb key and the
// leave key, each chosen by pressing it, a gamepad's bomb button, the speed
// and one switch), kept by the browser. The game says which key it refuses
// and why, and tells the page its speed when S changes it.
import {control} from './controls.js';
import {answer, chooseKey, choosePad, fact, playerKeys, setPlayer, setSpeed, whenGameRuns} from './game.js';
import {showPlayer} from './layout.js';
import {keep, stored} from './storage.js';
import {language, onWords, say} from './words.js';

const kKeysKey = 'carpex-keys';
const kSpeedKey = 'carpex-speed';
const box = document.getElementById('keys-box');
const note = document.getElementById('keys-note');
const padSelect = document.getElementById('pad-bomb');
const speedSelect = document.getElementById('speed');
const oneSwitch = document.getElementById('one-switch');
let player = null;
let speed = 100;
// The key asked for: "bomb", "leave" or null.
let asking = null;

// What the box, the legend and the storage say, from the game's own account.
function refresh() {
  player = playerKeys(language());
  keep(
      kKeysKey,
      JSON.stringify(
          {bomb: player.bomb, leave: player.leave, pad: player.pad, oneSwitch: player.oneSwitch}));
  document.getElementById('bomb-key-is').textContent = say('PageBombKeyIs', player.bombName);
  document.getElementById('leave-key-is').textContent = say('PageLeaveKeyIs', player.leaveName);
  padSelect.replaceChildren(...player.pads.map(
      ([button, name]) =>
          Object.assign(document.createElement('option'), {value: button, textContent: name})));
  padSelect.value = player.pad;
  oneSwitch.checked = player.oneSwitch;
  speedSelect.value = speed;
  showPlayer({...player, speed});
}

whenGameRuns(() => {
  const chosen = Number(stored(kSpeedKey));
  if (fact('speeds').includes(chosen)) speed = chosen;
  speedSelect.replaceChildren(...fact('speeds').map(
      (percent) => Object.assign(
          document.createElement('option'), {value: percent, textContent: `${percent} %`})));
  // What cannot be (a damaged entry) is the default; a click always plays.
  let kept = null;
  try {
    kept = JSON.parse(stored(kKeysKey));
  } catch {
    kept = null;
  }
  setPlayer(
      kept && typeof kept === 'object' ? kept : {bomb: 0, leave: 0, pad: 0, oneSwitch: false});
  refresh();
});
onWords(() => player && refresh());

answer('chosenSpeed', () => speed);
answer('showSpeed', (percent) => {
  speed = percent;
  keep(kSpeedKey, String(percent));
  refresh();
});

function tell(text) {
  note.textContent = text;
  note.hidden = !text;
}

function ask(which) {
  asking = which;
  tell(say('PagePressKey'));
}

function closeBox() {
  asking = null;
  box.hidden = true;
  if (box.contains(document.activeElement)) document.activeElement.blur();
}

control(document.getElementById('keys'), () => {
  tell('');
  refresh();
  box.hidden = false;
  document.getElementById('close-keys').focus();
});
document.getElementById('close-keys').addEventListener('click', closeBox);
document.getElementById('choose-bomb').addEventListener('click', () => ask('bomb'));
document.getElementById('choose-leave').addEventListener('click', () => ask('leave'));
document.getElementById('default-keys').addEventListener('click', () => {
  setPlayer({bomb: 0, leave: 0, pad: 0, oneSwitch: player.oneSwitch});
  tell('');
  refresh();
});
padSelect.addEventListener('change', () => {
  choosePad(Number(padSelect.value));
  refresh();
});
speedSelect.addEventListener('change', () => {
  speed = Number(speedSelect.value);
  keep(kSpeedKey, String(speed));
  setSpeed(speed);
  refresh();
});
oneSwitch.addEventListener('change', () => {
  setPlayer({...player, oneSwitch: oneSwitch.checked});
  refresh();
});

// The box keeps the keys while it is open: the one asked for is chosen
// (Escape keeps the one there is), and otherwise Escape closes it.
box.addEventListener('keydown', (e) => {
  e.stopPropagation();
  if (!asking) {
    if (e.key === 'Escape') closeBox();
    return;
  }
  e.preventDefault();
  const which = asking;
  asking = null;
  tell(e.key === 'Escape' ? '' : chooseKey(which, e.keyCode, language()));
  refresh();
});
box.addEventListener('keyup', (e) => e.stopPropagation());
