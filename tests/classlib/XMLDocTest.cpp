// The XML document over the system's XML component.
#include <gtest/gtest.h>

#include "classlib/XMLDoc.h"
#include "tests/TestFolder.h"

namespace {

// The saved text without line breaks, which the component may place as it likes.
std::string Flat(std::string text) {
    std::string flat;
    for (char c : text)
        if (c != '\r' && c != '\n') flat += c;
    return flat;
}

std::string Saved(const TXMLDocument& document) {
    return Flat(document.SaveToString());
}

}  // namespace

TEST(XMLDocument, NewElementsGoBeforeTheExistingChildren) {
    TXMLDocument document;
    document.NewDocument(L"1.0");
    TXMLNode root = document.AddChild(L"Root");
    root.AddChild(L"First").SetText(L"1");
    TXMLNode group = root.AddChild(L"Group");
    group.AddChild(L"A").SetText(L"a");
    group.AddChild(L"B").SetText(L"b");
    root.AddChild(L"Empty");
    EXPECT_EQ("<?xml version=\"1.0\"?><Root><Empty/><Group><B>b</B><A>a</A></Group><First>1</First></Root>",
              Saved(document));
    EXPECT_EQ(L"Root", document.DocumentElement().NodeName());
    EXPECT_EQ(3, root.ChildNodes().Count());
    EXPECT_EQ(L"Group", root.ChildNodes().Nodes(1).NodeName());
    EXPECT_TRUE(root.ChildNodes().Nodes(3).IsNull());
}

TEST(XMLDocument, TextIsTheOneTextChild) {
    TXMLDocument document;
    document.NewDocument(L"1.0");
    TXMLNode root = document.AddChild(L"Root");
    TXMLNode value = root.AddChild(L"Value");
    EXPECT_EQ(L"", value.Text());
    value.SetText(L"a<b & \"c\" \u00e4\u6f22");
    EXPECT_EQ(L"a<b & \"c\" \u00e4\u6f22", value.Text());
    value.SetText(L"second");  // replaces, never adds a second text
    EXPECT_EQ(1, value.ChildNodes().Count());
    EXPECT_EQ(L"second", value.Text());
    value.SetText(L"");
    EXPECT_EQ(0, value.ChildNodes().Count());
    EXPECT_EQ(L"", value.Text());

    value.AddChild(L"Inner").SetText(L"8");
    EXPECT_THROW(value.Text(), EXMLDocError);
    value.SetText(L"8");  // setting the text drops the element
    EXPECT_EQ(L"8", value.Text());
}

TEST(XMLDocument, LookupByNameCreatesOnlyWhereAsked) {
    TXMLDocument document;
    document.NewDocument(L"1.0");
    // On an empty document the look-up creates the document element.
    TXMLNode root = document.ChildNodes()[L"Settings"];
    EXPECT_EQ(L"Settings", document.DocumentElement().NodeName());

    EXPECT_TRUE(root.ChildNodes().FindNode(L"Group").IsNull());
    EXPECT_EQ(0, root.ChildNodes().Count());
    TXMLNode group = root.ChildNodes()[L"Group"];
    EXPECT_EQ(L"Group", group.NodeName());
    EXPECT_EQ(L"", group.ChildNodes()[L"Key"].Text());
    EXPECT_EQ(1, root.ChildNodes().Count());
    EXPECT_FALSE(root.ChildNodes().FindNode(L"Group").IsNull());
    EXPECT_EQ(1, group.ChildNodes().Count());

    // A document holds one document element.
    EXPECT_THROW(document.ChildNodes()[L"Other"], EXMLDocError);
    EXPECT_THROW(document.AddChild(L"Other"), EXMLDocError);
    EXPECT_TRUE(document.ChildNodes().FindNode(L"Other").IsNull());
    EXPECT_EQ("<?xml version=\"1.0\"?><Settings><Group><Key/></Group></Settings>", Saved(document));
}

TEST(XMLDocument, LoadsFilesAndRefusesBrokenOnes) {
    TestFolder folder;
    TXMLDocument document;
    EXPECT_FALSE(document.LoadFromFile(folder.File("missing.xml")));

    const std::string broken = folder.File("broken.xml");
    // A document type declaration is refused too: its entities are text the file does not hold.
    for (const char* text : {"", "<a><b></a>", "<a/><b/>", "\xff\xfe\x00garbage", "<?xml version=\"1.0\"?>",
                             "<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>", "<!DOCTYPE a><a/>"}) {
        TestFolder::WriteBytes(broken, text);
        EXPECT_FALSE(document.LoadFromFile(broken)) << text;
    }

    // Indentation between elements is dropped; a comment or a CDATA section is kept.
    const std::string indented = folder.File("indented.xml");
    TestFolder::WriteBytes(indented,
                           "<?xml version=\"1.0\"?>\r\n<Root>\r\n  <A>1</A>\r\n  <B><![CDATA[<2>]]></B>\r\n"
                           "  <C>3<!--note-->4</C>\r\n  <D>\xc3\xa4\xe6\xbc\xa2</D>\r\n</Root>\r\n");
    ASSERT_TRUE(document.LoadFromFile(indented));
    TXMLNode root = document.ChildNodes()[L"Root"];
    EXPECT_EQ(4, root.ChildNodes().Count());
    EXPECT_EQ(L"1", root.ChildNodes()[L"A"].Text());
    EXPECT_EQ(L"<2>", root.ChildNodes()[L"B"].Text());
    EXPECT_THROW(root.ChildNodes()[L"C"].Text(), EXMLDocError);
    EXPECT_EQ(L"\u00e4\u6f22", root.ChildNodes()[L"D"].Text());
    // The file's root is not the one asked for: the look-up fails instead of
    // adding a second document element.
    EXPECT_THROW(document.ChildNodes()[L"Settings"], EXMLDocError);
}

TEST(XMLDocument, SavesUtf8WithoutEncodingOrIndentation) {
    TestFolder folder;
    const std::string name = folder.File("out.xml");
    {
        TXMLDocument document;
        document.NewDocument(L"1.0");
        TXMLNode root = document.AddChild(L"Root");
        root.AddChild(L"Name").SetText(L"\u00c4rial & Co");
        ASSERT_TRUE(document.SaveToFile(name));
        EXPECT_FALSE(document.SaveToFile(folder.File("missing\\out.xml")));
    }
    const std::string bytes = TestFolder::ReadBytes(name);
    EXPECT_EQ("<?xml version=\"1.0\"?><Root><Name>\xc3\x84rial &amp; Co</Name></Root>", Flat(bytes));
    EXPECT_EQ(0u, bytes.find("<?xml"));  // no byte-order mark

    TXMLDocument again;
    ASSERT_TRUE(again.LoadFromFile(name));
    EXPECT_EQ(L"\u00c4rial & Co", again.ChildNodes()[L"Root"].ChildNodes()[L"Name"].Text());
    EXPECT_EQ(1, folder.EntryCount());
}

TEST(XMLDocument, WithoutTheComponentNoDocumentIsMade) {
    const std::wstring previous = TXMLDocument::SetComponentClass(L"{00000000-0000-0000-0000-0000000000A1}");
    EXPECT_THROW(TXMLDocument(), EXMLDocError);
    TXMLDocument::SetComponentClass(L"not a class");
    EXPECT_THROW(TXMLDocument(), EXMLDocError);
    TXMLDocument::SetComponentClass(previous);
    EXPECT_NO_THROW(TXMLDocument());
}
