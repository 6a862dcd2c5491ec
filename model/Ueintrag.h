// One reminder: its repetition rule, reminding mode, picture, dates, texts and alarm state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

// Interval kinds of a reminder (the index of the add/modify dialog's interval list).
enum IntervalKinds : int32_t { kIntervalOnce = 0, kIntervalDays = 1, kIntervalWeeks = 2, kIntervalMonths = 3, kIntervalYears = 4 };

// A reminder record. The same class is a master (owned by the reminder list), a
// copy standing for one occurrence in a day cell, or the sentinel that heads a
// list or a cell's chain. Its 3280-byte file image is written and read field by
// field (WriteImage, ReadImage), never by copying the object's memory.
class Eintrag {
public:
    static constexpr size_t kImageSize = 3280;
    static constexpr size_t kTitleSize = 256;
    static constexpr size_t kTextSize = 1024;

    Eintrag();
    ~Eintrag() = default;
    Eintrag(const Eintrag&) = delete;
    Eintrag& operator=(const Eintrag&) = delete;

    Eintrag& Assign(const Eintrag& source);
    bool IsSame(const Eintrag& other) const;
    void Reset();

    Eintrag* GetMaster() const { return Master; }
    void SetMaster(Eintrag* master) { Master = master; }
    int32_t GetIntervalCount() const { return IntervalCount; }
    void SetIntervalCount(int32_t count) { IntervalCount = count; }
    tm GetStartTime() const { return StartTime; }
    void SetStartTime(tm start) { StartTime = start; }
    tm GetStartDateOnly() const;
    int32_t GetPictureIndex() const;
    const char* GetTitle() const { return Title; }
    void SetTitle(const char* title);
    const char* GetText() const { return Text; }
    void SetText(const char* text);

    // File image of the record: every field at its offset, little-endian, pointers
    // as 4 zero bytes, unset bytes and reserved-text tails as zeros.
    void WriteImage(uint8_t* image) const;
    // Reads the fields a file record contributes (everything but the reserved
    // fields and the pointers). Texts without a NUL are cut and terminated within
    // their arrays; a bool byte other than 0 reads as true.
    void ReadImage(const uint8_t* image);

    int32_t IntervalCount;
    int32_t IntervalKind;
    int32_t PictureIndex;
    int32_t Reserved1;
    int32_t Reserved2;
    int32_t Reserved3;
    int32_t Reserved4;
    uint8_t ReservedByte1;
    uint8_t ReservedByte2;
    uint8_t ReservedByte3;
    uint8_t ReservedByte4;
    bool Due;
    int32_t SnoozeSeconds;
    bool AlertOpen;
    int32_t AdvanceDays;
    bool ExactlyAt;
    bool Acknowledged;
    tm StartTime;
    tm LastReminded;
    tm StopAfter;
    Eintrag* Master;
    char Title[kTitleSize];
    char Text[kTextSize];
    char ReservedText1[256];
    char ReservedText2[512];
    char ReservedText3[1024];
    Eintrag* Next;
    Eintrag* Prev;
};
