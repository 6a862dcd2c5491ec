// Component streaming: class register, round trips, exact bytes, and the refusal
// of truncated and corrupted streams.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Streaming.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Builds a stream byte by byte.
struct ByteWriter {
    Bytes bytes;
    ByteWriter& U8(uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    ByteWriter& U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
    ByteWriter& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
    ByteWriter& Raw(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    ByteWriter& Str(const std::string& s) { return U8(uint8_t(s.size())).Raw(s); }
};

void Fill(TMemoryStream& stream, const Bytes& bytes) {
    stream.Clear();
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream.SetPosition(0);
}

enum TTestKind { tkFirst, tkSecond, tkThird };

// A sub-object with a published property and a binary one of its own.
class TTestFont : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info("TTestFont", &TPersistent::StaticClassInfo(), nullptr, [](TPropList& list) {
            TPublished<TTestFont>(list).Integer("Size", &TTestFont::Size, &TTestFont::SetSize, 8);
        });
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TTestFont"; }
    void DefineProperties(TFiler& filer) override {
        filer.DefineBinaryProperty(
            "Data", [this](TStream& s) { data.resize(size_t(s.Size())); s.ReadBuffer(data.data(), int32_t(s.Size())); },
            [this](TStream& s) { s.WriteBuffer(data.data(), int32_t(data.size())); }, !data.empty());
    }
    int32_t Size() const { return m_size; }
    void SetSize(int32_t size) { m_size = size; }
    Bytes data;

private:
    int32_t m_size = 8;
};

// A component with one property of every kind; counts its live instances and logs
// what streaming does to it.
class TTestItem : public TComponent {
public:
    explicit TTestItem(TComponent* owner) : TComponent(owner) { ++live; }
    ~TTestItem() override { --live; }
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info(
            "TTestItem", &TComponent::StaticClassInfo(), &CreateComponentOf<TTestItem>, [](TPropList& list) {
                TPublished<TTestItem>(list)
                    .Integer("Width", &TTestItem::Width, &TTestItem::SetWidth, 16)
                    .Boolean("Masked", &TTestItem::Masked, &TTestItem::SetMasked, true)
                    .Enumeration("Kind", &TTestItem::Kind, &TTestItem::SetKind, {"tkFirst", "tkSecond", "tkThird"},
                                 tkFirst)
                    .Set("Options", &TTestItem::Options, &TTestItem::SetOptions, {"toA", "toB", "toC"}, 0)
                    .String("Caption", &TTestItem::Caption, &TTestItem::SetCaption)
                    .Cardinal("Count", &TTestItem::Count, &TTestItem::SetCount, 200)
                    .Object("Font", &TTestItem::Font)
                    .Component<TTestItem>("Link", &TTestItem::Link, &TTestItem::SetLink)
                    .String("Secret", &TTestItem::Secret, &TTestItem::SetSecret)
                    .NeverStored()
                    .Integer("Big", &TTestItem::Big, &TTestItem::SetBig, 0, INT64_MIN, INT64_MAX);
            });
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TTestItem"; }

    int32_t Width() const { return m_width; }
    void SetWidth(int32_t v) {
        m_width = v;
        Note("Width");
    }
    bool Masked() const { return m_masked; }
    void SetMasked(bool v) { m_masked = v; }
    TTestKind Kind() const { return m_kind; }
    void SetKind(TTestKind v) { m_kind = v; }
    uint32_t Options() const { return m_options; }
    void SetOptions(uint32_t v) { m_options = v; }
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& v) { m_caption = v; }
    uint32_t Count() const { return m_count; }
    void SetCount(uint32_t v) { m_count = v; }
    TTestFont* Font() const { return m_font.get(); }
    TTestItem* Link() const { return m_link; }
    void SetLink(TTestItem* v) {
        m_link = v;
        if (v) v->FreeNotification(this);
    }
    const std::string& Secret() const { return m_secret; }
    void SetSecret(const std::string& v) { m_secret = v; }
    int64_t Big() const { return m_big; }
    void SetBig(int64_t v) { m_big = v; }

    void Loaded() override {
        TComponent::Loaded();
        log.push_back("Loaded " + Name() + (m_link ? " link=" + m_link->Name() : ""));
    }
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == TOperation::opRemove && component == m_link) m_link = nullptr;
    }

    static int live;
    static std::vector<std::string> log;

private:
    void Note(const char* what) {
        log.push_back(std::string(what) + (HasState(csLoading) ? " loading" : "") +
                      (HasState(csReading) ? " reading" : ""));
    }

    int32_t m_width = 16;
    bool m_masked = true;
    TTestKind m_kind = tkFirst;
    uint32_t m_options = 0;
    std::string m_caption;
    uint32_t m_count = 200;
    std::unique_ptr<TTestFont> m_font = std::make_unique<TTestFont>();
    TTestItem* m_link = nullptr;
    std::string m_secret;
    int64_t m_big = 0;
};

int TTestItem::live = 0;
std::vector<std::string> TTestItem::log;

// A class of the same shape as the picture collection's list: four published
// properties and binary picture data after the design position.
class TTestImageList : public TComponent {
public:
    explicit TTestImageList(TComponent* owner) : TComponent(owner) {}
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info("TTestImageList", &TComponent::StaticClassInfo(),
                                     &CreateComponentOf<TTestImageList>, [](TPropList& list) {
                                         TPublished<TTestImageList>(list)
                                             .Integer(
                                                 "AllocBy", [](const TTestImageList& l) { return l.allocBy; },
                                                 [](TTestImageList& l, int32_t v) { l.allocBy = v; }, 4)
                                             .Integer(
                                                 "Height", [](const TTestImageList& l) { return l.height; },
                                                 [](TTestImageList& l, int32_t v) { l.height = v; }, 16)
                                             .Boolean(
                                                 "Masked", [](const TTestImageList& l) { return l.masked; },
                                                 [](TTestImageList& l, bool v) { l.masked = v; }, true)
                                             .Integer(
                                                 "Width", [](const TTestImageList& l) { return l.width; },
                                                 [](TTestImageList& l, int32_t v) { l.width = v; }, 16);
                                     });
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TTestImageList"; }
    void DefineProperties(TFiler& filer) override {
        TComponent::DefineProperties(filer);
        filer.DefineBinaryProperty(
            "Bitmap",
            [this](TStream& s) {
                bitmap.resize(size_t(s.Size()));
                s.ReadBuffer(bitmap.data(), int32_t(s.Size()));
            },
            [this](TStream& s) { s.WriteBuffer(bitmap.data(), int32_t(bitmap.size())); }, true);
    }
    int32_t allocBy = 4, height = 16, width = 16;
    bool masked = true;
    Bytes bitmap;
};

class Streaming : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterPersistentClass(TTestItem::StaticClassInfo());
        RegisterPersistentClass(TTestImageList::StaticClassInfo());
        TTestItem::log.clear();
        m_live = TTestItem::live;
    }
    void TearDown() override {
        UnRegisterPersistentClass(TTestItem::StaticClassInfo());
        UnRegisterPersistentClass(TTestImageList::StaticClassInfo());
        EXPECT_EQ(m_live, TTestItem::live) << "a test leaked components";
    }

    // A form-like root holding three items, one linking to a later sibling.
    static Bytes SampleResource() {
        TTestItem root(nullptr);
        root.SetName("Form1");
        root.SetCaption("Root");
        auto* a = new TTestItem(&root);
        a->SetName("ItemA");
        a->SetWidth(-129);
        a->SetMasked(false);
        a->SetKind(tkThird);
        a->SetOptions(0b101);
        a->SetCaption(std::string(300, 'x'));
        a->SetCount(0xFFFFFFFFu);
        a->Font()->SetSize(40000);
        a->Font()->data = {1, 2, 3};
        a->DesignLeft = 24;
        a->DesignTop = -8;
        auto* b = new TTestItem(&root);
        b->SetName("ItemB");
        b->SetBig(-(int64_t(1) << 40));
        a->SetLink(b);
        b->SetLink(&root);
        TMemoryStream stream;
        WriteComponentRes(stream, root.ClassName(), &root);
        return stream.Bytes();
    }

    // Reads a resource into a new root; the root is owned by the caller.
    static std::unique_ptr<TComponent> ReadResource(const Bytes& bytes) {
        TMemoryStream stream;
    Fill(stream, bytes);
        return std::unique_ptr<TComponent>(ReadComponentRes(stream, nullptr));
    }

    int m_live = 0;
};

}  // namespace

TEST_F(Streaming, RegisterFindsClassesByNameWhateverTheCase) {
    EXPECT_EQ(&TTestItem::StaticClassInfo(), GetClass("ttestitem"));
    EXPECT_EQ(&TTestItem::StaticClassInfo(), &FindClass("TTESTITEM"));
    EXPECT_EQ(nullptr, GetClass("TNoSuchThing"));
    EXPECT_THROW(FindClass("TNoSuchThing"), EClassNotFound);

    // The same class again is harmless; another class of a known name is refused.
    EXPECT_NO_THROW(RegisterPersistentClass(TTestItem::StaticClassInfo()));
    static const TClassInfo impostor("TTestItem", &TComponent::StaticClassInfo(), &CreateComponentOf<TComponent>,
                                     nullptr);
    EXPECT_THROW(RegisterPersistentClass(impostor), EFilerError);
    EXPECT_EQ(&TTestItem::StaticClassInfo(), GetClass("TTestItem"));

    std::unique_ptr<TComponent> made(FindClass("TTestItem").CreateComponent(nullptr));
    EXPECT_STREQ("TTestItem", made->ClassName());
    EXPECT_TRUE(FindClass("TTestItem").InheritsFrom(TComponent::StaticClassInfo()));
    EXPECT_TRUE(FindClass("TTestItem").IsComponentClass());
    EXPECT_FALSE(TTestFont::StaticClassInfo().IsComponentClass());
}

TEST_F(Streaming, PropertyTablesInheritAndKeepTheirOrder) {
    const TPropList& props = TTestItem::StaticClassInfo().Properties();
    ASSERT_GE(props.size(), 3u);
    EXPECT_EQ("Name", props[0].Name);  // the parent's come first
    EXPECT_EQ("Tag", props[1].Name);
    EXPECT_EQ("Width", props[2].Name);
    EXPECT_NE(nullptr, TTestItem::StaticClassInfo().FindProperty("masked"));
    EXPECT_EQ(nullptr, TComponent::StaticClassInfo().FindProperty("Masked"));
}

TEST_F(Streaming, RoundTripKeepsEveryKindOfValue) {
    std::unique_ptr<TComponent> read = ReadResource(SampleResource());
    auto* root = dynamic_cast<TTestItem*>(read.get());
    ASSERT_NE(nullptr, root);
    EXPECT_EQ("Form1", root->Name());
    EXPECT_EQ("Root", root->Caption());
    ASSERT_EQ(2, root->ComponentCount());
    auto* a = dynamic_cast<TTestItem*>(root->FindComponent("ItemA"));
    auto* b = dynamic_cast<TTestItem*>(root->FindComponent("ItemB"));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(-129, a->Width());
    EXPECT_FALSE(a->Masked());
    EXPECT_EQ(tkThird, a->Kind());
    EXPECT_EQ(0b101u, a->Options());
    EXPECT_EQ(std::string(300, 'x'), a->Caption());
    EXPECT_EQ(0xFFFFFFFFu, a->Count());
    EXPECT_EQ(40000, a->Font()->Size());
    EXPECT_EQ((Bytes{1, 2, 3}), a->Font()->data);
    EXPECT_EQ(24, a->DesignLeft);
    EXPECT_EQ(-8, a->DesignTop);
    EXPECT_EQ(b, a->Link());  // a reference to a later sibling
    EXPECT_EQ(root, b->Link());
    EXPECT_EQ(-(int64_t(1) << 40), b->Big());
    EXPECT_EQ(16, b->Width());
    EXPECT_TRUE(b->Masked());
    EXPECT_EQ(200u, b->Count());
}

TEST_F(Streaming, DefaultsAndUnstoredPropertiesAreLeftOut) {
    TTestItem item(nullptr);
    item.SetName("Plain");
    item.SetSecret("never written");
    TMemoryStream stream;
    WriteComponent(stream, &item);
    const Bytes expected = ByteWriter().Raw("TPF0").Str("TTestItem").Str("Plain").U8(0).U8(0).bytes;
    EXPECT_EQ(expected, stream.Bytes());
}

TEST_F(Streaming, WritesTheBytesOfAPictureCollectionFile) {
    TTestImageList list(nullptr);
    list.SetName("ImageListForMessages");
    list.allocBy = 1;
    list.height = 32;
    list.width = 32;
    list.masked = false;
    list.bitmap = {'I', 'L', 1, 1};
    TMemoryStream stream;
    WriteComponentRes(stream, list.ClassName(), &list);

    const Bytes body = ByteWriter()
                           .Raw("TPF0")
                           .Str("TTestImageList")
                           .Str("ImageListForMessages")
                           .Str("AllocBy").U8(0x02).U8(1)
                           .Str("Height").U8(0x02).U8(32)
                           .Str("Masked").U8(0x08)
                           .Str("Width").U8(0x02).U8(32)
                           .Str("Bitmap").U8(0x0A).U32(4).Raw("IL").U8(1).U8(1)
                           .U8(0)
                           .U8(0)
                           .bytes;
    Bytes expected = ByteWriter().U8(0xFF).U16(10).Raw("TTESTIMAGELIST").U8(0).U16(0x1030).U32(uint32_t(body.size())).bytes;
    expected.insert(expected.end(), body.begin(), body.end());
    EXPECT_EQ(expected, stream.Bytes());

    // Read back into a given list, with the design position present in any width.
    TTestImageList other(nullptr);
    TMemoryStream in;
    Fill(in, expected);
    EXPECT_EQ(&other, ReadComponentRes(in, &other));
    EXPECT_EQ("ImageListForMessages", other.Name());
    EXPECT_EQ(1, other.allocBy);
    EXPECT_EQ(32, other.height);
    EXPECT_FALSE(other.masked);
    EXPECT_EQ(list.bitmap, other.bitmap);
    EXPECT_FALSE(other.HasState(csLoading));
}

TEST_F(Streaming, ReadsEveryIntegerWidthAndStringForm) {
    const Bytes stream = ByteWriter()
                             .Raw("TPF0")
                             .Str("TTestItem")
                             .Str("X")
                             .Str("Left").U8(0x04).U32(70000)       // Int32
                             .Str("Top").U8(0x13).U32(5).U32(0)     // Int64 that fits
                             .Str("Width").U8(0x03).U16(0xFFFE)     // Int16 -2
                             .Str("Caption").U8(0x12).U32(2).U16('h').U16('i')  // wide
                             .Str("Font.Size").U8(0x02).U8(0x80)    // Int8 -128
                             .U8(0)
                             .U8(0)
                             .bytes;
    TMemoryStream in;
    Fill(in, stream);
    std::unique_ptr<TComponent> read(ReadComponent(in, nullptr));
    auto* item = dynamic_cast<TTestItem*>(read.get());
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(70000, item->DesignLeft);
    EXPECT_EQ(5, item->DesignTop);
    EXPECT_EQ(-2, item->Width());
    EXPECT_EQ("hi", item->Caption());
    EXPECT_EQ(-128, item->Font()->Size());

    const Bytes utf8 = ByteWriter().Raw("TPF0").Str("TTestItem").Str("").Str("Caption").U8(0x14).U32(2).Raw("ab").U8(0).U8(0).bytes;
    TMemoryStream in2;
    Fill(in2, utf8);
    std::unique_ptr<TComponent> read2(ReadComponent(in2, nullptr));
    EXPECT_EQ("ab", static_cast<TTestItem*>(read2.get())->Caption());
}

TEST_F(Streaming, SettersRunWhileLoadingAndLoadedRunsAfterTheWholeRoot) {
    const Bytes sample = SampleResource();
    TTestItem::log.clear();
    std::unique_ptr<TComponent> read = ReadResource(sample);
    // Every setter saw loading and reading; Loaded came after all of them, root first,
    // with references already resolved.
    EXPECT_EQ((std::vector<std::string>{"Width loading reading", "Loaded Form1", "Loaded ItemA link=ItemB",
                                        "Loaded ItemB link=Form1"}),
              TTestItem::log);
    for (int i = 0; i < read->ComponentCount(); ++i) EXPECT_EQ(0u, read->Components(i)->ComponentState());
    EXPECT_EQ(0u, read->ComponentState());
}

TEST_F(Streaming, ReadingIntoAGivenRootKeepsItAndChecksTheClass) {
    TTestItem root(nullptr);
    root.SetName("Mine");
    TMemoryStream in;
    Fill(in, SampleResource());
    EXPECT_EQ(&root, ReadComponentRes(in, &root));
    EXPECT_EQ("Form1", root.Name());
    EXPECT_EQ(2, root.ComponentCount());

    // A list is not an item: its stream does not go into one.
    TTestImageList list(nullptr);
    TMemoryStream in2;
    Fill(in2, SampleResource());
    EXPECT_THROW(ReadComponentRes(in2, &list), EReadError);
    EXPECT_EQ(0, list.ComponentCount());
    EXPECT_EQ(0u, list.ComponentState());
}

TEST_F(Streaming, UnknownPropertiesAreRefusedUnlessTheErrorHandlerSkipsThem) {
    const Bytes bytes = ByteWriter()
                            .Raw("TPF0")
                            .Str("TTestItem")
                            .Str("X")
                            .Str("Colour").U8(0x0A).U32(3).U8(1).U8(2).U8(3)
                            .Str("Width").U8(0x06).Str("wide")  // wrong type
                            .Str("Masked").U8(0x08)
                            .U8(0)
                            .U8(0)
                            .bytes;
    TMemoryStream in;
    Fill(in, bytes);
    try {
        ReadComponent(in, nullptr);
        FAIL() << "an unknown property was accepted";
    } catch (const EReadError& e) {
        EXPECT_EQ("Property Colour does not exist", e.Message());
    }

    TMemoryStream in2;
    Fill(in2, bytes);
    TReader reader(in2);
    std::vector<std::string> errors;
    reader.OnError = [&](const std::string& message) {
        errors.push_back(message);
        return true;
    };
    std::unique_ptr<TComponent> read(reader.ReadRootComponent(nullptr));
    auto* item = static_cast<TTestItem*>(read.get());
    EXPECT_EQ(2u, errors.size());
    EXPECT_EQ(16, item->Width());
    EXPECT_FALSE(item->Masked());  // reading went on after the skipped values
}

TEST_F(Streaming, RefusesValuesOfTheWrongShape) {
    auto readWith = [](const std::string& prop, const Bytes& value) {
        ByteWriter w;
        w.Raw("TPF0").Str("TTestItem").Str("X").Str(prop);
        w.bytes.insert(w.bytes.end(), value.begin(), value.end());
        w.U8(0).U8(0);
        TMemoryStream in;
    Fill(in, w.bytes);
        std::unique_ptr<TComponent> read(ReadComponent(in, nullptr));
    };
    EXPECT_NO_THROW(readWith("Kind", ByteWriter().U8(0x07).Str("TKSECOND").bytes));
    EXPECT_THROW(readWith("Kind", ByteWriter().U8(0x07).Str("tkFourth").bytes), EReadError);
    EXPECT_THROW(readWith("Kind", ByteWriter().U8(0x02).U8(1).bytes), EReadError);
    EXPECT_THROW(readWith("Options", ByteWriter().U8(0x0B).Str("toZ").Str("").bytes), EReadError);
    EXPECT_THROW(readWith("Count", ByteWriter().U8(0x02).U8(0xFF).bytes), EReadError);  // -1 is no cardinal
    EXPECT_THROW(readWith("Width", ByteWriter().U8(0x13).U32(0).U32(1).bytes), EReadError);  // beyond 32 bits
    EXPECT_THROW(readWith("Masked", ByteWriter().U8(0x02).U8(1).bytes), EReadError);
    EXPECT_THROW(readWith("Font", ByteWriter().U8(0x02).U8(1).bytes), EReadError);
    EXPECT_THROW(readWith("Font.Nothing", ByteWriter().U8(0x02).U8(1).bytes), EReadError);
    EXPECT_THROW(readWith("Width", ByteWriter().U8(0x16).bytes), EReadError);  // no such tag
    // A reference to a component of the wrong class.
    ByteWriter w;
    w.Raw("TPF0").Str("TTestItem").Str("Root").Str("Link").U8(0x07).Str("List").U8(0);
    w.Str("TTestImageList").Str("List").U8(0).U8(0).U8(0);
    TMemoryStream in;
    Fill(in, w.bytes);
    EXPECT_THROW(ReadComponent(in, nullptr), EReadError);
    // A reference outside the stream stays unset.
    EXPECT_NO_THROW(readWith("Link", ByteWriter().U8(0x07).Str("Elsewhere").bytes));
}

TEST_F(Streaming, RefusesUnknownClassesDuplicatesAndDeepNesting) {
    TMemoryStream unknown;
    Fill(unknown, ByteWriter().Raw("TPF0").Str("TNoSuchThing").Str("X").U8(0).U8(0).bytes);
    EXPECT_THROW(ReadComponent(unknown, nullptr), EClassNotFound);

    ByteWriter twice;
    twice.Raw("TPF0").Str("TTestItem").Str("Root").U8(0);
    twice.Str("TTestItem").Str("Same").U8(0).U8(0);
    twice.Str("TTestItem").Str("Same").U8(0).U8(0);
    twice.U8(0);
    TMemoryStream dup;
    Fill(dup, twice.bytes);
    EXPECT_THROW(ReadComponent(dup, nullptr), EReadError);

    ByteWriter deep;
    deep.Raw("TPF0");
    for (int i = 0; i < 1000; ++i) deep.Str("TTestItem").Str("N" + std::to_string(i)).U8(0);
    for (int i = 0; i < 2000; ++i) deep.U8(0);
    TMemoryStream nested;
    Fill(nested, deep.bytes);
    EXPECT_THROW(ReadComponent(nested, nullptr), EReadError);

    TMemoryStream badName;
    Fill(badName, ByteWriter().Raw("TPF0").Str("TTestItem").Str("1st").U8(0).U8(0).bytes);
    EXPECT_THROW(ReadComponent(badName, nullptr), EReadError);
    TMemoryStream badSignature;
    Fill(badSignature, ByteWriter().Raw("TPF1").Str("TTestItem").Str("X").U8(0).U8(0).bytes);
    EXPECT_THROW(ReadComponent(badSignature, nullptr), EReadError);
}

TEST_F(Streaming, EveryTruncationIsRefusedWithoutLeaks) {
    const Bytes whole = SampleResource();
    for (size_t length = 0; length < whole.size(); ++length) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_THROW(ReadResource(cut), EReadError) << "cut at " << length;
        ASSERT_EQ(m_live, TTestItem::live) << "cut at " << length;
    }
    // A header that promises more than there is, and a block that ends too early.
    const size_t sizeAt = 1 + 2 + 10 + 2;  // after FF, the type, "TTESTITEM\0" and the flags
    uint32_t size = 0;
    std::memcpy(&size, &whole[sizeAt], 4);
    Bytes longer = whole;
    const uint32_t more = size + 1;
    std::memcpy(&longer[sizeAt], &more, 4);
    EXPECT_THROW(ReadResource(longer), EReadError);
    Bytes shorter = whole;
    const uint32_t less = size - 1;
    std::memcpy(&shorter[sizeAt], &less, 4);
    EXPECT_THROW(ReadResource(shorter), EReadError);
    EXPECT_EQ(m_live, TTestItem::live);
}

TEST_F(Streaming, CorruptedBytesNeverCrashOrLeak) {
    const Bytes whole = SampleResource();
    const uint8_t replacements[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, 0x0A, 0x12};
    int refused = 0;
    for (size_t at = 0; at < whole.size(); ++at) {
        for (uint8_t value : replacements) {
            if (whole[at] == value) continue;
            Bytes bad = whole;
            bad[at] = value;
            try {
                ReadResource(bad);
            } catch (const Exception&) {
                ++refused;
            }
            ASSERT_EQ(m_live, TTestItem::live) << "byte " << at << " = " << int(value);
        }
    }
    EXPECT_GT(refused, 0);
    // Huge lengths are refused before anything is allocated for them.
    const Bytes huge = ByteWriter()
                           .Raw("TPF0")
                           .Str("TTestItem")
                           .Str("X")
                           .Str("Font.Data").U8(0x0A).U32(0x7FFFFFFF)
                           .bytes;
    TMemoryStream in;
    Fill(in, huge);
    EXPECT_THROW(ReadComponent(in, nullptr), EReadError);
    const Bytes wide = ByteWriter().Raw("TPF0").Str("TTestItem").Str("X").Str("Caption").U8(0x12).U32(0x40000000).bytes;
    TMemoryStream in2;
    Fill(in2, wide);
    EXPECT_THROW(ReadComponent(in2, nullptr), EReadError);
}

TEST_F(Streaming, SkipValueJumpsOverEveryTag) {
    const Bytes values = ByteWriter()
                             .U8(0x01).U8(0x02).U8(5).U8(0x06).Str("ab").U8(0x00)              // list
                             .U8(0x05).Raw(std::string(10, '\0'))                              // extended
                             .U8(0x0B).Str("a").Str("b").Str("")                               // set
                             .U8(0x0E).U8(0x02).U8(1).U8(0x01).Str("P").U8(0x09).U8(0).U8(0)  // collection
                             .U8(0x12).U32(1).U16('w')                                         // wide
                             .U8(0x11).Raw(std::string(8, '\0'))                               // date
                             .U8(0x09)
                             .bytes;
    TMemoryStream in;
    Fill(in, values);
    TReader reader(in);
    for (int i = 0; i < 6; ++i) reader.SkipValue();
    EXPECT_TRUE(reader.ReadBoolean());
    EXPECT_EQ(0, in.Remaining());
}

TEST_F(Streaming, ResourceFilesAreReplacedWholeOrNotAtAll) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string file = std::string(folder) + "qr_streaming_test_" + std::to_string(GetCurrentProcessId()) + ".bin";
    TTestItem item(nullptr);
    item.SetName("Saved");
    item.SetWidth(99);
    WriteComponentResFile(file, &item);
    std::unique_ptr<TComponent> read(ReadComponentResFile(file, nullptr));
    EXPECT_EQ(99, static_cast<TTestItem*>(read.get())->Width());

    // A writer that fails part-way leaves the old file as it was, and no temporary file.
    TMemoryStream before;
    before.LoadFromFile(file);
    struct FailingList : TTestImageList {
        FailingList() : TTestImageList(nullptr) {}
        void DefineProperties(TFiler& filer) override {
            filer.DefineProperty(
                "Boom", nullptr, [](TWriter&) { throw EWriteError("disk full"); }, true);
        }
    } broken;
    EXPECT_THROW(WriteComponentResFile(file, &broken), EWriteError);
    TMemoryStream after;
    after.LoadFromFile(file);
    EXPECT_EQ(before.Bytes(), after.Bytes());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((file + ".new").c_str()));

    EXPECT_THROW(ReadComponentResFile(file + ".missing", nullptr), EFOpenError);
    DeleteFileA(file.c_str());
}

TEST(MemoryStream, ReadsWritesSeeksAndRefusesShortReads) {
    TMemoryStream stream;
    stream.WriteBuffer("abcdef", 6);
    EXPECT_EQ(6, stream.Size());
    stream.SetPosition(2);
    char buffer[8] = {};
    stream.ReadBuffer(buffer, 3);
    EXPECT_STREQ("cde", buffer);
    EXPECT_EQ(1, stream.Remaining());
    EXPECT_THROW(stream.ReadBuffer(buffer, 2), EReadError);
    EXPECT_THROW(stream.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
    stream.SetPosition(8);  // past the end: a write fills the gap
    stream.WriteBuffer("z", 1);
    EXPECT_EQ(9, stream.Size());
    EXPECT_EQ(0, stream.Memory()[6]);

    TMemoryStream copy;
    copy.CopyFrom(stream, 0);
    EXPECT_EQ(stream.Bytes(), copy.Bytes());
}
