// The language of the pictures and of every word: the player's own choice
// (the switch, or L), kept by the browser, or else the one the browser's
// languages ask for (the game's rule: the first Chinese or English one,
// English when there is neither). The switch offers the other one.
import { control } from "./controls.js";
import { answer, browserLanguage, fact, switchLanguage, whenGameRuns } from "./game.js";
import { keep, stored } from "./storage.js";
import { language, onWords, sayIn, setLanguage } from "./words.js";

const kLanguageKey = "carpex-language";
const languageButton = document.getElementById("language");
let told = false;

const other = () => Object.keys(fact("languages")).find((code) => code !== language());

// The page's words before the game's first frame, in the language it starts in.
whenGameRuns(() => {
  const chosen = stored(kLanguageKey);
  setLanguage(chosen in fact("languages") ? chosen : browserLanguage());
});
answer("pictureLanguage", language);

// The game's pictures change language between two frames, and every word
// with them. After the first, a change is the player's choice.
answer("showLanguage", (code) => {
  // Not kept (storage refused), the next visit follows the browser's languages.
  if (told && code !== language()) keep(kLanguageKey, code);
  told = true;
  if (code !== language()) setLanguage(code);
});

// The other language's name in its own words.
onWords(() => {
  languageButton.textContent = sayIn(other(), "LanguageName");
  languageButton.lang = other() === "zh" ? "zh-CN" : "en";
});
control(languageButton, () => switchLanguage(other()));
