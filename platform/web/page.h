// The game and its page meet here, and nowhere else: what the game asks of
// the page (its script's game.js answers on Module), and what the page asks
// of the game (the carpex_* exports, page.cpp). The page writes none of the
// game's numbers or rules itself: the events' kinds, the keys, the limits
// (carpex_facts), where the picture goes (carpex_place), which pictures the
// browser's languages ask for (carpex_browser_language) and every word it
// shows (carpex_texts) are asked here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/sprite_sheets.h"
#include "platform/common/player_keys.h"
#include "platform/common/record_keeper.h"
#include "shell/form_event.h"
#include "shell/rounds.h"

namespace carpex::web {

// An hour of play records to about 100 kB; forty times that is more than
// any session, and what a phone can hold beside the game.
inline constexpr size_t kRecordingLimit = 4 << 20;
// A recording offered to watch, a file or a link's round once unpacked, holds
// at most what a recording can: more is no recording of this page's, and
// would only cost the time to check it.
inline constexpr size_t kWatchLimit = kRecordingLimit;
// Rounds measured: a lost round of level 9 makes a link of about 900
// characters, a won round of level 0 about 3000. This leaves room for the
// longest rounds while staying within what chat programs and browsers pass
// on whole; a longer one is offered as a file.
inline constexpr size_t kLinkLimit = 8000;

// ---------------------------------------------------------------------------
// What the game asks of the page

// The picture, RGBA, on the canvas.
void PutPicture(const uint32_t* Pixels, int Width, int Height);
// The game's message box, over the game; returns when the player has closed it.
void ShowMessage(const char* Caption, const char* Text);
// The canvas and the legend shown, or hidden.
void ShowGame(bool Shown);
// What the legend and the page's controls say now, and the level a gamepad's
// A starts.
enum class Screen : uint8_t { Level, Round, Paused, Over };
void ShowControls(Screen Now, int Gamepads, int Choice);
// The language of the pictures, which every word of the page follows: told
// before the first frame and before the first frame in another one.
void ShowLanguage(Language Now);
// The game's speed, in per cent: told whenever it changes.
void ShowSpeed(uint16_t Percent);
// The speed the player chose last (100 the first time).
uint16_t ChosenSpeed();
// The day whose city the player chose to play on (YYYYMMDD, the UTC date
// when "Today's city" was pressed); 0 for none.
uint32_t ChosenDay();
// The player's records in the browser's storage: what cannot be read there is
// passed over, and the next save writes it anew.
common::RecordStore& BrowserRecords();
// The time stamp of the first animation frame at NotBefore or later (a
// hidden page: after a plain 16 ms timer).
double WaitForAnimationFrame(double NotBefore);
// The page says the game has ended and offers to play again: returns when
// the player asks for that (or for a recording to be watched).
void WaitForPlayAgain();
// The pictures the page has chosen (the player's switch, else the browser's
// languages).
Language PictureLanguage();
// A watching's state: its phase and its state in words; Over once it has
// gone, back to the game. Once it has ended replaying exactly, what that
// proves: its last round, from Start to End (Start null: nothing).
enum class WatchPhase : uint8_t { Playing, Paused, Ended, Over };
void ShowWatching(WatchPhase Now, const std::string& Text, const RoundStart* Start = nullptr,
                  const RoundEnd* End = nullptr);
// A recording taken to watch was refused as it ran, for Why (the replay
// tool's message): the page says so as it does for one refused when offered.
void ShowRefusal(const std::string& Why);

// ---------------------------------------------------------------------------
// What the page asks of the game: the program (main.cpp) answers.

enum class RecordingState : uint8_t { Going, Full, Ended };

namespace answer {

// An event of the page's own controls (a typed character, a key, the
// language switch) for the game or the watching.
void Post(const FormEvent& Event);
// The left button or a finger on the picture: the bomb key, or the one switch.
void Click(bool Down);
// The game's speed from now on (the page's control).
void SetSpeed(uint16_t Percent);
// The replay trace line of the game's last frame; empty when none runs.
std::string Trace();
// The recording so far (a whole script that replays to its final line), and
// how it stands.
std::string Recording(RecordingState* State);
// The last round played, as a script of its own, and its speed; empty when
// none was.
std::string LastRound(uint16_t* Speed);
// Rounds from now on on the city of Day (YYYYMMDD).
void UseDay(uint32_t Day);
// The player's records and kept rounds gone.
void ClearRecords();
// A recording the page offers to watch, and its name: "" when it is taken,
// else the replay tool's message why not.
std::string Watch(std::string Text, std::string Name);

}  // namespace answer

}  // namespace carpex::web
