// Helpers shared by the due-check tests: a chosen clock, and a host whose alarm
// windows record what the model does to them.
#pragma once

#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "classlib/SysUtils.h"

// Sets the class library's clock to a local instant. The milliseconds default to a
// value off the minute boundary, where extended and double precision could disagree.
inline void SetNow(int year, int month, int day, int hour, int minute, int second = 30, int msec = 250) {
    const TDateTime value = EncodeDate(year, month, day) + EncodeTime(hour, minute, second, msec);
    SetClock([value] { return value; });
}

// A recording alarm window: the calls in order, and the fields as the model left them.
class FakeAlarmWindow : public IAlarmWindow {
public:
    void SetSize(int32_t width, int32_t height) override {
        Calls.push_back("SetSize");
        Width = width;
        Height = height;
    }
    void Place() override { Calls.push_back("Place"); }
    void SetEntry(Eintrag* entry) override {
        Calls.push_back("SetEntry");
        Entry = entry;
    }
    void SetMessageText(const std::string& text) override {
        Calls.push_back("SetMessageText");
        MessageText = text;
    }
    void Show() override {
        Calls.push_back("Show");
        DueWhenShown = Entry ? Entry->Due : true;
        AlertOpenWhenShown = Entry ? Entry->AlertOpen : true;
        if (FailOnShow) throw std::runtime_error("alert.wav cannot be played");
    }
    void SetOccurrence(const tm& occurrence) override {
        Calls.push_back("SetOccurrence");
        Occurrence = occurrence;
    }
    void SetIconIndex(int32_t index) override {
        Calls.push_back("SetIconIndex");
        IconIndex = index;
    }
    void BringToForeground() override { Calls.push_back("BringToForeground"); }

    // The window's "OK": the occurrence becomes the last one reminded.
    void Ok() {
        Entry->AlertOpen = false;
        Entry->LastReminded = Occurrence;
        Entry->Acknowledged = true;
    }
    // A "Snooze" item: postponed by that many seconds.
    void Snooze(int seconds) {
        Entry->SnoozeSeconds += seconds;
        Entry->Due = false;
        Entry->AlertOpen = false;
    }

    std::vector<std::string> Calls;
    int32_t Width = 0;
    int32_t Height = 0;
    Eintrag* Entry = nullptr;
    std::string MessageText;
    tm Occurrence = Cleared();
    int32_t IconIndex = -99;
    bool DueWhenShown = true;
    bool AlertOpenWhenShown = true;
    bool FailOnShow = false;
};

// A host with alarm windows, installed for its lifetime.
class AlarmHost : public IModelHost {
public:
    AlarmHost() { SetModelHost(this); }
    ~AlarmHost() override {
        SetModelHost(nullptr);
        SetClock(nullptr);
    }

    int PictureCount() override { return Pictures; }
    void RefreshMainWindow() override { ++Refreshes; }
    IAlarmWindow* CreateAlarmWindow() override {
        Windows.push_back(std::make_unique<FakeAlarmWindow>());
        Windows.back()->FailOnShow = FailNextShow;
        FailNextShow = false;
        return Windows.back().get();
    }
    int32_t ReminderTimerInterval() override { return Interval; }

    // Runs one pass of the check and returns the window it opened, or null.
    FakeAlarmWindow* Pass(Converter& converter) {
        const size_t before = Windows.size();
        converter.CheckDueReminders();
        return Windows.size() > before ? Windows.back().get() : nullptr;
    }

    int Pictures = -1;
    int Refreshes = 0;
    int32_t Interval = 1000;
    bool FailNextShow = false;
    std::vector<std::unique_ptr<FakeAlarmWindow>> Windows;
};

// "DD.MM.YYYY : HH.MM" of an alarm's occurrence, as its text shows it.
inline std::string AlarmWhen(const FakeAlarmWindow* window) {
    if (!window) return "(none)";
    const tm& t = window->Occurrence;
    return IntToStr2(t.tm_mday) + "." + IntToStr2(t.tm_mon + 1) + "." + IntToStr2(t.tm_year + 1900) + " : " +
           IntToStr2(t.tm_hour) + "." + IntToStr2(t.tm_min);
}
