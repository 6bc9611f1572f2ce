#include "shell/carpex.h"

namespace carpex {

int Carpex(Application& App, const std::function<void(GameSession&)>& Started, Language Pictures) {
  GameSession session(App, Pictures);
  if (Started) Started(session);
  App.Run(session.Handlers());
  // The player has seen why in the message box; the status says it too.
  return session.DisplayFailed() ? 1 : 0;
}

}  // namespace carpex
