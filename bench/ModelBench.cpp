// Milliseconds per operation of the two things the program does all the time:
// refreshing the month grid, and the due check's pass on every tick.
//
// Lists of 1,000 and 10,000 reminders: a fifth each once, daily, weekly, monthly and
// yearly, counts 1 to 3, starts spread over 1990 to 2025, times over the day. The
// grid is June 2026; the due check runs at an instant where nothing is due (every
// alarm up to then answered with "OK"). First calls, which step each reminder from
// its start once, are shown apart from the repeated ones. A third list holds 5,000
// daily reminders started on 1 January 1970, the oldest a reminder can be.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "model/Uconverter.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "model/UmodelHost.h"
#include "StartBench.h"

namespace {

using Clock = std::chrono::steady_clock;

// An alarm window that answers "OK" when the model has filled it.
class AcknowledgingWindow final : public IAlarmWindow {
public:
    void SetSize(int32_t, int32_t) override {}
    void Place() override {}
    void SetEntry(Eintrag* entry) override { m_entry = entry; }
    void SetMessageText(const std::string&) override {}
    void Show() override {}
    void SetOccurrence(const tm& occurrence) override { m_occurrence = occurrence; }
    void SetIconIndex(int32_t) override {}
    void BringToForeground() override {
        m_entry->AlertOpen = false;
        m_entry->LastReminded = m_occurrence;
        m_entry->Acknowledged = true;
        ++Opened;
    }
    int Opened = 0;

private:
    Eintrag* m_entry = nullptr;
    tm m_occurrence{};
};

class BenchHost final : public IModelHost {
public:
    IAlarmWindow* CreateAlarmWindow() override { return &Window; }
    AcknowledgingWindow Window;
};

// A small deterministic generator, the same list on every run.
class Lcg {
public:
    uint32_t Next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    int Below(int n) { return int(Next() % uint32_t(n)); }

private:
    uint32_t m_state = 12345;
};

// A title with the reminder's number, and a text of ordinary length.
void Describe(Eintrag& e, const char* kind, int number) {
    char title[32];
    std::snprintf(title, sizeof title, "%s %d", kind, number);
    e.SetTitle(title);
    e.SetText("Something to remember, with a line of text of ordinary length.");
}

std::vector<Eintrag*> MakeReminders(int count) {
    Lcg random;
    const int first = int(EncodeDate(1990, 1, 1));
    const int span = int(EncodeDate(2025, 12, 31)) - first + 1;
    std::vector<Eintrag*> list;
    for (int i = 0; i < count; ++i) {
        Eintrag* e = new Eintrag;
        e->SetMaster(e);
        e->IntervalKind = i % 5;
        e->IntervalCount = e->IntervalKind == kIntervalOnce ? 0 : 1 + random.Below(3);
        int year = 0, month = 0, day = 0;
        DecodeDate(first + random.Below(span), year, month, day);
        const int minute = random.Below(kMinutesPerDay);
        tm start;
        ClearDateRecord(&start);
        start.tm_year = year - 1900;
        start.tm_mon = month - 1;
        start.tm_mday = day;
        start.tm_hour = minute / 60;
        start.tm_min = minute % 60;
        e->StartTime = start;
        e->ExactlyAt = random.Below(2) == 0;
        e->AdvanceDays = e->ExactlyAt ? 0 : random.Below(4);
        Describe(*e, "Reminder", i);
        list.push_back(e);
    }
    return list;
}

// Answers every alarm due at the instant, one reminder at a time (a pass walks the
// list up to the first reminder due, so settling the whole list at once would cost
// the square of its length).
void Settle(const std::vector<Eintrag*>& list, BenchHost& host) {
    Converter scratch;
    for (Eintrag* e : list) {
        scratch.Append(e);
        const int before = host.Window.Opened;
        do {
            const int opened = host.Window.Opened;
            scratch.CheckDueReminders();
            if (host.Window.Opened == opened) break;
        } while (host.Window.Opened - before < 1000);
        scratch.Head->Next = nullptr;
        e->Prev = e->Next = nullptr;
    }
}

template <class Operation>
double Milliseconds(Operation operation) {
    const auto start = Clock::now();
    operation();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Timing {
    double Mean = 0;
    double Best = 0;
    int Repetitions = 0;
};

// Repeats an operation for about a second (at least five times).
template <class Operation>
Timing Repeat(Operation operation) {
    Timing timing;
    timing.Best = 1e30;
    double total = 0;
    while (timing.Repetitions < 5 || (total < 1000 && timing.Repetitions < 10000)) {
        const double ms = Milliseconds(operation);
        total += ms;
        timing.Best = std::min(timing.Best, ms);
        ++timing.Repetitions;
    }
    timing.Mean = total / timing.Repetitions;
    return timing;
}

int CopyCount(const Converter& converter) {
    int count = 0;
    for (const auto& row : converter.Cells)
        for (const TWeekDay& cell : row)
            for (const Eintrag* copy = cell.First(); copy; copy = copy->Next) ++count;
    return count;
}

}  // namespace

std::vector<Eintrag*> MakeDailyReminders(int count, int startYear, TDateTime now, int quietMinutes) {
    Lcg random;
    std::vector<Eintrag*> list;
    int year = 0, month = 0, day = 0;
    for (int i = 0; i < count; ++i) {
        Eintrag* e = new Eintrag;
        e->SetMaster(e);
        e->IntervalKind = kIntervalDays;
        e->IntervalCount = 1;
        const int nowMinute = int((now - std::floor(now)) * kMinutesPerDay);
        const int minute = (nowMinute + quietMinutes + random.Below(kMinutesPerDay - quietMinutes)) % kMinutesPerDay;
        tm start;
        ClearDateRecord(&start);
        start.tm_year = startYear - 1900;
        start.tm_mday = 1;
        start.tm_hour = minute / 60;
        start.tm_min = minute % 60;
        e->StartTime = start;
        e->ExactlyAt = true;
        const TDateTime at = std::floor(now) + minute / double(kMinutesPerDay);
        DecodeDate(at < now ? at : at - 1, year, month, day);
        tm last = start;
        last.tm_year = year - 1900;
        last.tm_mon = month - 1;
        last.tm_mday = day;
        NormalizeDate(&last);
        e->LastReminded = last;
        Describe(*e, "Daily", i);
        list.push_back(e);
    }
    return list;
}

namespace {

// daily: 0 for the mixed list, else the start year of a list of daily reminders.
void Run(int count, int daily = 0) {
    BenchHost host;
    SetModelHost(&host);
    const TDateTime now = EncodeDate(2026, 6, 15) + EncodeTime(12, 0, 30, 500);
    SetClock([now] { return now; });

    std::vector<Eintrag*> list = daily ? MakeDailyReminders(count, daily, now, 0) : MakeReminders(count);
    if (!daily) Settle(list, host);
    const int settled = host.Window.Opened;
    Converter converter;
    for (Eintrag* e : list) converter.Append(e);

    auto grid = [&converter] {
        BuildMonthGrid(converter, 2026 - 1900, 5, true);
        converter.BuildGrid();
    };
    auto pass = [&converter] { converter.CheckDueReminders(); };

    const double coldGrid = Milliseconds(grid);
    const double coldPass = Milliseconds(pass);
    const Timing gridTiming = Repeat(grid);
    const int opened = host.Window.Opened;
    const Timing passTiming = Repeat(pass);
    const bool nothingDue = host.Window.Opened == opened && opened == settled;

    if (daily)
        std::printf("%6d daily reminders from 1 January %d, %d copies in the grid\n", count, daily,
                    CopyCount(converter));
    else
        std::printf("%6d reminders, %d copies in the grid (%d alarms answered before timing)\n", count,
                    CopyCount(converter), settled);
    std::printf("  (a) BuildMonthGrid + BuildGrid, June 2026:  %8.3f ms/op (best %.3f, %d runs; first call %.1f ms)\n",
                gridTiming.Mean, gridTiming.Best, gridTiming.Repetitions, coldGrid);
    std::printf("  (b) CheckDueReminders, nothing due:         %8.3f ms/op (best %.3f, %d runs; first call %.1f ms)%s\n",
                passTiming.Mean, passTiming.Best, passTiming.Repetitions, coldPass,
                nothingDue ? "" : "  WARNING: an alarm opened");
    SetClock(nullptr);
    SetModelHost(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    InitGlobals();
    if (argc > 2 && std::strcmp(argv[1], "--start") == 0) return RunStartBench(argv[2]);
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    std::printf("Model benchmark (targets for 10,000 reminders: (a) at most 100 ms, (b) at most 10 ms)\n");
    Run(1000);
    if (!quick) {
        Run(10000);
        Run(5000, 1970);
    }
    return 0;
}
