// TEMPORARY: removed when the model's file code and due check are merged.
// Stand-ins so that the program links before the settings file, the reminder
// file and the due check arrive; they read and write nothing.
#include "model/Uconverter.h"
#include "model/Usettings.h"

void TSettings::LoadSettings() {}
void TSettings::SaveSettings() {}
void Converter::LoadFromFile(const std::string& name) {
    (void)name;
}
void Converter::SaveToFile(const std::string& name) {
    (void)name;
}
void Converter::CheckDueReminders() {}
