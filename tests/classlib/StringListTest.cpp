// String lists: lines, names and values, text and files.
#include <gtest/gtest.h>

#include "classlib/Classes.h"
#include "classlib/Streams.h"
#include "tests/TestFolder.h"

namespace {

std::vector<std::string> Lines(const TStrings& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
    return lines;
}

using V = std::vector<std::string>;

}  // namespace

TEST(StringList, AddInsertDeleteAndIndexChecks) {
    TStringList list;
    EXPECT_EQ(0, list.Add("b"));
    list.Insert(0, "a");
    list.Insert(2, "d");
    list.Insert(2, "c");
    EXPECT_EQ((V{"a", "b", "c", "d"}), Lines(list));
    list.Delete(1);
    list.SetStrings(0, "A");
    EXPECT_EQ((V{"A", "c", "d"}), Lines(list));
    EXPECT_THROW(list.Get(3), EStringListError);
    EXPECT_THROW(list.Get(-1), EStringListError);
    EXPECT_THROW(list.Delete(3), EStringListError);
    EXPECT_THROW(list.Insert(4, "x"), EStringListError);
    EXPECT_EQ(3, list.Count());
}

TEST(StringList, ObjectsTravelWithTheirStrings) {
    TStringList list;
    TObject first;
    TObject second;
    list.AddObject("one", &first);
    list.Add("two");
    list.SetObjects(1, &second);
    list.SetStrings(0, "uno");  // the object stays
    EXPECT_EQ(&first, list.Objects(0));
    TStringList copy;
    copy.Add("old");
    copy.Assign(list);
    EXPECT_EQ((V{"uno", "two"}), Lines(copy));
    EXPECT_EQ(&second, copy.Objects(1));
    // A list added to itself doubles once.
    copy.AddStrings(copy);
    EXPECT_EQ((V{"uno", "two", "uno", "two"}), Lines(copy));
    TComponent other(nullptr);
    EXPECT_THROW(copy.Assign(other), EConvertError);
    EXPECT_EQ(4, copy.Count());
}

TEST(StringList, IndexOfIgnoresCase) {
    TStringList list;
    list.Add("Alpha");
    list.Add("beta");
    EXPECT_EQ(0, list.IndexOf("ALPHA"));
    EXPECT_EQ(1, list.IndexOf("Beta"));
    EXPECT_EQ(-1, list.IndexOf("gamma"));
    EXPECT_EQ(-1, list.IndexOf(""));
}

TEST(StringList, NamesAndValues) {
    TStringList list;
    list.Add("Key=1");
    list.Add(" Spaced = 2 ");
    list.Add("NoValue");
    list.Add("=empty name");
    list.Add("key=second");
    list.Add("a=b=c");
    EXPECT_EQ("Key", list.Names(0));
    EXPECT_EQ(" Spaced ", list.Names(1));
    EXPECT_EQ("", list.Names(2));
    // The name search is case-insensitive and trims nothing; the first line wins.
    EXPECT_EQ(0, list.IndexOfName("KEY"));
    EXPECT_EQ(1, list.IndexOfName(" spaced "));
    EXPECT_EQ(-1, list.IndexOfName("Spaced"));
    EXPECT_EQ(-1, list.IndexOfName("NoValue"));
    EXPECT_EQ(3, list.IndexOfName(""));
    EXPECT_EQ("1", list.Values("key"));
    EXPECT_EQ(" 2 ", list.Values(" Spaced "));
    EXPECT_EQ("b=c", list.Values("a"));
    EXPECT_EQ("", list.Values("missing"));

    list.SetValues("Key", "9");
    EXPECT_EQ("Key=9", list.Get(0));
    list.SetValues("new", "x");
    EXPECT_EQ("new=x", list.Get(list.Count() - 1));
    list.SetValues("KEY", "");  // an empty value removes the line
    EXPECT_EQ(" Spaced = 2 ", list.Get(0));
    list.SetValues("absent", "");
    EXPECT_EQ(6, list.Count());
}

TEST(StringList, TextSplitsAtEveryKindOfLineBreak) {
    TStringList list;
    list.SetText("a\r\nb\nc\rd");
    EXPECT_EQ((V{"a", "b", "c", "d"}), Lines(list));
    list.SetText("a\n\nb\n");
    EXPECT_EQ((V{"a", "", "b"}), Lines(list));
    list.SetText("\r\n");
    EXPECT_EQ((V{""}), Lines(list));
    list.SetText("");
    EXPECT_EQ(0, list.Count());
    list.SetText("x\n\r");  // LF then a lone CR: two breaks
    EXPECT_EQ((V{"x", ""}), Lines(list));
    list.SetText("one\ntwo");
    EXPECT_EQ("one\r\ntwo\r\n", list.Text());
}

TEST(StringList, FilesRoundTripAndMissingFilesRaise) {
    TestFolder folder;
    TStringList list;
    list.Add("first");
    list.Add("");
    list.Add("last");
    list.SaveToFile(folder.File("lines.txt"));
    EXPECT_EQ("first\r\n\r\nlast\r\n", TestFolder::ReadBytes(folder.File("lines.txt")));
    TStringList read;
    read.Add("dropped");
    read.LoadFromFile(folder.File("lines.txt"));
    EXPECT_EQ((V{"first", "", "last"}), Lines(read));
    EXPECT_THROW(read.LoadFromFile(folder.File("missing.txt")), EFOpenError);
    EXPECT_THROW(list.SaveToFile(folder.File("no\\such\\folder.txt")), EFCreateError);
}
