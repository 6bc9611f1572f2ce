// The language of the pictures and of every word: the player's own choice
// (the switch, or L), kept by the browser, or else the one the browser's
// languages ask for (the game's rule: the first Chinese or English one,
// English when there is neither). The switch offers the other one.
import { control } from "./controls.js";
import { answer, browserLanguage, fact, switchLanguage, whenGameRuns } from "./game.js";
import { language, onWords, sayIn, setLanguage } from "./words.js";

const kLanguageKey = "carpex-language";
const languageButton = document.getElementById("language");
let told = false;

function storedLanguage() {
  try {
    return localStorage.getItem(kLanguageKey);
  } catch {
    return null;  // storage refused: the choice lasts as long as the page
  }
}

const other = () => Object.keys(fact("languages")).find((code) => code !== language());

// The page's words before the game's first frame, in the language it starts in.
whenGameRuns(() => {
  const stored = storedLanguage();
  setLanguage(stored in fact("languages") ? stored : browserLanguage());
});
answer("pictureLanguage", language);

// The game's pictures change language between two frames, and every word
// with them. After the first, a change is the player's choice.
answer("showLanguage", (code) => {
  if (told && code !== language()) {
    try {
      localStorage.setItem(kLanguageKey, code);
    } catch {
      // Not kept: the next visit follows the browser's languages again.
    }
  }
  told = true;
  if (code !== language()) setLanguage(code);
});

// The other language's name in its own words.
onWords(() => {
  languageButton.textContent = sayIn(other(), "LanguageName");
  languageButton.lang = other() === "zh" ? "zh-CN" : "en";
});
control(languageButton, () => switchLanguage(other()));
