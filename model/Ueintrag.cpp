// One reminder record and its file image.
#include "model/Ueintrag.h"

#include <algorithm>
#include <cstring>

#include "model/Uconverter.h"
#include "model/Ufunction.h"
#include "model/UmodelHost.h"

namespace {

// Offsets of the fields in the 3280-byte file image.
enum ImageOffset : size_t {
    kOffIntervalCount = 0,
    kOffIntervalKind = 4,
    kOffPictureIndex = 8,
    kOffReserved1 = 12,
    kOffReserved2 = 16,
    kOffReserved3 = 20,
    kOffReserved4 = 24,
    kOffReservedByte1 = 28,
    kOffDue = 32,
    kOffSnoozeSeconds = 36,
    kOffAlertOpen = 40,
    kOffAdvanceDays = 44,
    kOffExactlyAt = 48,
    kOffAcknowledged = 49,
    kOffStartTime = 50,
    kOffLastReminded = 86,
    kOffStopAfter = 122,
    kOffMaster = 196,
    kOffTitle = 200,
    kOffText = 456,
    kOffReservedText1 = 1480,
    kOffReservedText2 = 1736,
    kOffReservedText3 = 2248,
    kOffNext = 3272,
    kOffPrev = 3276,
};
static_assert(kOffPrev + 4 == Eintrag::kImageSize, "the record image is 3280 bytes");

void PutInt32(uint8_t* image, size_t offset, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    image[offset] = uint8_t(v);
    image[offset + 1] = uint8_t(v >> 8);
    image[offset + 2] = uint8_t(v >> 16);
    image[offset + 3] = uint8_t(v >> 24);
}

int32_t GetInt32(const uint8_t* image, size_t offset) {
    const uint32_t v = uint32_t(image[offset]) | uint32_t(image[offset + 1]) << 8 |
                       uint32_t(image[offset + 2]) << 16 | uint32_t(image[offset + 3]) << 24;
    return static_cast<int32_t>(v);
}

void PutDate(uint8_t* image, size_t offset, const tm& t) {
    const int32_t fields[9] = {t.tm_sec, t.tm_min, t.tm_hour, t.tm_mday, t.tm_mon,
                               t.tm_year, t.tm_wday, t.tm_yday, t.tm_isdst};
    for (int i = 0; i < 9; ++i) PutInt32(image, offset + 4 * i, fields[i]);
}

tm GetDate(const uint8_t* image, size_t offset) {
    tm t{};
    int* const fields[9] = {&t.tm_sec, &t.tm_min, &t.tm_hour, &t.tm_mday, &t.tm_mon,
                            &t.tm_year, &t.tm_wday, &t.tm_yday, &t.tm_isdst};
    for (int i = 0; i < 9; ++i) *fields[i] = GetInt32(image, offset + 4 * i);
    return t;
}

// Copies a NUL-terminated text into a fixed array: at most size - 1 characters,
// the rest of the array filled with NULs. A source without a NUL within `limit`
// bytes is cut there, so no copy ever reads or writes past an array.
void CopyText(char* target, size_t size, const char* source, size_t limit) {
    size_t length = 0;
    const size_t maxLength = std::min(size - 1, limit);
    while (length < maxLength && source[length] != '\0') ++length;
    std::memcpy(target, source, length);
    std::memset(target + length, 0, size - length);
}

}  // namespace

Eintrag::Eintrag()
    : IntervalCount(0),
      IntervalKind(kIntervalOnce),
      PictureIndex(0),
      Reserved1(0),
      Reserved2(0),
      Reserved3(0),
      Reserved4(-1),
      ReservedByte1(0),
      ReservedByte2(0),
      ReservedByte3(0),
      ReservedByte4(1),
      Due(true),
      SnoozeSeconds(0),
      AlertOpen(false),
      AdvanceDays(0),
      ExactlyAt(false),
      Acknowledged(false),
      StartTime(),
      LastReminded(),
      StopAfter(),
      Master(nullptr),
      Title(),
      Text(),
      ReservedText1(),
      ReservedText2(),
      ReservedText3(),
      Next(nullptr),
      Prev(nullptr) {
    ClearDateRecord(&StartTime);
    ClearDateRecord(&LastReminded);
    ClearDateRecord(&StopAfter);
}

Eintrag& Eintrag::Assign(const Eintrag& source) {
    Master = source.GetMaster();
    IntervalKind = source.IntervalKind;
    AlertOpen = source.AlertOpen;
    LastReminded = source.LastReminded;
    ExactlyAt = source.ExactlyAt;
    Acknowledged = source.Acknowledged;
    PictureIndex = source.GetPictureIndex();
    StartTime = source.StartTime;
    IntervalCount = source.IntervalCount;
    AdvanceDays = source.AdvanceDays;
    SnoozeSeconds = source.SnoozeSeconds;
    CopyText(Text, kTextSize, source.Text, kTextSize - 1);
    CopyText(Title, kTitleSize, source.Title, kTitleSize - 1);
    Due = source.Due;
    StopAfter = source.StopAfter;
    return *this;
}

bool Eintrag::IsSame(const Eintrag& other) const {
    // This record's stored index against the other's limited one, as the duplicate
    // test of a new reminder against a listed master has always compared them.
    return other.GetPictureIndex() == PictureIndex && Converter::SameDateRecord(StartTime, other.StartTime) &&
           IntervalCount == other.IntervalCount && IntervalKind == other.IntervalKind &&
           std::strncmp(Text, other.Text, kTextSize) == 0 && std::strncmp(Title, other.Title, kTitleSize) == 0 &&
           AdvanceDays == other.AdvanceDays && Converter::SameDateRecord(StopAfter, other.StopAfter) &&
           ExactlyAt == other.ExactlyAt && Acknowledged == other.Acknowledged;
}

void Eintrag::Reset() {
    Next = nullptr;
    Prev = nullptr;
    std::memset(Title, 0, kTitleSize);
    std::memset(Text, 0, kTextSize);
    PictureIndex = 0;
    ClearDateRecord(&StartTime);
    ClearDateRecord(&LastReminded);
    ClearDateRecord(&StopAfter);
    IntervalCount = 0;
    Due = false;
    SnoozeSeconds = 0;
    Master = nullptr;
}

tm Eintrag::GetStartDateOnly() const {
    tm date;
    ClearDateRecord(&date);
    date.tm_mday = StartTime.tm_mday;
    date.tm_mon = StartTime.tm_mon;
    date.tm_year = StartTime.tm_year;
    // The start's own day, also where that day begins in a daylight-saving gap.
    NormalizeDay(&date);
    return date;
}

int32_t Eintrag::GetPictureIndex() const {
    const int count = ModelHost().PictureCount();
    if (count < 0) return PictureIndex;  // the dialog does not exist yet
    return (count - 1 < PictureIndex) ? count - 1 : PictureIndex;
}

void Eintrag::SetTitle(const char* title) {
    CopyText(Title, kTitleSize, title, kTitleSize - 1);
}

void Eintrag::SetText(const char* text) {
    CopyText(Text, kTextSize, text, kTextSize - 1);
}

void Eintrag::WriteImage(uint8_t* image) const {
    std::memset(image, 0, kImageSize);
    PutInt32(image, kOffIntervalCount, IntervalCount);
    PutInt32(image, kOffIntervalKind, IntervalKind);
    PutInt32(image, kOffPictureIndex, PictureIndex);
    PutInt32(image, kOffReserved1, Reserved1);
    PutInt32(image, kOffReserved2, Reserved2);
    PutInt32(image, kOffReserved3, Reserved3);
    PutInt32(image, kOffReserved4, Reserved4);
    image[kOffReservedByte1] = ReservedByte1;
    image[kOffReservedByte1 + 1] = ReservedByte2;
    image[kOffReservedByte1 + 2] = ReservedByte3;
    image[kOffReservedByte1 + 3] = ReservedByte4;
    image[kOffDue] = Due ? 1 : 0;
    PutInt32(image, kOffSnoozeSeconds, SnoozeSeconds);
    image[kOffAlertOpen] = AlertOpen ? 1 : 0;
    PutInt32(image, kOffAdvanceDays, AdvanceDays);
    image[kOffExactlyAt] = ExactlyAt ? 1 : 0;
    image[kOffAcknowledged] = Acknowledged ? 1 : 0;
    PutDate(image, kOffStartTime, StartTime);
    PutDate(image, kOffLastReminded, LastReminded);
    PutDate(image, kOffStopAfter, StopAfter);
    // Pointers mean nothing in a file: Master, Next and Prev stay zero.
    std::memcpy(image + kOffTitle, Title, kTitleSize);
    std::memcpy(image + kOffText, Text, kTextSize);
    std::memcpy(image + kOffReservedText1, ReservedText1, sizeof ReservedText1);
    std::memcpy(image + kOffReservedText2, ReservedText2, sizeof ReservedText2);
    std::memcpy(image + kOffReservedText3, ReservedText3, sizeof ReservedText3);
}

void Eintrag::ReadImage(const uint8_t* image) {
    IntervalCount = GetInt32(image, kOffIntervalCount);
    IntervalKind = GetInt32(image, kOffIntervalKind);
    PictureIndex = GetInt32(image, kOffPictureIndex);
    Due = image[kOffDue] != 0;
    SnoozeSeconds = GetInt32(image, kOffSnoozeSeconds);
    AlertOpen = image[kOffAlertOpen] != 0;
    AdvanceDays = GetInt32(image, kOffAdvanceDays);
    ExactlyAt = image[kOffExactlyAt] != 0;
    Acknowledged = image[kOffAcknowledged] != 0;
    StartTime = GetDate(image, kOffStartTime);
    LastReminded = GetDate(image, kOffLastReminded);
    StopAfter = GetDate(image, kOffStopAfter);
    CopyText(Title, kTitleSize, reinterpret_cast<const char*>(image + kOffTitle), kTitleSize - 1);
    CopyText(Text, kTextSize, reinterpret_cast<const char*>(image + kOffText), kTextSize - 1);
}
