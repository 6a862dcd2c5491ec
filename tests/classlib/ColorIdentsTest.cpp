// Colour names and the streaming of integer properties by identifier.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/Graphics.h"
#include "classlib/Streaming.h"

namespace {

// A component with one colour property.
class TColorItem : public TComponent {
public:
    using TComponent::TComponent;
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info("TColorItem", &TComponent::StaticClassInfo(), &CreateComponentOf<TColorItem>,
                                     [](TPropList& list) {
                                         TPublished<TColorItem>(list).Color(
                                             "Color", [](const TColorItem& c) { return c.color; },
                                             [](TColorItem& c, TColor v) { c.color = v; }, clWindow);
                                     });
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TColorItem"; }
    TColor color = clWindow;
};

std::string StreamText(TComponent& component) {
    TMemoryStream stream;
    WriteComponent(stream, &component);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

TColor RoundTrip(TColor color) {
    TColorItem item(nullptr);
    item.color = color;
    TMemoryStream stream;
    WriteComponent(stream, &item);
    stream.SetPosition(0);
    TColorItem read(nullptr);
    ReadComponent(stream, &read);
    return read.color;
}

// A pair that knows one more name, for the register's order.
bool ExtraIdentToInt(const std::string& ident, int32_t& value) {
    if (ident != "clExtra") return IdentToColor(ident, value);
    value = 0x123456;
    return true;
}
bool ExtraIntToIdent(int32_t value, std::string& ident) {
    if (value != 0x123456) return ColorToIdent(value, ident);
    ident = "clExtra";
    return true;
}

}  // namespace

TEST(ColorIdents, StandardNamesBothWaysWithoutRegardToCase) {
    std::string name;
    ASSERT_TRUE(ColorToIdent(clRed, name));
    EXPECT_EQ("clRed", name);
    ASSERT_TRUE(ColorToIdent(clBtnFace, name));
    EXPECT_EQ("clBtnFace", name);
    TColor color = 0;
    ASSERT_TRUE(IdentToColor("CLBTNSHADOW", color));
    EXPECT_EQ(clBtnShadow, color);
    ASSERT_TRUE(IdentToColor("clNone", color));
    EXPECT_EQ(clNone, color);
    EXPECT_FALSE(ColorToIdent(0x123456, name));
    EXPECT_FALSE(IdentToColor("clNoSuchColour", color));

    EXPECT_EQ("clYellow", ColorToString(0x00FFFF));
    EXPECT_EQ("$00123456", ColorToString(0x123456));
    EXPECT_EQ("$80000063", ColorToString(static_cast<TColor>(0x80000063u)));
    EXPECT_EQ(0x0000FF, StringToColor("clred"));
    EXPECT_EQ(0x123456, StringToColor("$123456"));
    EXPECT_EQ(0x123456, StringToColor("1193046"));
    EXPECT_EQ(clBtnFace, StringToColor("-2147483633"));
    for (const char* bad : {"", "$", "$12345678A", "$xyz", "red", "12 "}) EXPECT_THROW(StringToColor(bad), EConvertError) << bad;

    std::vector<std::string> names;
    GetColorValues([&](const std::string& ident) { names.push_back(ident); });
    ASSERT_GE(names.size(), 40u);
    EXPECT_EQ("clBlack", names.front());
    for (const std::string& ident : names) {
        TColor value = 0;
        std::string back;
        ASSERT_TRUE(IdentToColor(ident, value)) << ident;
        ASSERT_TRUE(ColorToIdent(value, back)) << ident;
        EXPECT_EQ(ident, back) << "two names for one colour";
    }
}

TEST(ColorIdents, ColourPropertiesStreamByNameWhereOneExists) {
    RegisterPersistentClass(TColorItem::StaticClassInfo());
    TColorItem item(nullptr);
    item.color = clRed;
    EXPECT_NE(std::string::npos, StreamText(item).find("\x07\x05" "clRed"));
    item.color = 0x123456;
    EXPECT_EQ(std::string::npos, StreamText(item).find("cl"));
    item.color = clWindow;
    EXPECT_EQ(std::string::npos, StreamText(item).find("\x05" "Color")) << "the default is left out";

    EXPECT_EQ(clRed, RoundTrip(clRed));
    EXPECT_EQ(clBtnFace, RoundTrip(clBtnFace));
    EXPECT_EQ(0x123456, RoundTrip(0x123456));
    EXPECT_EQ(static_cast<TColor>(0x80000063u), RoundTrip(static_cast<TColor>(0x80000063u)));

    // A pair registered later is asked first; removing it brings the earlier one back.
    RegisterIntegerConsts("TColor", &ExtraIdentToInt, &ExtraIntToIdent);
    EXPECT_EQ(&ExtraIdentToInt, FindIdentToInt("tcolor"));
    item.color = 0x123456;
    EXPECT_NE(std::string::npos, StreamText(item).find("clExtra"));
    EXPECT_EQ(0x123456, RoundTrip(0x123456));
    EXPECT_EQ(clRed, RoundTrip(clRed));
    UnRegisterIntegerConsts("TColor", &ExtraIdentToInt, &ExtraIntToIdent);
    EXPECT_EQ(&IdentToColor, FindIdentToInt("TColor"));
    EXPECT_EQ(&ColorToIdent, FindIntToIdent("TColor"));
    EXPECT_EQ(nullptr, FindIdentToInt("TCursor"));

    // A name no converter knows is refused.
    {
        TColorItem named(nullptr);
        named.SetName("Item");
        named.color = clRed;
        TMemoryStream stream;
        WriteComponent(stream, &named);
        std::vector<uint8_t> bytes = stream.Bytes();
        const std::string text(bytes.begin(), bytes.end());
        const size_t at = text.find("clRed");
        ASSERT_NE(std::string::npos, at);
        bytes[at + 2] = 'Q';  // "clQed"
        TMemoryStream damaged;
        damaged.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
        damaged.SetPosition(0);
        TColorItem read(nullptr);
        EXPECT_THROW(ReadComponent(damaged, &read), EReadError);
    }
    UnRegisterPersistentClass(TColorItem::StaticClassInfo());
}
