// The player's records: the game keeps them in the browser's storage (the
// records' text, platform/common/records.h, and the rounds kept with them),
// the Records box shows them, and the legend says the level's record and a
// round's news. "Today's city" plays every round from then on on the UTC
// date's city, the first of the day being its result.
import {control} from './controls.js';
import {answer, clearRecords, fact, setDay, whenGameRuns} from './game.js';
import {showRecords} from './layout.js';
import {roundLink} from './links.js';
import {stored as storedItem} from './storage.js';
import {dayText, linkLimit, offer, outcomeWord, whenTaken} from './watching.js';
import {onWords, say} from './words.js';

const kPrefix = 'carpex-';
// The days the box lists, the latest first.
const kDaysShown = 14;
const box = document.getElementById('records-box');
const list = document.getElementById('records-list');
const note = document.getElementById('records-note');
const linkRow = document.getElementById('records-link');
const linkText = document.getElementById('records-link-text');
const clearAsk = document.getElementById('clear-ask');
const todayButton = document.getElementById('today');
let day = 0;
let news = '';

const stored = (name) => storedItem(kPrefix + name);

// Storage that is full makes room by letting the oldest days' rounds go.
function store(name, text) {
  try {
    if (text === null) {
      localStorage.removeItem(kPrefix + name);
      return true;
    }
    for (;;) {
      try {
        localStorage.setItem(kPrefix + name, text);
        return true;
      } catch (e) {
        const old = Object.keys(localStorage)
                        .filter((k) => k.startsWith(kPrefix + 'today-') && k !== kPrefix + name)
                        .sort()[0];
        if (!old) throw e;
        localStorage.removeItem(old);
      }
    }
  } catch {
    return false;
  }
}

// The records' text as the game writes it; a line it cannot be is passed
// over, as the game passes it over.
function parse(text) {
  const levels = {};
  const days = [];
  for (const line of (text || '').split('\n')) {
    let m = /^level (\d) speed (\d+) won (\d+) lost (\d+) left (\d+) fastest (\d+) fewest (\d+)$/.exec(line);
    if (m) {
      const [level, speed, won, lost, left, fastest, fewest] = m.slice(1).map(Number);
      levels[`${level} ${speed}`] = {level, speed, won, lost, left, fastest, fewest};
    } else if ((m = /^day (\d{8}) level (\d) speed (\d+) (won|lost|left) (\d+) (\d+)$/.exec(line))) {
      days.push({day: m[1], level: m[2], speed: m[3], outcome: m[4], frames: m[5], bombs: m[6]});
    }
  }
  return {levels, days};
}
let records = parse(stored('records'));

const seconds = (frames) => (frames / 60).toFixed(1);
const today = () => Number(new Date().toISOString().slice(0, 10).replace(/-/g, ''));
const dayDone = () => records.days.some((d) => Number(d.day) === day);

// The legend's lines: the record of the level a press starts ("record"),
// today's city ("today"), and what the round that ended changed ("news").
function line(name, level, speed) {
  if (name === 'record') {
    const r = records.levels[`${level} ${speed}`];
    return r && r.won ? say('PageLegendRecord', level, speed, seconds(r.fastest), r.fewest) :
                        say('PageLegendNoWin', level, speed);
  }
  if (name === 'today') {
    return day ? say(dayDone() ? 'PageTodayPractice' : 'PageTodayNext', dayText(day)) : '';
  }
  return news;
}

// The game saved the records after a round: what it changed is news.
function saved(text) {
  const before = records;
  records = parse(text);
  const said = [];
  for (const [key, r] of Object.entries(records.levels)) {
    const was = before.levels[key] || {won: 0};
    if (r.won === was.won) continue;
    if (r.fastest !== was.fastest) said.push(say('PageNewFastest', seconds(r.fastest)));
    if (was.won === 0 || r.fewest < was.fewest) said.push(say('PageNewFewest', r.fewest));
  }
  if (records.days.length > before.days.length) {
    said.push(say('PageDayResultWas'));
  } else if (day && dayDone() && text) {
    said.push(say('PagePracticeWas'));
  }
  news = said.join(' ');
  if (day && day !== today()) playToday();
  showRecords(line);
}

answer('stored', stored);
// Refused storage keeps nothing, but the game still shows what it holds.
answer('store', (name, text) => {
  const done = store(name, text);
  if (name === 'records') saved(text);
  return done;
});
answer('chosenDay', () => day);

function tell(text) {
  note.textContent = text;
  note.hidden = !text;
}

async function share(bytes) {
  linkRow.hidden = true;
  if (typeof CompressionStream === 'undefined') return tell(say('PageNoLinks'));
  const link = await roundLink(bytes);
  if (link.length > linkLimit()) return tell(say('PageLinkTooLong', link.length, linkLimit()));
  linkText.value = link;
  linkRow.hidden = false;
  try {
    await navigator.clipboard.writeText(link);
    tell(say('PageLinkCopied', link.length));
  } catch {
    tell(say('PageCopyThisLink'));
    linkText.select();
  }
}

// A line of the box, and the kept round's Watch and Link buttons.
function entry(text, round, name, namedDay) {
  const p = Object.assign(document.createElement('p'), {textContent: text});
  const script = round && stored(round);
  if (script) {
    const bytes = new TextEncoder().encode(script);
    for (const [word, action] of [['PageWatch', () => offer(bytes, name, namedDay)],
                                  ['PageLink', () => share(bytes)]]) {
      const button = Object.assign(document.createElement('button'), {type: 'button', textContent: say(word)});
      button.addEventListener('click', action);
      p.append(' ', button);
    }
  }
  return p;
}

function fill() {
  document.getElementById('today-state').textContent = line('today');
  todayButton.hidden = day === today();
  const lines = [];
  for (let level = 0; level < 10; ++level) {
    for (const speed of fact('speeds')) {
      const r = records.levels[`${level} ${speed}`];
      if (!r) continue;
      let text = say('PageRecordLine', level, speed, r.won, r.lost, r.left);
      if (r.won) text += say('PageRecordBest', seconds(r.fastest), r.fewest);
      lines.push(entry(text, r.won && `best-${level}-${speed}.replay`, say('PageBestName', level, speed)));
    }
  }
  if (lines.length === 0) lines.push(entry(say('PageNoRecords')));
  if (records.days.length) lines.push(entry(say('PageDays')));
  for (const d of records.days.slice(-kDaysShown).reverse()) {
    const date = dayText(d.day);
    lines.push(entry(say('PageDayLine', date, d.level, d.speed, outcomeWord(d.outcome), seconds(d.frames), d.bombs),
                     `today-${d.day}.replay`, say('PageDayName', date), date));
  }
  list.replaceChildren(...lines);
}

function closeBox() {
  box.hidden = true;
  if (box.contains(document.activeElement)) document.activeElement.blur();
}
whenTaken(closeBox);

function openBox() {
  document.getElementById('recording-box').hidden = true;
  tell('');
  linkRow.hidden = true;
  clearAsk.hidden = true;
  fill();
  box.hidden = false;
  document.getElementById('close-records').focus();
}
control(document.getElementById('records'), openBox);
document.getElementById('open-records').addEventListener('click', openBox);
document.getElementById('close-records').addEventListener('click', closeBox);
document.getElementById('clear-records').addEventListener('click', () => {
  tell(say('PageClearAsk'));
  clearAsk.hidden = false;
});
document.getElementById('clear-no').addEventListener('click', () => {
  tell('');
  clearAsk.hidden = true;
});
document.getElementById('clear-yes').addEventListener('click', () => {
  clearRecords();
  // With no game running, and whatever the game did not know of.
  try {
    for (const key of Object.keys(localStorage)) {
      if (/^carpex-(records|best-|today-)/.test(key)) localStorage.removeItem(key);
    }
  } catch {
    // Storage refused: nothing was kept.
  }
  records = parse('');
  news = '';
  tell('');
  clearAsk.hidden = true;
  fill();
  showRecords(line);
});
// The box keeps the keys while it is open; Escape closes it.
box.addEventListener('keydown', (e) => {
  e.stopPropagation();
  if (e.key === 'Escape') closeBox();
});
box.addEventListener('keyup', (e) => e.stopPropagation());

// Today's city is the UTC date's, taken anew after a round once the date has
// changed.
function playToday() {
  day = today();
  setDay(day);
  showRecords(line);
  fill();
  if (!box.hidden) document.getElementById('close-records').focus();
}
todayButton.addEventListener('click', playToday);

whenGameRuns(() => showRecords(line));
onWords(() => showRecords(line));
