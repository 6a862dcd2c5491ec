// The start of the real program with a busy list, timed from outside.
#pragma once

#include <vector>

#include "classlib/SysUtils.h"

class Eintrag;

// Daily reminders from 1 January of a year, at times spread over the day but none
// within quietMinutes after the instant, each answered at its latest occurrence
// before it: nothing falls due at the instant or for quietMinutes after it.
std::vector<Eintrag*> MakeDailyReminders(int count, int startYear, TDateTime now, int quietMinutes);

// Starts the program of a program folder (copied to a temporary folder) with 5,000
// daily reminders, started in 1970 and in this year, and prints how long it takes
// to show its main window and how long it keeps messages waiting afterwards.
int RunStartBench(const char* programFolder);
