#pragma once
// Terminal session of the screens. Until the terminal layer lands this holds
// only the final best-effort restore, which has nothing to undo yet.

namespace tarnwick::tui {

// Best-effort restore of the terminal (cooked mode, main screen, cursor and
// mouse reporting back); errors are ignored.
void restore_terminal();

}  // namespace tarnwick::tui
