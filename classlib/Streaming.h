// Component streaming: class descriptors with their published properties, the
// register of classes that streams may name, and the reader and writer of
// component streams ("TPF0") and component-resource files.
//
// A class takes part by giving a static descriptor and returning it from
// ClassInfo():
//
//     const TClassInfo& TFoo::StaticClassInfo() {
//         static const TClassInfo info("TFoo", &TComponent::StaticClassInfo(), &CreateComponentOf<TFoo>,
//                                      [](TPropList& list) {
//                                          TPublished<TFoo>(list)
//                                              .Integer("Width", &TFoo::Width, &TFoo::SetWidth, 32)
//                                              .Boolean("Masked", &TFoo::Masked, &TFoo::SetMasked, true);
//                                      });
//         return info;
//     }
//
// Published properties are written in table order, the parent's first, and only
// when their stored predicate holds and their value differs from the default.
// Properties a table cannot describe (binary data, design positions) come from
// DefineProperties and follow the published ones.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Streams.h"

class TReader;
class TWriter;

//--- Published properties

enum class TPropKind {
    pkInteger,      // a whole number within [MinValue, MaxValue]
    pkBoolean,      // false or true
    pkEnumeration,  // one of Names, by ordinal
    pkSet,          // a bit set over Names (bit n = Names[n])
    pkString,       // an 8-bit string
    pkObject,       // an owned sub-object; its properties are streamed as "Name.Sub"
    pkComponent,    // a reference to another component, streamed by name
};

// One published property: how to read, write and compare it.
struct TPropInfo {
    std::string Name;
    TPropKind Kind = TPropKind::pkInteger;
    std::vector<std::string> Names;  // members of an enumeration or set
    int64_t MinValue = INT32_MIN;
    int64_t MaxValue = INT32_MAX;
    bool HasDefault = false;  // false: written whatever the value
    int64_t Default = 0;      // for ordinal kinds
    // For integers of a named type ("TColor"): the type whose registered
    // converters let the value be streamed as an identifier.
    std::string IntegerType;

    std::function<int64_t(const TPersistent&)> GetOrd;
    std::function<void(TPersistent&, int64_t)> SetOrd;
    std::function<std::string(const TPersistent&)> GetStr;
    std::function<void(TPersistent&, const std::string&)> SetStr;
    std::function<TPersistent*(const TPersistent&)> GetObj;  // sub-object, or the referenced component
    std::function<bool(TPersistent&, TComponent*)> SetRef;   // false when the component is of the wrong class
    std::function<bool(const TPersistent&)> Stored;          // empty: always stored

    bool IsStored(const TPersistent& instance) const { return !Stored || Stored(instance); }
    bool IsReadable() const;  // a reader can set it
    // Whether the writer leaves the value out (it equals the default or is empty).
    bool IsDefaultValue(const TPersistent& instance) const;
};

using TPropList = std::vector<TPropInfo>;

// Builds the published properties of class C into a list. Getters and setters may
// be member functions of C or anything callable with a C& (const C& for getters).
template <class C>
class TPublished {
public:
    explicit TPublished(TPropList& list) : m_list(list) {}

    template <class G, class S>
    TPublished& Integer(const char* name, G get, S set, int64_t defaultValue) {
        return Integer(name, get, set, defaultValue, INT32_MIN, INT32_MAX);
    }
    // A colour (TColor): streamed by name when a colour converter knows one.
    template <class G, class S>
    TPublished& Color(const char* name, G get, S set, int32_t defaultValue) {
        Integer(name, get, set, defaultValue);
        m_list.back().IntegerType = "TColor";
        return *this;
    }
    // An unsigned 32-bit number.
    template <class G, class S>
    TPublished& Cardinal(const char* name, G get, S set, int64_t defaultValue) {
        return Integer(name, get, set, defaultValue, 0, UINT32_MAX);
    }
    template <class G, class S>
    TPublished& Integer(const char* name, G get, S set, int64_t defaultValue, int64_t minValue, int64_t maxValue) {
        return Ordinal(name, TPropKind::pkInteger, get, set, defaultValue, minValue, maxValue, {});
    }
    template <class G, class S>
    TPublished& Boolean(const char* name, G get, S set, bool defaultValue) {
        return Ordinal(name, TPropKind::pkBoolean, get, set, defaultValue ? 1 : 0, 0, 1, {});
    }
    // An enumeration whose ordinals 0.. are named by names.
    template <class G, class S>
    TPublished& Enumeration(const char* name, G get, S set, std::vector<std::string> names, int64_t defaultValue) {
        const int64_t maxValue = static_cast<int64_t>(names.size()) - 1;
        return Ordinal(name, TPropKind::pkEnumeration, get, set, defaultValue, 0, maxValue, std::move(names));
    }
    // A set as a bit mask: bit n stands for names[n] (at most 32 members).
    template <class G, class S>
    TPublished& Set(const char* name, G get, S set, std::vector<std::string> names, uint32_t defaultValue) {
        return Ordinal(name, TPropKind::pkSet, get, set, defaultValue, 0, UINT32_MAX, std::move(names));
    }
    template <class G, class S>
    TPublished& String(const char* name, G get, S set) {
        TPropInfo& p = Add(name, TPropKind::pkString);
        p.GetStr = [get](const TPersistent& o) { return std::string(std::invoke(get, static_cast<const C&>(o))); };
        p.SetStr = [set](TPersistent& o, const std::string& v) { std::invoke(set, static_cast<C&>(o), v); };
        return *this;
    }
    // An owned sub-object (a font, an icon): never replaced, only its properties are streamed.
    template <class G>
    TPublished& Object(const char* name, G get) {
        TPropInfo& p = Add(name, TPropKind::pkObject);
        p.GetObj = [get](const TPersistent& o) -> TPersistent* {
            return std::invoke(get, static_cast<const C&>(o));
        };
        return *this;
    }
    // A reference to a component of class R (or a descendant), streamed by its name.
    template <class R, class G, class S>
    TPublished& Component(const char* name, G get, S set) {
        TPropInfo& p = Add(name, TPropKind::pkComponent);
        p.GetObj = [get](const TPersistent& o) -> TPersistent* {
            return std::invoke(get, static_cast<const C&>(o));
        };
        p.SetRef = [set](TPersistent& o, TComponent* value) {
            R* typed = dynamic_cast<R*>(value);
            if (value && !typed) return false;
            std::invoke(set, static_cast<C&>(o), typed);
            return true;
        };
        return *this;
    }

    // Modifiers of the property added last.
    template <class P>
    TPublished& Stored(P predicate) {
        m_list.back().Stored = [predicate](const TPersistent& o) {
            return static_cast<bool>(std::invoke(predicate, static_cast<const C&>(o)));
        };
        return *this;
    }
    TPublished& NeverStored() {
        m_list.back().Stored = [](const TPersistent&) { return false; };
        return *this;
    }
    // Written whatever its value.
    TPublished& NoDefault() {
        m_list.back().HasDefault = false;
        return *this;
    }

private:
    TPropInfo& Add(const char* name, TPropKind kind) {
        m_list.emplace_back();
        m_list.back().Name = name;
        m_list.back().Kind = kind;
        return m_list.back();
    }
    template <class G, class S>
    TPublished& Ordinal(const char* name, TPropKind kind, G get, S set, int64_t defaultValue, int64_t minValue,
                        int64_t maxValue, std::vector<std::string> names) {
        TPropInfo& p = Add(name, kind);
        p.MinValue = minValue;
        p.MaxValue = maxValue;
        p.Names = std::move(names);
        p.HasDefault = true;
        p.Default = defaultValue;
        // The setter takes what the getter gives (an int, a bool, an enumeration).
        using Value = std::decay_t<decltype(std::invoke(get, std::declval<const C&>()))>;
        p.GetOrd = [get](const TPersistent& o) {
            return static_cast<int64_t>(std::invoke(get, static_cast<const C&>(o)));
        };
        p.SetOrd = [set](TPersistent& o, int64_t v) { std::invoke(set, static_cast<C&>(o), static_cast<Value>(v)); };
        return *this;
    }

    TPropList& m_list;
};

//--- Class descriptors and the class register

using TComponentFactory = TComponent* (*)(TComponent* owner);

template <class C>
TComponent* CreateComponentOf(TComponent* owner) {
    return new C(owner);
}

// What streaming knows of a class: its name, its parent, how to make one, and its
// published properties (the parent's first; a property of the same name as the
// parent's replaces it in place).
class TClassInfo {
public:
    TClassInfo(const char* name, const TClassInfo* parent, TComponentFactory factory,
               const std::function<void(TPropList&)>& defineOwn);
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    const std::string& Name() const { return m_name; }
    const TClassInfo* Parent() const { return m_parent; }
    bool InheritsFrom(const TClassInfo& other) const;
    bool IsComponentClass() const;
    // A new instance owned by owner; raises EFilerError for a class that cannot be made.
    TComponent* CreateComponent(TComponent* owner) const;

    const TPropList& Properties() const { return m_properties; }
    // The published property of that name (case-insensitive), or null.
    const TPropInfo* FindProperty(const std::string& name) const;

private:
    std::string m_name;
    const TClassInfo* m_parent;
    TComponentFactory m_factory;
    TPropList m_properties;
};

// Raised when a stream names a class that is not registered.
class EClassNotFound : public EFilerError {
public:
    using EFilerError::EFilerError;
};

// Makes a class findable by name. The same class again does nothing; another class
// of a name already known raises EFilerError.
void RegisterPersistentClass(const TClassInfo& info);
void RegisterPersistentClasses(std::initializer_list<const TClassInfo*> classes);
void UnRegisterPersistentClass(const TClassInfo& info);
// The registered class of that name (case-insensitive), or null.
const TClassInfo* GetClass(const std::string& name);
// The registered class of that name; raises EClassNotFound ("Class %s not found").
const TClassInfo& FindClass(const std::string& name);
// Every registered class, in the order of registration.
std::vector<const TClassInfo*> RegisteredClasses();

//--- Integer identifiers

// Converters between the identifiers of an integer type and its values
// ("clRed" and 0x0000FF for TColor); false when they do not know the argument.
using TIdentToInt = bool (*)(const std::string& ident, int32_t& value);
using TIntToIdent = bool (*)(int32_t value, std::string& ident);

// Lets properties of the named integer type be streamed by identifier. The pair
// registered last is asked first, so a later pair may extend an earlier one.
void RegisterIntegerConsts(const std::string& typeName, TIdentToInt identToInt, TIntToIdent intToIdent);
// Removes that pair (the earlier ones stay).
void UnRegisterIntegerConsts(const std::string& typeName, TIdentToInt identToInt, TIntToIdent intToIdent);
// The converters now in force for the type, or null.
TIdentToInt FindIdentToInt(const std::string& typeName);
TIntToIdent FindIntToIdent(const std::string& typeName);

//--- Reader and writer

// The one-byte tags that precede every value in a component stream.
enum class TValueType : uint8_t {
    vaNull = 0,  // end of a list
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,  // 10-byte floating point
    vaString = 6,    // length byte, then the characters
    vaIdent = 7,     // likewise
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,  // 32-bit length, then the bytes
    vaSet = 11,     // names as short strings, ended by an empty one
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,  // 32-bit count of UTF-16 units, then the units
    vaInt64 = 19,
    vaUTF8String = 20,
    vaDouble = 21,
};

// What the reader and the writer share: the root of the stream and the definition
// of properties that no table describes (TPersistent::DefineProperties).
class TFiler : public TObject {
public:
    using TReaderProc = std::function<void(TReader&)>;
    using TWriterProc = std::function<void(TWriter&)>;
    using TStreamProc = std::function<void(TStream&)>;

    explicit TFiler(TStream& stream) : m_stream(stream) {}
    TComponent* Root() const { return m_root; }
    TStream& Stream() { return m_stream; }

    // A property streamed by its own routines; hasData tells the writer whether to write it.
    virtual void DefineProperty(const std::string& name, const TReaderProc& read, const TWriterProc& write,
                                bool hasData) = 0;
    // A property held as a block of bytes (vaBinary).
    virtual void DefineBinaryProperty(const std::string& name, const TStreamProc& read, const TStreamProc& write,
                                      bool hasData) = 0;

protected:
    TStream& m_stream;
    TComponent* m_root = nullptr;
};

// Reads a component stream. Every length in the stream is checked against what is
// left of it, so a damaged stream raises EReadError instead of reading past its end;
// whatever the reader created before the failure is freed again.
class TReader : public TFiler {
public:
    explicit TReader(TStream& stream) : TFiler(stream) {}
    const char* ClassName() const override { return "TReader"; }

    // Called for a property that cannot be read (unknown, or of the wrong type) with
    // the message; returning true skips the value and reading goes on.
    std::function<bool(const std::string& message)> OnError;

    // Reads "TPF0" and the root component with everything it holds. With root null
    // the class named in the stream is created (it must be registered) and returned;
    // otherwise the stream's properties go into root, whose class must be the stream's
    // class or derive from it. Component references are resolved, then Loaded runs on
    // every component read, in reading order.
    TComponent* ReadRootComponent(TComponent* root);

    TValueType ReadValue();
    TValueType NextValue();
    void CheckValue(TValueType expected);
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();
    // Any integer tag (8, 16, 32 or 64 bits).
    int64_t ReadInt64();
    // An integer tag whose value fits 32 bits.
    int32_t ReadInteger();
    bool ReadBoolean();
    // Any of the string tags; wide and UTF-8 strings come back in the ANSI code page.
    std::string ReadString();
    // An identifier, or the names of the special tags ("False", "True", "nil", "Null").
    std::string ReadIdent();
    // A length byte and that many characters.
    std::string ReadStr();
    void ReadSignature();
    // Jumps over one value of any tag.
    void SkipValue();

    void DefineProperty(const std::string& name, const TReaderProc& read, const TWriterProc& write,
                        bool hasData) override;
    void DefineBinaryProperty(const std::string& name, const TStreamProc& read, const TStreamProc& write,
                              bool hasData) override;

private:
    struct Fixup {
        TPersistent* instance;
        const TPropInfo* property;
        std::string name;
    };

    TComponent* ReadComponent(TComponent* parent, TComponent* existing, int depth);
    void ReadProperties(TComponent* component);
    void ReadProperty(TPersistent* instance);
    void ReadPropValue(TPersistent& instance, const TPropInfo& property);
    void ResolveFixups();
    uint8_t ReadByte();
    int32_t ReadLength();  // a 32-bit length no larger than what is left
    void SkipBytes(int64_t count);
    void SkipValue(int depth);
    [[noreturn]] void Fail(const std::string& message);

    std::vector<TComponent*> m_loaded;   // every component read, in order
    std::vector<TComponent*> m_created;  // those the reader made itself
    std::vector<Fixup> m_fixups;
    std::string m_propName;  // the defined property being looked for
    bool m_propFound = false;
    bool m_hasPeek = false;
    uint8_t m_peek = 0;
};

// Writes a component stream.
class TWriter : public TFiler {
public:
    explicit TWriter(TStream& stream) : TFiler(stream) {}
    const char* ClassName() const override { return "TWriter"; }

    // "TPF0" and root with its properties and children.
    void WriteRootComponent(TComponent* root);
    void WriteComponent(TComponent* component);

    void WriteValue(TValueType value);
    void WriteListBegin();
    void WriteListEnd();
    // The smallest integer tag that holds value.
    void WriteInteger(int64_t value);
    void WriteBoolean(bool value);
    // vaString up to 255 characters, vaLString beyond.
    void WriteString(const std::string& value);
    // "False", "True", "nil" and "Null" become their tags; anything else vaIdent.
    void WriteIdent(const std::string& ident);
    void WriteStr(const std::string& value);  // a length byte and the characters
    void WriteSignature();

    void DefineProperty(const std::string& name, const TReaderProc& read, const TWriterProc& write,
                        bool hasData) override;
    void DefineBinaryProperty(const std::string& name, const TStreamProc& read, const TStreamProc& write,
                              bool hasData) override;

private:
    void WriteProperties(TPersistent& instance);
    void WriteProperty(TPersistent& instance, const TPropInfo& property);
    void WritePropName(const std::string& name);
    std::string ReferenceName(TComponent* component) const;

    std::string m_propPath;  // "Icon." while a sub-object's properties are written
};

//--- Whole streams and component-resource files

// The stream of one component, as TReader and TWriter make it.
TComponent* ReadComponent(TStream& stream, TComponent* instance);
void WriteComponent(TStream& stream, TComponent* instance);

// A component-resource block: the resource header (type RCDATA, the class name in
// upper case as the resource name, flags 0x1030, the size of the data) and the
// component stream. ReadComponentRes reads no further than the size the header gives.
TComponent* ReadComponentRes(TStream& stream, TComponent* instance);
void WriteComponentRes(TStream& stream, const std::string& resName, TComponent* instance);

// A file holding one component-resource block. The writer writes a temporary file
// beside the target and moves it over the old one, so a failure keeps the old file.
TComponent* ReadComponentResFile(const std::string& fileName, TComponent* instance);
void WriteComponentResFile(const std::string& fileName, TComponent* instance);
