// Helpers shared by the model tests.
#pragma once

#include <ctime>
#include <string>

#include "model/Uconverter.h"
#include "model/Ueintrag.h"
#include "model/Ufunction.h"
#include "model/UmodelHost.h"

// A plain (not normalised) date record, as the add/modify dialog stores a start.
inline tm MakeDate(int year, int month, int day, int hour = 0, int minute = 0) {
    tm t;
    ClearDateRecord(&t);
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

inline tm Normalized(tm t) {
    NormalizeDate(&t);
    return t;
}

inline tm Cleared() {
    tm t;
    ClearDateRecord(&t);
    return t;
}

// "YYYY-MM-DD" of a record's date fields.
inline std::string DayText(const tm& t) {
    char buffer[32];
    snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    return buffer;
}

// A host whose add/modify dialog holds a given number of pictures.
class PictureCountHost : public IModelHost {
public:
    explicit PictureCountHost(int count) : m_count(count) { SetModelHost(this); }
    ~PictureCountHost() override { SetModelHost(nullptr); }
    int PictureCount() override { return m_count; }

private:
    int m_count;
};
