// Which pictures a list of the player's languages asks for: one rule for the
// Linux game's locale and the page's browser languages.
#pragma once

#include <string_view>

#include "assets/sprite_sheets.h"

namespace carpex {

// The first entry of List that names Chinese or English decides: Chinese for
// Chinese, English for English and for a list that names neither. Entries are
// parted by ':' (LANGUAGE) or ',' (the page's navigator.languages); an entry
// names a language by its code in any case, alone or followed by '_', '-',
// '.' or '@' ("zh_CN.UTF-8", "zh-TW", "en_GB@euro").
Language ListedLanguage(std::string_view List);

}  // namespace carpex
