// The reminder record: construction, copying, the duplicate test and its file image.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ModelTestSupport.h"

namespace {

int32_t ReadInt(const std::vector<uint8_t>& image, size_t offset) {
    return int32_t(uint32_t(image[offset]) | uint32_t(image[offset + 1]) << 8 | uint32_t(image[offset + 2]) << 16 |
                   uint32_t(image[offset + 3]) << 24);
}

void PutInt(std::vector<uint8_t>& image, size_t offset, int32_t value) {
    for (int i = 0; i < 4; ++i) image[offset + i] = uint8_t(uint32_t(value) >> (8 * i));
}

std::vector<uint8_t> ImageOf(const Eintrag& e) {
    std::vector<uint8_t> image(Eintrag::kImageSize, 0xCC);
    e.WriteImage(image.data());
    return image;
}

// A reminder with a distinct value in every stored field.
void FillDistinct(Eintrag& e) {
    e.IntervalCount = 2;
    e.IntervalKind = kIntervalWeeks;
    e.PictureIndex = 7;
    e.Due = false;
    e.SnoozeSeconds = 300;
    e.AlertOpen = true;
    e.AdvanceDays = 3;
    e.ExactlyAt = true;
    e.Acknowledged = true;
    e.StartTime = MakeDate(2024, 3, 15, 10, 30);
    e.LastReminded = Normalized(MakeDate(2024, 3, 1, 10, 30));
    e.StopAfter = Normalized(MakeDate(2025, 12, 31, 23, 59));
    e.SetTitle("Dentist");
    e.SetText("Bring the card.\r\nAsk about the bill.");
}

}  // namespace

TEST(EintragConstruction, StartsWithTheDocumentedValues) {
    Eintrag e;
    EXPECT_EQ(0, e.IntervalCount);
    EXPECT_EQ(0, e.PictureIndex);
    EXPECT_EQ(0, e.Reserved1);
    EXPECT_EQ(-1, e.Reserved4);
    EXPECT_EQ(1, e.ReservedByte4);
    EXPECT_TRUE(e.Due);
    EXPECT_EQ(0, e.SnoozeSeconds);
    EXPECT_FALSE(e.AlertOpen);
    EXPECT_FALSE(e.ExactlyAt);
    EXPECT_FALSE(e.Acknowledged);
    EXPECT_TRUE(Converter::SameDateRecord(Cleared(), e.StartTime));
    EXPECT_TRUE(Converter::SameDateRecord(Cleared(), e.LastReminded));
    EXPECT_TRUE(Converter::SameDateRecord(Cleared(), e.StopAfter));
    EXPECT_STREQ("", e.GetTitle());
    EXPECT_EQ(nullptr, e.Next);
    EXPECT_EQ(nullptr, e.Prev);
}

TEST(EintragTexts, TitleAndTextAreCutToTheirArrays) {
    Eintrag e;
    const std::string exact(255, 'a');
    e.SetTitle(exact.c_str());
    EXPECT_EQ(exact, e.GetTitle());
    EXPECT_EQ('\0', e.Title[255]);

    const std::string longer = std::string(255, 'b') + std::string(45, 'c');
    e.SetTitle(longer.c_str());
    EXPECT_EQ(std::string(255, 'b'), e.GetTitle());

    const std::string text(1100, 'x');
    e.SetText(text.c_str());
    EXPECT_EQ(std::string(1023, 'x'), e.GetText());

    // A shorter text leaves no tail of the longer one.
    e.SetTitle("ab");
    for (size_t i = 2; i < Eintrag::kTitleSize; ++i) ASSERT_EQ('\0', e.Title[i]) << i;
}

TEST(EintragPictureIndex, IsLimitedByTheDialogsCollection) {
    Eintrag e;
    e.PictureIndex = 12;
    EXPECT_EQ(12, e.GetPictureIndex());  // no dialog yet
    {
        PictureCountHost host(10);
        EXPECT_EQ(9, e.GetPictureIndex());
        e.PictureIndex = 5;
        EXPECT_EQ(5, e.GetPictureIndex());
        e.PictureIndex = -3;
        EXPECT_EQ(-3, e.GetPictureIndex());
    }
    {
        PictureCountHost empty(0);
        e.PictureIndex = 0;
        EXPECT_EQ(-1, e.GetPictureIndex());
    }
}

TEST(EintragAssign, CopiesStoredAndRunTimeFieldsButNotLinks) {
    Eintrag master;
    FillDistinct(master);
    master.SetMaster(&master);
    Eintrag before, after;
    Eintrag copy;
    copy.Prev = &before;
    copy.Next = &after;
    copy.Reserved1 = 99;
    copy.Assign(master);

    EXPECT_EQ(&master, copy.GetMaster());
    EXPECT_EQ(&before, copy.Prev);
    EXPECT_EQ(&after, copy.Next);
    EXPECT_EQ(99, copy.Reserved1);
    EXPECT_EQ(300, copy.SnoozeSeconds);
    EXPECT_TRUE(copy.AlertOpen);
    EXPECT_FALSE(copy.Due);
    EXPECT_TRUE(copy.IsSame(master));
    EXPECT_TRUE(Converter::SameDateRecord(master.LastReminded, copy.LastReminded));

    // A copy of a copy points to the same master.
    Eintrag second;
    second.Assign(copy);
    EXPECT_EQ(&master, second.GetMaster());
}

TEST(EintragAssign, LimitsThePictureIndex) {
    Eintrag master;
    master.PictureIndex = 40;
    PictureCountHost host(25);
    Eintrag copy;
    copy.Assign(master);
    EXPECT_EQ(24, copy.PictureIndex);
}

TEST(EintragIsSame, IgnoresRunTimeFieldsAndLastReminded) {
    Eintrag a, b;
    FillDistinct(a);
    FillDistinct(b);
    b.LastReminded = Cleared();
    b.Due = true;
    b.SnoozeSeconds = 0;
    b.AlertOpen = false;
    EXPECT_TRUE(a.IsSame(b));
    EXPECT_TRUE(b.IsSame(a));
}

TEST(EintragIsSame, ComparesEveryStoredField) {
    Eintrag a;
    FillDistinct(a);
    auto differs = [&a](void (*change)(Eintrag&)) {
        Eintrag b;
        FillDistinct(b);
        change(b);
        return !a.IsSame(b);
    };
    EXPECT_TRUE(differs([](Eintrag& b) { b.PictureIndex = 1; }));
    EXPECT_TRUE(differs([](Eintrag& b) { b.StartTime.tm_min = 31; }));
    EXPECT_TRUE(differs([](Eintrag& b) { b.StartTime.tm_wday = 5; }));  // normalised vs plain
    EXPECT_TRUE(differs([](Eintrag& b) { b.IntervalCount = 3; }));
    EXPECT_TRUE(differs([](Eintrag& b) { b.IntervalKind = kIntervalDays; }));
    EXPECT_TRUE(differs([](Eintrag& b) { b.SetText("other"); }));
    EXPECT_TRUE(differs([](Eintrag& b) { b.SetTitle("dentist"); }));  // case counts
    EXPECT_TRUE(differs([](Eintrag& b) { b.AdvanceDays = 4; }));
    EXPECT_TRUE(differs([](Eintrag& b) { b.StopAfter = Cleared(); }));
    EXPECT_TRUE(differs([](Eintrag& b) { b.ExactlyAt = false; }));
    EXPECT_TRUE(differs([](Eintrag& b) { b.Acknowledged = false; }));
}

TEST(EintragIsSame, ComparesOwnRawIndexWithTheOthersLimitedOne) {
    PictureCountHost host(10);
    Eintrag holding12, holding9;
    holding12.PictureIndex = 12;
    holding9.PictureIndex = 9;
    EXPECT_TRUE(holding9.IsSame(holding12));
    EXPECT_FALSE(holding12.IsSame(holding9));
}

TEST(EintragReset, EmptiesASentinelButKeepsKindAndModeFields) {
    Eintrag e;
    FillDistinct(e);
    Eintrag other;
    e.Next = &other;
    e.Prev = &other;
    e.SetMaster(&other);
    e.Reset();
    EXPECT_EQ(nullptr, e.Next);
    EXPECT_EQ(nullptr, e.Prev);
    EXPECT_EQ(nullptr, e.GetMaster());
    EXPECT_STREQ("", e.GetTitle());
    EXPECT_STREQ("", e.GetText());
    EXPECT_EQ(0, e.PictureIndex);
    EXPECT_EQ(0, e.IntervalCount);
    EXPECT_FALSE(e.Due);
    EXPECT_EQ(0, e.SnoozeSeconds);
    EXPECT_TRUE(Converter::SameDateRecord(Cleared(), e.StartTime));
    EXPECT_TRUE(Converter::SameDateRecord(Cleared(), e.StopAfter));
    // Kept:
    EXPECT_EQ(kIntervalWeeks, e.IntervalKind);
    EXPECT_EQ(3, e.AdvanceDays);
    EXPECT_TRUE(e.AlertOpen);
    EXPECT_TRUE(e.ExactlyAt);
    EXPECT_TRUE(e.Acknowledged);
}

TEST(EintragImage, EveryFieldAtItsOffset) {
    Eintrag e;
    FillDistinct(e);
    e.SetMaster(&e);
    Eintrag neighbour;
    e.Next = &neighbour;
    e.Prev = &neighbour;
    const std::vector<uint8_t> image = ImageOf(e);

    EXPECT_EQ(2, ReadInt(image, 0));
    EXPECT_EQ(kIntervalWeeks, ReadInt(image, 4));
    EXPECT_EQ(7, ReadInt(image, 8));
    EXPECT_EQ(0, ReadInt(image, 12));
    EXPECT_EQ(0, ReadInt(image, 16));
    EXPECT_EQ(0, ReadInt(image, 20));
    EXPECT_EQ(-1, ReadInt(image, 24));
    EXPECT_EQ(0, image[28]);
    EXPECT_EQ(0, image[29]);
    EXPECT_EQ(0, image[30]);
    EXPECT_EQ(1, image[31]);
    EXPECT_EQ(0, image[32]);  // Due
    EXPECT_EQ(300, ReadInt(image, 36));
    EXPECT_EQ(1, image[40]);  // AlertOpen
    EXPECT_EQ(3, ReadInt(image, 44));
    EXPECT_EQ(1, image[48]);
    EXPECT_EQ(1, image[49]);
    // StartTime as nine int32 from offset 50: sec, min, hour, mday, mon, year, wday, yday, isdst.
    const int32_t start[9] = {0, 30, 10, 15, 2, 124, 0, 0, -1};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(start[i], ReadInt(image, 50 + 4 * i)) << i;
    EXPECT_EQ(1, ReadInt(image, 86));         // LastReminded.tm_sec, normalised
    EXPECT_EQ(124, ReadInt(image, 86 + 20));  // its year
    EXPECT_EQ(59, ReadInt(image, 122 + 4));   // StopAfter.tm_min
    EXPECT_EQ(125, ReadInt(image, 122 + 20));
    EXPECT_EQ(0, std::memcmp(image.data() + 200, "Dentist\0", 8));
    EXPECT_EQ(0, std::memcmp(image.data() + 456, "Bring the card.\r\n", 17));

    // Unset bytes, pointers and reserved texts are zeros.
    for (size_t offset : {33, 34, 35, 41, 42, 43}) EXPECT_EQ(0, image[offset]) << offset;
    for (size_t offset = 158; offset < 200; ++offset) ASSERT_EQ(0, image[offset]) << offset;
    for (size_t offset = 1480; offset < 3280; ++offset) ASSERT_EQ(0, image[offset]) << offset;
    for (size_t offset = 200 + 8; offset < 456; ++offset) ASSERT_EQ(0, image[offset]) << offset;
}

TEST(EintragImage, RoundTripKeepsStoredFieldsAndReservedConstructionValues) {
    Eintrag e;
    FillDistinct(e);
    std::vector<uint8_t> image = ImageOf(e);
    PutInt(image, 12, 1234);  // reserved fields mean nothing to a reader
    image[31] = 0;

    Eintrag read;
    read.ReadImage(image.data());
    EXPECT_TRUE(read.IsSame(e));
    EXPECT_TRUE(e.IsSame(read));
    EXPECT_EQ(300, read.SnoozeSeconds);
    EXPECT_TRUE(Converter::SameDateRecord(e.LastReminded, read.LastReminded));
    EXPECT_EQ(0, read.Reserved1);
    EXPECT_EQ(1, read.ReservedByte4);
    // Written again, the image is the original one but for the reserved fields.
    std::vector<uint8_t> again = ImageOf(read);
    PutInt(again, 12, 1234);
    again[31] = 0;
    EXPECT_EQ(image, again);
}

TEST(EintragImage, TextsWithoutNulAreCutAndBoolBytesReadAsTrue) {
    std::vector<uint8_t> image(Eintrag::kImageSize, 'Z');
    image[32] = 7;  // Due
    image[40] = 0;
    image[48] = 2;
    image[49] = 255;
    Eintrag e;
    e.ReadImage(image.data());
    EXPECT_EQ(std::string(255, 'Z'), e.GetTitle());
    EXPECT_EQ(std::string(1023, 'Z'), e.GetText());
    EXPECT_TRUE(e.Due);
    EXPECT_FALSE(e.AlertOpen);
    EXPECT_TRUE(e.ExactlyAt);
    EXPECT_TRUE(e.Acknowledged);

    // Copying such a record stays within the arrays as well.
    Eintrag copy;
    copy.Assign(e);
    EXPECT_EQ(std::string(255, 'Z'), copy.GetTitle());
    EXPECT_EQ(std::string(1023, 'Z'), copy.GetText());
}
