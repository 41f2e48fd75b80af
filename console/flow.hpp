// Whether the program goes on or ends, as the keyboard, the typing of a
// puzzle and the search report it to the run loop.
#pragma once

namespace novemra {

// Quit: the user pressed "x" where it ends the program, or the terminal
// went away.
enum class Flow { Continue, Quit };

}  // namespace novemra
