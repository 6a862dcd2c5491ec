// The settings store: reads and writes the settings values as "Settings.xml".
#pragma once

#include <cstdint>
#include <string>

// Stateless: the settings are program-wide values (Uglobals.h); this object's two
// operations read them from and write them to the settings file in the program folder.
class TSettings {
public:
    void LoadSettings();
    void SaveSettings();
};

// Unsigned decimal text of an 8-bit value ("0" to "255").
void ByteToStr(uint8_t value, std::string& text);
