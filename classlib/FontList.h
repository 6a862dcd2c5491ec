// The screen's font list: the names of the font families installed for the
// screen, as the font choices of the settings dialogs offer them.
#pragma once

#include <string>
#include <vector>

// The family names, each once, sorted without regard to case; the vertical
// variants ("@" names) are left out. Read from the system at the first call
// and kept for the program's life.
const std::vector<std::string>& ScreenFonts();

// The same list read from the system now.
std::vector<std::string> ReadScreenFonts();
