// The games' own messages and help, a table apart from the other texts: the
// page, which shows none of them, does not carry them.
#include "assets/texts.h"

namespace carpex {

CARPEX_TEXT_OF(Message, kMessageCount, CARPEX_COMMAND_TEXTS)

}  // namespace carpex
