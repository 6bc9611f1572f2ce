// Every word the player reads around the pictures, in Chinese and in English:
// one table, each text with its twin. A text may hold places for values,
// {0} to {9}, which Say fills in; both twins have the same places.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "assets/language.h"

// X(name, English, Chinese). The legend's texts are drawn by the games
// themselves (assets/gen draws their characters into the legend's font);
// the rest is shown by the system (titles, boxes, the terminal) or the page,
// which is given the whole table and writes none of its words itself.
#define CARPEX_LEGEND_TEXTS(X)                                                                     \
  X(LegendLevels, "0-9: choose a level", "0-9：选择关卡")                                          \
  X(LegendPadLevel, "Gamepad: A starts level {0}, left and right choose",                          \
    "手柄：A 开始第 {0} 关，左右键选关")                                                           \
  X(LegendQuit, "Escape: quit", "Esc：退出游戏")                                                   \
  X(LegendPadQuit, "Gamepad: Back quits", "手柄：Back 退出游戏")                                   \
  X(LegendBomb, "Space or Down: drop the bomb", "空格或下方向键：投弹")                            \
  X(LegendPadBomb, "Gamepad: A or down drops the bomb", "手柄：A 或下方向键投弹")                  \
  X(LegendPause, "P: pause", "P：暂停")                                                            \
  X(LegendPadPause, "Gamepad: Start pauses", "手柄：Start 暂停")                                   \
  X(LegendLeave, "Escape: leave the round", "Esc：离开本局")                                       \
  X(LegendPadLeave, "Gamepad: Back leaves the round", "手柄：Back 离开本局")                       \
  X(LegendBack, "Escape: back to the level choice", "Esc：返回选关")                               \
  X(LegendPadBack, "Gamepad: Back goes back", "手柄：Back 返回选关")                               \
  X(LegendPaused, "Paused", "已暂停")                                                              \
  X(LegendGoOn, "P or Pause: go on", "P 或 Pause：继续")                                           \
  X(LegendPadGoOn, "Gamepad: Start goes on", "手柄：Start 继续")                                   \
  X(LegendLanguage, "L: 中文", "L：English")                                                       \
  X(LegendScreen, "Alt+Enter: full screen or a window", "Alt+Enter：全屏或窗口")                   \
  X(LegendHide, "H: hide these lines", "H：隐藏说明")                                              \
  X(KeySpace, "Space", "空格")                                                                     \
  X(KeyEscape, "Escape", "Esc")                                                                    \
  X(KeyLeft, "Left", "左方向键")                                                                   \
  X(KeyRight, "Right", "右方向键")                                                                 \
  X(KeyUp, "Up", "上方向键")                                                                       \
  X(KeyDown, "Down", "下方向键")                                                                   \
  X(KeySpaceOrDown, "Space or Down", "空格或下方向键")                                             \
  X(LegendBombKey, "{0}: drop the bomb", "{0}：投弹")                                              \
  X(LegendBombClick, "Space, Down or a click: drop the bomb", "空格、下方向键或点击：投弹")        \
  X(LegendBombKeyClick, "{0} or a click: drop the bomb", "{0}或点击：投弹")                        \
  X(LegendPadLevelButton, "Gamepad: {1} starts level {0}, left and right choose",                  \
    "手柄：{1} 开始第 {0} 关，左右键选关")                                                         \
  X(LegendPadBombButton, "Gamepad: {1} drops the bomb", "手柄：{1} 投弹")                          \
  X(LegendQuitKey, "{0}: quit", "{0}：退出游戏")                                                   \
  X(LegendLeaveKey, "{0}: leave the round", "{0}：离开本局")                                       \
  X(LegendBackKey, "{0}: back to the level choice", "{0}：返回选关")                               \
  X(LegendSpeed, "S: speed {0} %", "S：速度 {0}%")                                                 \
  X(LegendAskBomb, "Press the new bomb key, or a gamepad's button for the bomb",                   \
    "请按新的投弹键，或按手柄上用来投弹的按钮")                                                    \
  X(LegendAskLeave, "Press the new key for leaving (Escape's part)", "请按新的离开键（代替 Esc）") \
  X(LegendAskKeep, "K: keep the key; Backspace: the default keys",                                 \
    "K：保留原来的键；Backspace：恢复默认按键")                                                    \
  X(LegendKeyInUse, "{0} is in use: press another key", "{0} 已被占用：请按另一个键")              \
  X(LegendKeyUnnamed, "That key cannot be chosen: press another", "这个键不能选用：请按另一个键")  \
  X(LegendSwitchWhat, "One switch: {0}, a click or {1}", "单键模式：{0}、点击或 {1}")              \
  X(LegendSwitchStart, "Press: start level {0}", "按一下：开始第 {0} 关")                          \
  X(LegendSwitchHold, "Hold 1 s: next level; 3 s: quit", "按住 1 秒：下一关；3 秒：退出游戏")      \
  X(LegendSwitchBomb, "Press: drop the bomb", "按下：投弹")                                        \
  X(LegendSwitchBack, "Press: back to the level choice", "按一下：返回选关")                       \
  X(LegendRecord, "Level {0}: won {1}, lost {2}, left {3}", "第 {0} 关：胜 {1}，负 {2}，离开 {3}") \
  X(LegendRecordBest, "Level {0}: won {1}, lost {2}, left {3}, best {4} s, {5} bombs",             \
    "第 {0} 关：胜 {1}，负 {2}，离开 {3}，最快 {4} 秒，最少 {5} 枚")                               \
  X(LegendRecordNone, "Level {0}: no record yet", "第 {0} 关：还没有记录")                         \
  X(LegendRecordKeys, "W: watch the best round; C: clear the records",                             \
    "W：观看最佳一局；C：清除记录")                                                                \
  X(LegendNoBest, "Level {0}: no best round kept at {1} %",                                        \
    "第 {0} 关：没有保存速度 {1}% 的最佳一局")                                                     \
  X(LegendClearAsk, "Clear all records? Y: yes, any other key: no",                                \
    "清除所有记录？Y：是，其他任意键：否")                                                         \
  X(LegendNewFastest, "New fastest win: {0} s", "新的最快获胜：{0} 秒")                            \
  X(LegendNewFewest, "Fewest bombs yet: {0}", "最少投弹：{0} 枚")                                  \
  X(LegendTodayCity, "Today's city: {0}", "今日城市：{0}")                                         \
  X(LegendTodayResult, "Today's result", "今日成绩")                                               \
  X(LegendPractice, "Practice (today's result: {0})", "练习（今日成绩：{0}）")                     \
  X(LegendDayWon, "won in {0} s with {1} bombs", "{0} 秒获胜，投弹 {1} 枚")                        \
  X(LegendDayLost, "lost", "失败")                                                                 \
  X(LegendDayLeft, "left", "离开")

#define CARPEX_OTHER_TEXTS(X)                                                                 \
  X(GameName, "Carpex", "Carpex")                                                             \
  X(TitleWith, "Carpex: {0}", "Carpex：{0}")                                                  \
  X(TitleJoin, "; ", "；")                                                                    \
  X(WatchPlaying, "'{0}', frame {1} of {2}, {3}", "“{0}”，第 {1} 帧，共 {2} 帧，{3}")         \
  X(WatchPaused, "'{0}', frame {1} of {2}, {3}, paused",                                      \
    "“{0}”，第 {1} 帧，共 {2} 帧，{3}，已暂停")                                               \
  X(WatchExact, "'{0}' replays exactly ({1} frames)", "“{0}”完全重现（{1} 帧）")              \
  X(WatchNoFinal, "'{0}' ended after {1} frames, without a final line to compare with",       \
    "“{0}”在 {1} 帧后结束，没有可供比较的最后一行")                                           \
  X(WatchNoFinalCut,                                                                          \
    "'{0}' ended after {1} frames where its last line is cut short, without a final line to " \
    "compare with",                                                                           \
    "“{0}”在 {1} 帧后结束，它的最后一行被截断了，没有可供比较的最后一行")                     \
  X(WatchDiffers, "'{0}' differs from its final line after {1} frames: {2}",                  \
    "“{0}”在 {1} 帧后与其最后一行不同：{2}")                                                  \
  X(WatchStopped, "'{0}' stopped at frame {1} of {2}", "“{0}”停在第 {1} 帧，共 {2} 帧")       \
  X(WatchOtherVersion, " (recorded by Carpex {0})", "（由 Carpex {0} 录制）")                 \
  X(WatchUnknownVersion, " (recorded by an unknown version)", "（由未知版本录制）")           \
  X(WatchKeyPause, "Space pauses", "空格暂停")                                                \
  X(WatchKeyStep, "Right: next frame", "右方向键：下一帧")                                    \
  X(WatchKeyQuit, "Escape quits", "Esc 退出")                                                 \
  X(WatchNoFrame, "{0}: it has no frame to watch", "{0}：没有可观看的帧")                     \
  X(WatchPlayedAt, "{0}, played at {1} %", "{0}，录制时速度为 {1}%")                          \
  X(LanguageName, "English", "中文")

// The page's own words: its legend where the native one's do not fit a page
// (buttons, a touch, a click), its buttons, boxes, messages and labels.
#define CARPEX_PAGE_TEXTS(X)                                                                       \
  X(PageTouchLevels, "The buttons 0-9: choose a level", "按钮 0-9：选择关卡")                      \
  X(PageTouchQuit, "Back: quit", "返回：退出游戏")                                                 \
  X(PagePadLevel, "Gamepad: A starts level {0} (left and right choose), Back quits",               \
    "手柄：A 开始第 {0} 关（左右键选关），Back 退出游戏")                                          \
  X(PageBomb, "Space, Down or a click on the picture: drop the bomb",                              \
    "空格、下方向键或点击画面：投弹")                                                              \
  X(PageTouchBomb, "Touch the picture: drop the bomb", "触摸画面：投弹")                           \
  X(PageTouchLeave, "Back: leave the round", "返回：离开本局")                                     \
  X(PagePadRound, "Gamepad: A or down drops the bomb, Start pauses, Back leaves the round",        \
    "手柄：A 或下方向键投弹，Start 暂停，Back 离开本局")                                           \
  X(PagePadPaused, "Gamepad: Start goes on, Back leaves the round",                                \
    "手柄：Start 继续，Back 离开本局")                                                             \
  X(PageTouchBack, "Back: back to the level choice", "返回：返回选关")                             \
  X(PageWatchPlay, "Space pauses and plays, Right or . goes a frame on",                           \
    "空格暂停或播放，右方向键或 . 前进一帧")                                                       \
  X(PageWatchSpeed, "Up/Down faster/slower, Home from the start",                                  \
    "上/下方向键加快/减慢，Home 从头播放")                                                         \
  X(PageWatchStop, "Escape stops; then back to the game", "Esc 停止，再按一次回到游戏")            \
  X(PageWatchTouch, "Touch the picture to pause and play; Stop, then Back to the game",            \
    "触摸画面暂停或播放；按“停止”，再按“返回”回到游戏")                                            \
  X(PageBack, "Back", "返回")                                                                      \
  X(PageStop, "Stop", "停止")                                                                      \
  X(PagePause, "Pause", "暂停")                                                                    \
  X(PageGoOn, "Go on", "继续")                                                                     \
  X(PageFullScreen, "Full screen", "全屏")                                                         \
  X(PageLeaveFullScreen, "Leave full screen", "退出全屏")                                          \
  X(PageOtherLanguage, "The pictures and every word in Chinese (L)", "画面和文字都改用英文（L）")  \
  X(PageRecording, "Recording", "录像")                                                            \
  X(PageNextFrame, "Next frame", "下一帧")                                                         \
  X(PageSlower, "Slower", "减慢")                                                                  \
  X(PageFaster, "Faster", "加快")                                                                  \
  X(PageAgain, "Again", "重播")                                                                    \
  X(PageKeys, "Keys", "按键")                                                                      \
  X(PageLevel, "Level", "关卡")                                                                    \
  X(PageWatching, "Watching", "观看")                                                              \
  X(PageLink, "Link", "链接")                                                                      \
  X(PageOk, "OK", "确定")                                                                          \
  X(PageRecordingAbout,                                                                            \
    "Everything played here is recorded, for a bug report or to show a round to a friend.",        \
    "这里玩的一切都会录下来，可用于报告错误，或给朋友看某一局。")                                  \
  X(PageRecordingSoFar, "So far: {0} kB.", "目前已录 {0} kB。")                                    \
  X(PageRecordingEnded, "The game has ended: its recording holds {0} kB.",                         \
    "游戏已结束：录像共 {0} kB。")                                                                 \
  X(PageRecordingFull,                                                                             \
    "The recording has reached its limit of {0} MB: what was played after that is not "            \
    "recorded.",                                                                                   \
    "录像已达到 {0} MB 的上限：此后玩的内容没有录下。")                                            \
  X(PageRecordingWaits, " The game waits while a recording is watched, and goes on after it.",     \
    "观看录像时游戏暂停，看完后接着玩。")                                                          \
  X(PageSaveRecording, "Save recording", "保存录像")                                               \
  X(PageCopyLink, "Copy link", "复制链接")                                                         \
  X(PageWatchRecording, "Watch a recording", "观看录像")                                           \
  X(PageClose, "Close", "关闭")                                                                    \
  X(PageSaveRound, "Save the round", "保存这一局")                                                 \
  X(PageNoRound, "No round has been played yet.", "还没有玩过任何一局。")                          \
  X(PageNoLinks, "This browser cannot make links: save the round as a file instead.",              \
    "这个浏览器无法生成链接：请把这一局保存为文件。")                                              \
  X(PageLinkTooLong,                                                                               \
    "This round is too long for a link ({0} characters, at most {1}): save it as a file "          \
    "instead.",                                                                                    \
    "这一局太长，放不进链接（{0} 个字符，最多 {1} 个）：请保存为文件。")                           \
  X(PageLinkCopied, "The link to the last round is copied ({0} characters).",                      \
    "最后一局的链接已复制（{0} 个字符）。")                                                        \
  X(PageCopyThisLink, "Copy this link to the last round:", "请复制这个最后一局的链接：")           \
  X(PageRefused, "This recording cannot be watched: {0}", "无法观看这个录像：{0}")                 \
  X(PageFileTooLarge, "the file is larger than {0} MB.", "文件大于 {0} MB。")                      \
  X(PageFileUnreadable, "the file could not be read.", "无法读取文件。")                           \
  X(PageLinkDamaged, "the link is damaged or is not one the page makes.",                          \
    "链接已损坏，或不是本页生成的链接。")                                                          \
  X(PageSharedRound, "shared round", "分享的一局")                                                 \
  X(PageEnded, "The game has ended.", "游戏已结束。")                                              \
  X(PagePlayAgain, "Play again", "再玩一次")                                                       \
  X(PageUpdate, "A new version of the game is ready: it starts when the page is opened again.",    \
    "游戏的新版本已准备好：下次打开本页时启用。")                                                  \
  X(PageSpeed, "Speed", "速度")                                                                    \
  X(PageOneSwitch, "One switch", "单键模式")                                                       \
  X(PageBombKeyIs, "Bomb key: {0}", "投弹键：{0}")                                                 \
  X(PageLeaveKeyIs, "Leave key: {0}", "离开键：{0}")                                               \
  X(PagePadBomb, "Gamepad's bomb button", "手柄的投弹按钮")                                        \
  X(PageChoose, "Choose", "选择")                                                                  \
  X(PagePressKey, "Press the key now (Escape keeps the one there is)",                             \
    "请现在按键（按 Esc 保留原来的键）")                                                           \
  X(PageDefaultKeys, "Default keys", "恢复默认按键")                                               \
  X(PageBombKey, "{0} or a click on the picture: drop the bomb", "{0}或点击画面：投弹")            \
  X(PagePadLevelButton, "Gamepad: {1} starts level {0} (left and right choose), Back quits",       \
    "手柄：{1} 开始第 {0} 关（左右键选关），Back 退出游戏")                                        \
  X(PagePadRoundButton, "Gamepad: {1} drops the bomb, Start pauses, Back leaves the round",        \
    "手柄：{1} 投弹，Start 暂停，Back 离开本局")                                                   \
  X(PageLinkSpeed, " The round was played at {0} %.", "这一局的速度为 {0}%。")                     \
  X(PageRecords, "Records", "记录")                                                                \
  X(PageRecordLine, "Level {0}, {1} %: won {2}, lost {3}, left {4}",                               \
    "第 {0} 关，{1}%：赢 {2} 局，输 {3} 局，离开 {4} 局")                                          \
  X(PageRecordBest, "; fastest win {0} s, fewest bombs {1}", "；最快获胜 {0} 秒，最少 {1} 颗炸弹") \
  X(PageNoRecords, "No round has ended yet.", "还没有结束过任何一局。")                            \
  X(PageDays, "Today's city, each day's result:", "今日城市，每天的成绩：")                        \
  X(PageDayLine, "{0}: level {1}, {2} %, {3} in {4} s, bombs {5}",                                 \
    "{0}：第 {1} 关，{2}%，{3}，{4} 秒，{5} 颗炸弹")                                               \
  X(PageWon, "won", "赢")                                                                          \
  X(PageLost, "lost", "输")                                                                        \
  X(PageLeft, "left", "离开")                                                                      \
  X(PageWatch, "Watch", "观看")                                                                    \
  X(PageClearRecords, "Clear records", "清除记录")                                                 \
  X(PageClearAsk, "Clear every record and every round kept with them?",                            \
    "清除所有记录和保存的回合吗？")                                                                \
  X(PageClearYes, "Clear them", "清除")                                                            \
  X(PageCancel, "Cancel", "取消")                                                                  \
  X(PageLegendRecord, "Level {0} at {1} %: fastest win {2} s, fewest bombs {3}",                   \
    "第 {0} 关（{1}%）：最快获胜 {2} 秒，最少 {3} 颗炸弹")                                         \
  X(PageLegendNoWin, "Level {0} at {1} %: no win yet", "第 {0} 关（{1}%）：尚未获胜")              \
  X(PageNewFastest, "A new record: the fastest win, {0} s.", "新纪录：最快获胜，{0} 秒。")         \
  X(PageNewFewest, "A new record: the fewest bombs, {0}.", "新纪录：最少炸弹，{0} 颗。")           \
  X(PageTodaysCity, "Today's city", "今日城市")                                                    \
  X(PageTodayNext, "Today's city of {0}: the next round is the day's result",                      \
    "{0} 的今日城市：下一局就是当天的成绩")                                                        \
  X(PageTodayPractice, "Today's city of {0}: the day's result is in, rounds now are practice",     \
    "{0} 的今日城市：当天成绩已定，现在是练习")                                                    \
  X(PageDayResultWas, "This round is the day's result.", "这一局是当天的成绩。")                   \
  X(PagePracticeWas, "This round was practice.", "这一局是练习。")                                 \
  X(PageBestName, "best of level {0} at {1} %", "第 {0} 关最佳（{1}%）")                           \
  X(PageDayName, "today's city of {0}", "{0} 的今日城市")                                          \
  X(PageProves,                                                                                    \
    "It proves: {0} in {1} frames ({2} s at 100 %), bombs {3}, level {4}, speed {5} %.",           \
    "它证明：{0}，{1} 帧（100% 速度下 {2} 秒），{3} 颗炸弹，第 {4} 关，速度 {5}%。")               \
  X(PageProvesDay, " Its city is today's city of {0}.", "它的城市是 {0} 的今日城市。")             \
  X(PageNotNamedDay, " The link names another day, {0}.", "链接写的是另一天：{0}。")

// Every text, in the table's order.

// The games' own messages and their help, for a terminal (Linux) or a box
// (Windows). The replay tool's messages about a script are a tool's, in
// English, wherever they are shown.
#define CARPEX_COMMAND_TEXTS(X)                                                                                                                 \
  X(CmdWaysLinux, "--window or --fullscreen", "--window 或 --fullscreen")                                                                       \
  X(CmdWaysWindows, "--window, --borderless or --fullscreen",                                                                                   \
    "--window、--borderless 或 --fullscreen")                                                                                                   \
  X(CmdOneWay, "give one way of showing the game: {0}", "只能给一种显示方式：{0}")                                                              \
  X(CmdLanguageTwice, "--language given twice", "--language 给了两次")                                                                          \
  X(CmdLanguageTakes, "--language takes zh or en", "--language 只接受 zh 或 en")                                                                \
  X(CmdLanguageNot, "--language takes zh or en, not {0}",                                                                                       \
    "--language 只接受 zh 或 en，不接受 {0}")                                                                                                   \
  X(CmdWatchTwice, "--watch given twice (the game shows one recording)",                                                                        \
    "--watch 给了两次（游戏一次只放一个录像）")                                                                                                 \
  X(CmdWatchNeeds, "--watch needs the FILE of the recording to watch",                                                                          \
    "--watch 需要要观看的录像文件 FILE")                                                                                                        \
  X(CmdTwoFiles, "give one recording to watch, not {0} and {1}",                                                                                \
    "只能观看一个录像，不能同时观看 {0} 和 {1}")                                                                                                \
  X(CmdUnknown,                                                                                                                                 \
    "unknown argument {0} (the game takes {1}, --record FILE [--overwrite], --watch FILE or "                                                   \
    "a recording FILE, --language zh|en, --speed PERCENT, --bomb-key NAME, --leave-key NAME, "                                                  \
    "--one-switch, --click, --daily, --version or --help)",                                                                                     \
    "未知参数 {0}（游戏接受 {1}、--record FILE [--overwrite]、--watch FILE 或录像文件 FILE、"                                  \
    "--language zh|en、--speed PERCENT、--bomb-key NAME、--leave-key "                                                                       \
    "NAME、--one-switch、--click、--daily、"                                                                                                \
    "--version 或 --help）")                                                                                                                    \
  X(CmdTwice, "{0} given twice", "{0} 给了两次")                                                                                                \
  X(CmdOneOf, "give {0} or {1}, not both", "{0} 和 {1} 只能给一个")                                                                             \
  X(CmdSpeedTakes, "--speed takes 100, 75, 50 or 25", "--speed 只接受 100、75、50 或 25")                                                       \
  X(CmdSpeedNot, "--speed takes 100, 75, 50 or 25, not {0}",                                                                                    \
    "--speed 只接受 100、75、50 或 25，不接受 {0}")                                                                                             \
  X(CmdKeyTakes, "{0} takes the name of a key (such as B, Tab or Right) or default",                                                            \
    "{0} 需要一个键名（例如 B、Tab 或 Right）或 default")                                                                                       \
  X(CmdKeyNot, "{0} takes the name of a key (such as B, Tab or Right) or default, not {1}",                                                     \
    "{0} 需要一个键名（例如 B、Tab 或 Right）或 default，不接受 {1}")                                                                           \
  X(CmdKeyInUse, "{0} {1}: that key does something already", "{0} {1}：这个键已有别的用处")                                                     \
  X(CmdWatchPlays, "--watch takes no {0}: a recording is watched as it was played",                                                             \
    "--watch 不接受 {0}：录像按录制时的样子观看")                                                                                               \
  X(CmdRecordTwice, "--record given twice (the game records to one FILE)",                                                                      \
    "--record 给了两次（游戏只录到一个文件）")                                                                                                  \
  X(CmdRecordNeeds, "--record needs the FILE to write the recording to",                                                                        \
    "--record 需要写入录像的文件 FILE")                                                                                                         \
  X(CmdWatchRecord, "--watch and --record cannot go together: watching records nothing",                                                        \
    "--watch 和 --record 不能同时使用：观看时不录像")                                                                                           \
  X(CmdWatchLanguage, "--watch takes no --language: a recording names its own",                                                                 \
    "--watch 不接受 --language：录像自带它的语言")                                                                                              \
  X(CmdWatchDaily, "--watch takes no --daily: a recording names its own city",                                                                  \
    "--watch 不接受 --daily：录像自带它的城市")                                                                                                 \
  X(CmdTodayNot, "CARPEX_TODAY takes a date YYYY-MM-DD, not {0}",                                                                               \
    "CARPEX_TODAY 只接受日期 YYYY-MM-DD，不接受 {0}")                                                                                           \
  X(CmdOverwriteAlone, "--overwrite is for --record FILE", "--overwrite 只用于 --record FILE")                                                  \
  X(CmdCannotCreate, "cannot create the recording {0}: {1}", "无法创建录像 {0}：{1}")                                                           \
  X(CmdCannotRead, "{0}: cannot read the recording: {1}", "{0}：无法读取录像：{1}")                                                             \
  X(CmdNotWhole,                                                                                                                                \
    "the recording {0} could not be written whole{1}: it keeps the first {2} frames of the game",                                               \
    "录像 {0} 未能完整写入{1}：它保留了游戏的前 {2} 帧")                                                                                        \
  X(CmdLost,                                                                                                                                    \
    "the recording {0} is lost: its file was deleted or moved while the game was recording",                                                    \
    "录像 {0} 丢失了：录像时它的文件被删除或移走了")                                                                                            \
  X(FileExists, "it exists already (--overwrite replaces it)",                                                                                  \
    "它已经存在（--overwrite 会替换它）")                                                                                                       \
  X(FileNotAFile, "it is not a regular file", "它不是普通文件")                                                                                 \
  X(FileTaken, "another game is recording to it", "另一个游戏正在向它录像")                                                                     \
  X(FileLinkToNothing,                                                                                                                          \
    "it is a symbolic link to a file that does not exist (--overwrite creates that file)",                                                      \
    "它是指向不存在的文件的符号链接（--overwrite 会创建那个文件）")                                                                             \
  X(FileLinkIntoNothing, "it is a symbolic link into a folder that does not exist",                                                             \
    "它是指向不存在的文件夹中的符号链接")                                                                                                       \
  X(NoDisplay, "cannot open a display to play on: {0}", "无法打开用来玩游戏的显示器：{0}")                                                      \
  X(NoDisplayFound, "no X11, Wayland or KMS display was found (is DISPLAY set?)",                                                               \
    "找不到 X11、Wayland 或 KMS 显示（是否设置了 DISPLAY？）")                                                                                  \
  X(HelpLinux,                                                                                                                                  \
    "Usage: carpex [--window | --fullscreen] [--record FILE [--overwrite]] [--language zh|en]\n"                                                \
    "              [--speed PERCENT] [--bomb-key NAME] [--leave-key NAME] [--one-switch] "                                                      \
    "[--click] [--daily]\n"                                                                                                                     \
    "       carpex [--window | --fullscreen] [--watch] FILE\n"                                                                                  \
    "\n"                                                                                                                                        \
    "Keys:\n"                                                                                                                                   \
    "  0 to 9         choose a level on the level screen (higher: taller buildings)\n"                                                          \
    "  Space, Down    drop the bomb (release the key between bombs)\n"                                                                          \
    "  P, Pause       pause the round, and go on with it\n"                                                                                     \
    "  Escape         leave a round; on the level screen, quit\n"                                                                               \
    "  L              the pictures and every word in Chinese or English\n"                                                                      \
    "  H              hide or show the keys beside the picture\n"                                                                               \
    "  f              show or hide the frame rate\n"                                                                                            \
    "  S              slower and back: 100, 75, 50, 25 % (the legend says it)\n"                                                                \
    "  K              on the level screen: choose your bomb key and leave key\n"                                                                \
    "                 (K keeps a key, Backspace gives the defaults back)\n"                                                                     \
    "  W              on the level screen: watch the level's best round at this speed\n"                                                        \
    "                 (Escape twice comes back)\n"                                                                                              \
    "  C              on the level screen: clear the records (Y confirms)\n"                                                                    \
    "  Alt+Enter      full screen or a window\n"                                                                                                \
    "\n"                                                                                                                                        \
    "Gamepad:\n"                                                                                                                                \
    "  A, D-pad down  drop the bomb; on the level screen, A starts the level the\n"                                                             \
    "                 legend names (D-pad left and right change it)\n"                                                                          \
    "  Start          pause the round, and go on with it\n"                                                                                     \
    "  Back           as Escape\n"                                                                                                              \
    "\n"                                                                                                                                        \
    "Options:\n"                                                                                                                                \
    "  --window       play in a window\n"                                                                                                       \
    "  --fullscreen   play in full screen\n"                                                                                                    \
    "                 (without either, the game starts as it was last played)\n"                                                                \
    "  --record FILE  record the session into FILE for a bug report;\n"                                                                         \
    "                 carpex-replay FILE repeats it exactly\n"                                                                                  \
    "  --overwrite    with --record: replace FILE if it exists\n"                                                                               \
    "  --watch FILE, FILE\n"                                                                                                                    \
    "                 watch the recording FILE (in a window unless told\n"                                                                      \
    "                 --fullscreen), as carpex-replay FILE runs it\n"                                                                           \
    "  --language zh|en\n"                                                                                                                      \
    "                 the pictures and every word in Chinese or English (the\n"                                                                 \
    "                 default: the last chosen, else the locale's language)\n"                                                                  \
    "  --speed PERCENT\n"                                                                                                                       \
    "                 the game at 100 (its own speed), 75, 50 or 25 %: the same\n"                                                              \
    "                 steps, further apart\n"                                                                                                   \
    "  --bomb-key NAME, --leave-key NAME\n"                                                                                                     \
    "                 your key for the bomb instead of Space and Down, and for\n"                                                               \
    "                 leaving instead of Escape (B, Tab, Right, F5, ...; default\n"                                                             \
    "                 gives the default back); a key in use is refused\n"                                                                       \
    "  --one-switch   one switch plays the whole game: the bomb key, a click or\n"                                                              \
    "                 a gamepad's A. On the level screen a press starts the\n"                                                                  \
    "                 level the legend names, a hold of a second goes to the\n"                                                                 \
    "                 next (each further second another), three seconds quit;\n"                                                                \
    "                 in a round a press drops the bomb; after a round a press\n"                                                               \
    "                 goes back to the level screen\n"                                                                                          \
    "  --click        a left click on the picture drops the bomb\n"                                                                             \
    "                 (the speed, the keys, --one-switch and --click are\n"                                                                     \
    "                 remembered; --no-one-switch, --no-click end them)\n"                                                                      \
    "  --daily        every round on today's city: the same for everyone on the\n"                                                              \
    "                 same (UTC) day; the day's first round is its result, the\n"                                                               \
    "                 rest practice\n"                                                                                                          \
    "                 (records: $XDG_CONFIG_HOME/carpex, else ~/.config/carpex)\n"                                                              \
    "  --version      show the version\n"                                                                                                       \
    "  --help         show this help\n"                                                                                                         \
    "\n"                                                                                                                                        \
    "Watching (at the speed it was played; the window's title tells the frame,\n"                                                               \
    "the speed and at the end whether the game reached the recording's final\n"                                                                 \
    "line):\n"                                                                                                                                  \
    "  Space          pause or play\n"                                                                                                          \
    "  Right, .       while paused, the next frame\n"                                                                                           \
    "  Up, Down       faster, slower (1/4x to 16x)\n"                                                                                           \
    "  Home           from the start again\n"                                                                                                   \
    "  Escape         stop; once stopped or at the end, quit\n"                                                                                 \
    "  A, Back        (gamepad) as Space and as Escape\n"                                                                                       \
    "  The exit status is 0 when it replays exactly, 3 when it differs from its\n"                                                              \
    "  final line, has none, or was stopped before its end, and 2 for a\n"                                                                      \
    "  recording carpex-replay refuses.",                                                                                                       \
    "用法：carpex [--window | --fullscreen] [--record FILE [--overwrite]] [--language zh|en]\n"                                              \
    "             [--speed PERCENT] [--bomb-key NAME] [--leave-key NAME] [--one-switch] "                                                       \
    "[--click] [--daily]\n"                                                                                                                     \
    "      carpex [--window | --fullscreen] [--watch] FILE\n"                                                                                   \
    "\n"                                                                                                                                        \
    "按键：\n"                                                                                                                               \
    "  0 到 9         在选关画面选择关卡（越高楼越高）\n"                                                                      \
    "  空格、下方向键 投弹（两次投弹之间要松开按键）\n"                                                                   \
    "  P、Pause       暂停本局，再按继续\n"                                                                                           \
    "  Esc            离开本局；在选关画面退出游戏\n"                                                                             \
    "  L              图片和所有文字在中文和英文之间切换\n"                                                                    \
    "  H              隐藏或显示画面旁的按键说明\n"                                                                                \
    "  f              显示或隐藏帧率\n"                                                                                                  \
    "  S              减慢或恢复：100、75、50、25%（按键说明中会显示）\n"                                                    \
    "  K              在选关画面选择你自己的投弹键和离开键\n"                                                                 \
    "                 （K 保留原键，Backspace 恢复默认按键）\n"                                                                    \
    "  W              在选关画面观看本关在当前速度下的最佳一局（按两次 Esc 返回）\n"                                 \
    "  C              在选关画面清除记录（按 Y 确认）\n"                                                                          \
    "  Alt+Enter      全屏或窗口\n"                                                                                                        \
    "\n"                                                                                                                                        \
    "手柄：\n"                                                                                                                               \
    "  A、方向键下    投弹；在选关画面，A 开始说明中写的关卡（方向键左右更换）\n"                               \
    "  Start          暂停本局，再按继续\n"                                                                                            \
    "  Back           相当于 Esc\n"                                                                                                          \
    "\n"                                                                                                                                        \
    "选项：\n"                                                                                                                               \
    "  --window       在窗口中玩\n"                                                                                                        \
    "  --fullscreen   全屏玩\n"                                                                                                              \
    "                 （两者都不给时，按上次的方式开始）\n"                                                                    \
    "  --record FILE  把这次游戏录到 FILE 里，用于报告问题；\n"                                                                 \
    "                 carpex-replay FILE 会完全重现它\n"                                                                                  \
    "  --overwrite    与 --record 一起用：FILE 已存在时替换它\n"                                                                    \
    "  --watch FILE、FILE\n"                                                                                                                   \
    "                 观看录像 FILE（除非给了 --fullscreen，否则在窗口中），\n"                                               \
    "                 与 carpex-replay FILE 的运行完全一样\n"                                                                           \
    "  --language zh|en\n"                                                                                                                      \
    "                 图片和所有文字用中文或英文（默认：上次选的，否则按\n"                                            \
    "                 系统区域设置的语言）\n"                                                                                         \
    "  --speed PERCENT\n"                                                                                                                       \
    "                 游戏速度 100（原速）、75、50 或 25%：每一步不变，间隔更长\n"                                        \
    "  --bomb-key NAME、--leave-key NAME\n"                                                                                                    \
    "                 你自己的投弹键（代替空格和下方向键）和离开键（代替 Esc）\n"                                     \
    "                 （B、Tab、Right、F5 等；default 恢复默认）；已占用的键会被拒绝\n"                                    \
    "  --one-switch   单键玩整个游戏：投弹键、点击或手柄的 A。在选关画面按一下\n"                                    \
    "                 开始按键说明中的关卡，按住 1 秒换到下一关（每多 1 秒再换一关），\n"                          \
    "                 按住 3 秒退出；一局中按下投弹；一局结束后按一下返回选关画面\n"                                \
    "  --click        左键点击画面投弹\n"                                                                                               \
    "                 （速度、按键、--one-switch 和 --click 都会记住；\n"                                                          \
    "                 --no-one-switch、--no-click 取消）\n"                                                                                 \
    "  --daily        每一局都在今日城市：同一天（UTC）所有人的城市相同；\n"                                            \
    "                 当天第一局为今日成绩，之后为练习\n"                                                                       \
    "                 （记录保存在 $XDG_CONFIG_HOME/carpex，否则 ~/.config/carpex）\n"                                                \
    "  --version      显示版本\n"                                                                                                           \
    "  --help         显示这个帮助\n"                                                                                                     \
    "\n"                                                                                                                                        \
    "观看录像（按录制时的速度；窗口标题显示帧数、速度，结束时显示游戏是否到达录像的最后一行）：\n" \
    "  空格           暂停或播放\n"                                                                                                      \
    "  右方向键、.    暂停时前进一帧\n"                                                                                             \
    "  上、下方向键   加快、减慢（1/4 倍到 16 倍）\n"                                                                           \
    "  Home           从头再来\n"                                                                                                           \
    "  Esc            停止；已停止或已结束时退出\n"                                                                                \
    "  A、Back        （手柄）相当于空格和 Esc\n"                                                                                    \
    "  退出状态：完全重现时为 0；与最后一行不同、没有最后一行或在结束前被停止时为 3；\n"                   \
    "  carpex-replay 拒绝的录像为 2。")                                                                                                         \
  X(HelpWindows,                                                                                                                                \
    "Usage: carpex.exe [--window | --borderless | --fullscreen] [--record FILE [--overwrite]] "                                                 \
    "[--language zh|en]\n"                                                                                                                      \
    "or: carpex.exe [--window | --borderless | --fullscreen] [--watch] FILE\n"                                                                  \
    "\n"                                                                                                                                        \
    "--window: a window as large as the screen allows. --borderless: the whole screen at its "                                                  \
    "own resolution. --fullscreen: the screen switched to 640 x 480. Without one, as last "                                                     \
    "played (the first time in full screen).\n"                                                                                                 \
    "\n"                                                                                                                                        \
    "Keys: 0 to 9 choose a level. Space or Down drops the bomb. P or Pause pauses. Escape "                                                     \
    "leaves a round, and on the level screen quits. L: Chinese or English. H hides the keys "                                                   \
    "beside the picture. f: the frame rate. S: slower. K: your own keys. W: watch the level's "                                                 \
    "best round. C: clear the records. Alt+Enter: full screen, "                                                                                \
    "window, borderless. A gamepad: A or down drops the bomb, Start pauses, Back is Escape.\n"                                                  \
    "\n"                                                                                                                                        \
    "--language zh|en: the language (the first time Chinese, then the last chosen)\n"                                                           \
    "--speed 100|75|50|25, --bomb-key KEY, --leave-key KEY, --one-switch, --click: slower, your "                                               \
    "keys, one switch for all, a click bombs (README.txt)\n"                                                                                    \
    "--daily: every round on today's city, the same for everyone that (UTC) day; the first round "                                              \
    "is the day's result. Records are kept in %APPDATA%\\Carpex.\n"                                                                             \
    "--record FILE [--overwrite]: record the game into FILE for a bug report\n"                                                                 \
    "--watch FILE, or a FILE dropped on carpex.exe: watch a recording. Space pauses, Right goes "                                               \
    "a frame on, Up and Down change the speed, Home starts again, Escape stops.\n"                                                              \
    "--version, --help: the version, this help",                                                                                                \
    "用法：carpex.exe [--window | --borderless | --fullscreen] [--record FILE [--overwrite]] "                                               \
    "[--language zh|en]\n"                                                                                                                      \
    "或：carpex.exe [--window | --borderless | --fullscreen] [--watch] FILE\n"                                                                \
    "\n"                                                                                                                                        \
    "--window：窗口，放大到屏幕允许的大小。--borderless：铺满整个屏幕，分辨率不变。"                               \
    "--fullscreen：全屏，屏幕切换到 640 x 480。都不给时按上次的方式（第一次为全屏）。\n"                           \
    "\n"                                                                                                                                        \
    "按键：0 到 9 选择关卡。空格或下方向键投弹。P 或 Pause 暂停。Esc 离开本局，在选关画面退出。"            \
    "L：中文或英文。H "                                                                                                                  \
    "隐藏画面旁的按键说明。f：帧率。S：减慢。K：自选按键。W：观看本关最佳一局。C：清除记录。"          \
    "Alt+Enter：全屏、窗口、无边框。手柄：A 或方向键下投弹，Start 暂停，Back 相当于 Esc。\n"                       \
    "\n"                                                                                                                                        \
    "--language zh|en：语言（第一次为中文，之后按上次的选择）\n"                                                            \
    "--speed 100|75|50|25、--bomb-key KEY、--leave-key "                                                                                      \
    "KEY、--one-switch、--click：减慢、自选按键、"                                                                                   \
    "单键玩全部、点击投弹（见 README.txt）\n"                                                                                      \
    "--daily：每一局都在今日城市，同一天（UTC）所有人相同；当天第一局为今日成绩。记录保存在 "             \
    "%APPDATA%\\Carpex。\n"                                                                                                                    \
    "--record FILE [--overwrite]：把游戏录到 FILE 里，用于报告问题\n"                                                             \
    "--watch FILE，或拖到 carpex.exe 上的 FILE：观看录像。空格暂停，右方向键前进一帧，"                               \
    "上下方向键改变速度，Home 从头再来，Esc 停止。\n"                                                                         \
    "--version、--help：版本、这个帮助")

// Every text, each group after the other (the games' messages and help are
// a table of their own, Message, which the page does not carry).
#define CARPEX_TEXTS(X) CARPEX_LEGEND_TEXTS(X) CARPEX_OTHER_TEXTS(X) CARPEX_PAGE_TEXTS(X)

namespace carpex {

enum class Text : uint16_t {
#define CARPEX_TEXT_NAME(Name, English, Chinese) Name,
  CARPEX_TEXTS(CARPEX_TEXT_NAME)
#undef CARPEX_TEXT_NAME
};

#define CARPEX_TEXT_COUNT(Name, English, Chinese) +1
inline constexpr int kTextCount = 0 CARPEX_TEXTS(CARPEX_TEXT_COUNT);
inline constexpr int kLegendTextCount = 0 CARPEX_LEGEND_TEXTS(CARPEX_TEXT_COUNT);
#undef CARPEX_TEXT_COUNT

// A text in both languages, as the tables hold it.
struct Twins {
  const char* English;
  const char* Chinese;
  constexpr const char* In(Language L) const { return L == Language::English ? English : Chinese; }
};
#define CARPEX_TWINS_ROW(Name, English, Chinese) {English, Chinese},
// TextOf for the ids of the enum Kind, over the table of the rows Rows.
#define CARPEX_TEXT_OF(Kind, Count, Rows)                            \
  const char* TextOf(Kind Id, Language In) {                         \
    static constexpr Twins kTable[Count] = {Rows(CARPEX_TWINS_ROW)}; \
    return kTable[static_cast<uint16_t>(Id)].In(In);                 \
  }

// The text as the table has it, with its places unfilled.
const char* TextOf(Text Id, Language In);

enum class Message : uint16_t {
#define CARPEX_TEXT_NAME(Name, English, Chinese) Name,
  CARPEX_COMMAND_TEXTS(CARPEX_TEXT_NAME)
#undef CARPEX_TEXT_NAME
};
#define CARPEX_TEXT_COUNT(Name, English, Chinese) +1
inline constexpr int kMessageCount = 0 CARPEX_COMMAND_TEXTS(CARPEX_TEXT_COUNT);
#undef CARPEX_TEXT_COUNT

const char* TextOf(Message Id, Language In);

// Text with its places filled: {0} by the first of Values, and so on; a place
// without a value stays as it is.
std::string Fill(std::string_view Text, std::initializer_list<std::string_view> Values);
// A text (Text or Message) in the language In, its places filled.
template <typename Id>
std::string Say(Id Which, Language In, std::initializer_list<std::string_view> Values = {}) {
  return Fill(TextOf(Which, In), Values);
}

}  // namespace carpex
