// Component streaming: class register, reader, writer, component resources.
#include "classlib/Streaming.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>

namespace {

const char kSignature[4] = {'T', 'P', 'F', '0'};
const char kInvalidFormat[] = "Invalid stream format";
const char kInvalidValue[] = "Invalid property value";
const char kReadErrorText[] = "Stream read error";

// Components inside components inside ...: a crafted stream must not run the stack out.
constexpr int kMaxDepth = 64;

// Prefix flags of a component header.
constexpr uint8_t kFilerFlagInherited = 0x01;
constexpr uint8_t kFilerFlagChildPos = 0x02;

// Component-resource header: type RCDATA as an ordinal, and the flags the class library writes.
constexpr uint16_t kResourceTypeRcData = 10;
constexpr uint16_t kResourceFlags = 0x1030;
constexpr size_t kMaxResourceName = 256;

// A little-endian value of fixed size, as the stream holds it.
template <class T>
T ReadRaw(TStream& stream) {
    T value = 0;
    stream.ReadBuffer(&value, sizeof value);
    return value;
}

template <class T>
void WriteRaw(TStream& stream, T value) {
    stream.WriteBuffer(&value, sizeof value);
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t dot = path.find('.', start);
        parts.push_back(path.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    return parts;
}

struct Register {
    std::mutex lock;
    std::vector<const TClassInfo*> classes;
};

Register& Classes() {
    static Register reg;
    return reg;
}

const TClassInfo* FindRegistered(const std::string& name) {
    for (const TClassInfo* info : Classes().classes)
        if (SameText(info->Name(), name)) return info;
    return nullptr;
}

// Sets a component state flag for as long as it lives.
class StateGuard {
public:
    StateGuard(TComponent* component, TComponentStateFlag flag) : m_component(component), m_flag(flag) {
        m_component->SetState(m_flag, true);
    }
    ~StateGuard() { m_component->SetState(m_flag, false); }
    StateGuard(const StateGuard&) = delete;
    StateGuard& operator=(const StateGuard&) = delete;

private:
    TComponent* m_component;
    TComponentStateFlag m_flag;
};

}  // namespace

//--- TPropInfo

bool TPropInfo::IsReadable() const {
    switch (Kind) {
        case TPropKind::pkString: return static_cast<bool>(SetStr);
        case TPropKind::pkObject: return false;
        case TPropKind::pkComponent: return static_cast<bool>(SetRef);
        default: return static_cast<bool>(SetOrd);
    }
}

bool TPropInfo::IsDefaultValue(const TPersistent& instance) const {
    switch (Kind) {
        case TPropKind::pkString: return GetStr(instance).empty();
        case TPropKind::pkObject: return GetObj(instance) == nullptr;
        case TPropKind::pkComponent: return GetObj(instance) == nullptr;
        default: return HasDefault && GetOrd(instance) == Default;
    }
}

//--- TClassInfo and the register

TClassInfo::TClassInfo(const char* name, const TClassInfo* parent, TComponentFactory factory,
                       const std::function<void(TPropList&)>& defineOwn)
    : m_name(name), m_parent(parent), m_factory(factory) {
    if (m_parent) m_properties = m_parent->m_properties;
    if (!defineOwn) return;
    TPropList own;
    defineOwn(own);
    for (TPropInfo& property : own) {
        auto same = std::find_if(m_properties.begin(), m_properties.end(),
                                 [&](const TPropInfo& p) { return SameText(p.Name, property.Name); });
        if (same != m_properties.end())
            *same = std::move(property);
        else
            m_properties.push_back(std::move(property));
    }
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* info = this; info; info = info->m_parent)
        if (info == &other) return true;
    return false;
}

bool TClassInfo::IsComponentClass() const {
    return InheritsFrom(TComponent::StaticClassInfo());
}

TComponent* TClassInfo::CreateComponent(TComponent* owner) const {
    if (!m_factory) throw EFilerError("Cannot create an instance of " + m_name);
    return m_factory(owner);
}

const TPropInfo* TClassInfo::FindProperty(const std::string& name) const {
    for (const TPropInfo& property : m_properties)
        if (SameText(property.Name, name)) return &property;
    return nullptr;
}

void RegisterPersistentClass(const TClassInfo& info) {
    std::lock_guard<std::mutex> hold(Classes().lock);
    const TClassInfo* known = FindRegistered(info.Name());
    if (known == &info) return;
    if (known) throw EFilerError("A class named " + info.Name() + " already exists");
    Classes().classes.push_back(&info);
}

void RegisterPersistentClasses(std::initializer_list<const TClassInfo*> classes) {
    for (const TClassInfo* info : classes)
        if (info) RegisterPersistentClass(*info);
}

void UnRegisterPersistentClass(const TClassInfo& info) {
    std::lock_guard<std::mutex> hold(Classes().lock);
    auto& classes = Classes().classes;
    classes.erase(std::remove(classes.begin(), classes.end(), &info), classes.end());
}

const TClassInfo* GetClass(const std::string& name) {
    std::lock_guard<std::mutex> hold(Classes().lock);
    return FindRegistered(name);
}

std::vector<const TClassInfo*> RegisteredClasses() {
    std::lock_guard<std::mutex> hold(Classes().lock);
    return Classes().classes;
}

const TClassInfo& FindClass(const std::string& name) {
    const TClassInfo* info = GetClass(name);
    if (!info) throw EClassNotFound("Class " + name + " not found");
    return *info;
}

//--- Integer identifiers

namespace {

struct IntegerConsts {
    std::string typeName;
    TIdentToInt identToInt;
    TIntToIdent intToIdent;
};

struct IntegerConstsRegister {
    std::mutex lock;
    std::vector<IntegerConsts> entries;
};

IntegerConstsRegister& IntegerConstsList() {
    static IntegerConstsRegister list;
    return list;
}

const IntegerConsts* FindIntegerConsts(const std::string& typeName) {
    const auto& entries = IntegerConstsList().entries;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (SameText(it->typeName, typeName)) return &*it;
    return nullptr;
}

}  // namespace

void RegisterIntegerConsts(const std::string& typeName, TIdentToInt identToInt, TIntToIdent intToIdent) {
    if (!identToInt || !intToIdent) return;
    std::lock_guard<std::mutex> hold(IntegerConstsList().lock);
    IntegerConstsList().entries.push_back({typeName, identToInt, intToIdent});
}

void UnRegisterIntegerConsts(const std::string& typeName, TIdentToInt identToInt, TIntToIdent intToIdent) {
    std::lock_guard<std::mutex> hold(IntegerConstsList().lock);
    auto& entries = IntegerConstsList().entries;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (SameText(it->typeName, typeName) && it->identToInt == identToInt && it->intToIdent == intToIdent) {
            entries.erase(std::next(it).base());
            return;
        }
    }
}

TIdentToInt FindIdentToInt(const std::string& typeName) {
    std::lock_guard<std::mutex> hold(IntegerConstsList().lock);
    const IntegerConsts* entry = FindIntegerConsts(typeName);
    return entry ? entry->identToInt : nullptr;
}

TIntToIdent FindIntToIdent(const std::string& typeName) {
    std::lock_guard<std::mutex> hold(IntegerConstsList().lock);
    const IntegerConsts* entry = FindIntegerConsts(typeName);
    return entry ? entry->intToIdent : nullptr;
}

//--- TReader: values

void TReader::Fail(const std::string& message) {
    throw EReadError(message);
}

uint8_t TReader::ReadByte() {
    return ReadRaw<uint8_t>(m_stream);
}

int32_t TReader::ReadLength() {
    const int32_t length = ReadRaw<int32_t>(m_stream);
    if (length < 0 || length > m_stream.Remaining()) Fail(kReadErrorText);
    return length;
}

void TReader::SkipBytes(int64_t count) {
    if (count < 0 || count > m_stream.Remaining()) Fail(kReadErrorText);
    m_stream.Seek(count, TSeekOrigin::soCurrent);
}

TValueType TReader::ReadValue() {
    const uint8_t tag = ReadByte();
    if (tag > static_cast<uint8_t>(TValueType::vaDouble)) Fail(kInvalidFormat);
    return static_cast<TValueType>(tag);
}

TValueType TReader::NextValue() {
    const TValueType value = ReadValue();
    m_stream.Seek(-1, TSeekOrigin::soCurrent);
    return value;
}

void TReader::CheckValue(TValueType expected) {
    if (ReadValue() != expected) Fail(kInvalidValue);
}

bool TReader::EndOfList() {
    // A length byte or a tag: either way 0 ends the list.
    uint8_t value = ReadByte();
    m_stream.Seek(-1, TSeekOrigin::soCurrent);
    return value == 0;
}

void TReader::ReadListBegin() {
    CheckValue(TValueType::vaList);
}

void TReader::ReadListEnd() {
    if (ReadByte() != 0) Fail(kInvalidFormat);
}

int64_t TReader::ReadInt64() {
    switch (ReadValue()) {
        case TValueType::vaInt8: return ReadRaw<int8_t>(m_stream);
        case TValueType::vaInt16: return ReadRaw<int16_t>(m_stream);
        case TValueType::vaInt32: return ReadRaw<int32_t>(m_stream);
        case TValueType::vaInt64: return ReadRaw<int64_t>(m_stream);
        default: Fail(kInvalidValue);
    }
}

int32_t TReader::ReadInteger() {
    const int64_t value = ReadInt64();
    if (value < INT32_MIN || value > INT32_MAX) Fail(kInvalidValue);
    return static_cast<int32_t>(value);
}

bool TReader::ReadBoolean() {
    const TValueType value = ReadValue();
    if (value != TValueType::vaFalse && value != TValueType::vaTrue) Fail(kInvalidValue);
    return value == TValueType::vaTrue;
}

std::string TReader::ReadStr() {
    const uint8_t length = ReadByte();
    std::string text(length, '\0');
    m_stream.ReadBuffer(&text[0], length);
    return text;
}

std::string TReader::ReadString() {
    const TValueType type = ReadValue();
    switch (type) {
        case TValueType::vaString: return ReadStr();
        case TValueType::vaLString:
        case TValueType::vaUTF8String: {
            const int32_t length = ReadLength();
            std::string text(static_cast<size_t>(length), '\0');
            m_stream.ReadBuffer(&text[0], length);
            return type == TValueType::vaUTF8String ? WideToAnsi(Utf8ToWide(text)) : text;
        }
        case TValueType::vaWString: {
            const int32_t units = ReadRaw<int32_t>(m_stream);
            if (units < 0 || int64_t(units) * 2 > m_stream.Remaining()) Fail(kReadErrorText);
            std::wstring text(static_cast<size_t>(units), L'\0');
            m_stream.ReadBuffer(&text[0], units * 2);
            return WideToAnsi(text);
        }
        default: Fail(kInvalidValue);
    }
}

std::string TReader::ReadIdent() {
    switch (ReadValue()) {
        case TValueType::vaIdent: return ReadStr();
        case TValueType::vaFalse: return "False";
        case TValueType::vaTrue: return "True";
        case TValueType::vaNil: return "nil";
        case TValueType::vaNull: return "Null";
        default: Fail(kInvalidValue);
    }
}

void TReader::ReadSignature() {
    char signature[4] = {};
    m_stream.ReadBuffer(signature, 4);
    if (std::memcmp(signature, kSignature, 4) != 0) Fail(kInvalidFormat);
}

void TReader::SkipValue() {
    SkipValue(0);
}

void TReader::SkipValue(int depth) {
    if (depth > kMaxDepth) Fail(kInvalidFormat);
    switch (ReadValue()) {
        case TValueType::vaNull:
        case TValueType::vaFalse:
        case TValueType::vaTrue:
        case TValueType::vaNil: return;
        case TValueType::vaList:
            while (!EndOfList()) SkipValue(depth + 1);
            ReadListEnd();
            return;
        case TValueType::vaInt8: SkipBytes(1); return;
        case TValueType::vaInt16: SkipBytes(2); return;
        case TValueType::vaInt32:
        case TValueType::vaSingle: SkipBytes(4); return;
        case TValueType::vaExtended: SkipBytes(10); return;
        case TValueType::vaInt64:
        case TValueType::vaCurrency:
        case TValueType::vaDate:
        case TValueType::vaDouble: SkipBytes(8); return;
        case TValueType::vaString:
        case TValueType::vaIdent: SkipBytes(ReadByte()); return;
        case TValueType::vaBinary:
        case TValueType::vaLString:
        case TValueType::vaUTF8String: SkipBytes(ReadLength()); return;
        case TValueType::vaWString: {
            const int32_t units = ReadRaw<int32_t>(m_stream);
            if (units < 0) Fail(kReadErrorText);
            SkipBytes(int64_t(units) * 2);
            return;
        }
        case TValueType::vaSet:
            while (!ReadStr().empty()) {
            }
            return;
        case TValueType::vaCollection:
            while (!EndOfList()) {
                const TValueType next = NextValue();
                if (next == TValueType::vaInt8 || next == TValueType::vaInt16 || next == TValueType::vaInt32)
                    SkipValue(depth + 1);  // the item's order
                ReadListBegin();
                while (!EndOfList()) {
                    ReadStr();
                    SkipValue(depth + 1);
                }
                ReadListEnd();
            }
            ReadListEnd();
            return;
    }
}

//--- TReader: components and properties

TComponent* TReader::ReadRootComponent(TComponent* root) {
    m_root = root;
    m_loaded.clear();
    m_created.clear();
    m_fixups.clear();
    try {
        ReadSignature();
        TComponent* result = ReadComponent(nullptr, root, 0);
        ResolveFixups();
        for (TComponent* component : m_loaded) {
            component->Loaded();
            component->SetState(csLoading, false);
        }
        m_loaded.clear();
        m_created.clear();
        return result;
    } catch (...) {
        m_fixups.clear();
        // Components that stay (the given root and what it held before) leave loading;
        // components the reader made go again. A root the reader made takes all others with it.
        for (TComponent* component : m_loaded) {
            if (std::find(m_created.begin(), m_created.end(), component) != m_created.end()) continue;
            component->SetState(csReading, false);
            component->SetState(csLoading, false);
        }
        if (!root && !m_created.empty()) {
            delete m_created.front();
        } else {
            for (auto it = m_created.rbegin(); it != m_created.rend(); ++it) delete *it;
        }
        m_loaded.clear();
        m_created.clear();
        if (!root) m_root = nullptr;
        throw;
    }
}

TComponent* TReader::ReadComponent(TComponent* parent, TComponent* existing, int depth) {
    if (depth > kMaxDepth) Fail(kInvalidFormat);
    uint8_t flags = 0;
    const uint8_t prefix = ReadByte();
    if ((prefix & 0xF0) == 0xF0) {
        flags = prefix & 0x0F;
        if (flags & kFilerFlagChildPos) ReadInteger();
    } else {
        m_stream.Seek(-1, TSeekOrigin::soCurrent);
    }
    const std::string className = ReadStr();
    const std::string name = ReadStr();
    if (!IsValidIdent(className) || (!name.empty() && !IsValidIdent(name))) Fail(kInvalidFormat);

    TComponent* component = existing;
    if (component) {
        // Properties of a stream only fit its own class or a class derived from it.
        bool fits = false;
        for (const TClassInfo* info = &component->ClassInfo(); info && !fits; info = info->Parent())
            fits = SameText(info->Name(), className);
        if (!fits && !SameText(component->ClassName(), className)) Fail(kInvalidFormat);
    } else if (parent && (flags & kFilerFlagInherited)) {
        component = m_root->FindComponent(name);
        if (!component) Fail("Ancestor for '" + name + "' not found");
    }
    if (!component) {
        const TClassInfo& info = FindClass(className);
        if (parent && !name.empty() && m_root->FindComponent(name)) Fail("A component named " + name + " already exists");
        component = info.CreateComponent(parent ? m_root : nullptr);
        m_created.push_back(component);
        if (!m_root) m_root = component;
        if (parent && component->HasParent()) component->SetParentComponent(parent);
    }
    m_loaded.push_back(component);
    component->SetState(csLoading, true);
    {
        StateGuard reading(component, csReading);
        // A given root keeps its name when the stream has none for it.
        if (!name.empty() || component != existing) component->SetName(name);
        ReadProperties(component);
        while (!EndOfList()) ReadComponent(component, nullptr, depth + 1);
        ReadListEnd();
    }
    return component;
}

void TReader::ReadProperties(TComponent* component) {
    while (!EndOfList()) ReadProperty(component);
    ReadListEnd();
}

void TReader::ReadProperty(TPersistent* instance) {
    const std::string path = ReadStr();
    const int64_t valueStart = m_stream.Position();
    try {
        const std::vector<std::string> parts = SplitPath(path);
        TPersistent* target = instance;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            const TPropInfo* property = target->ClassInfo().FindProperty(parts[i]);
            TPersistent* sub =
                property && property->Kind == TPropKind::pkObject ? property->GetObj(*target) : nullptr;
            if (!sub) throw EReadError("Property " + path + " does not exist");
            target = sub;
        }
        const TPropInfo* property = target->ClassInfo().FindProperty(parts.back());
        if (property && property->IsReadable()) {
            ReadPropValue(*target, *property);
        } else {
            m_propName = parts.back();
            m_propFound = false;
            target->DefineProperties(*this);
            m_propName.clear();
            if (!m_propFound) throw EReadError("Property " + path + " does not exist");
        }
    } catch (const Exception& e) {
        m_propName.clear();
        if (!OnError || !OnError(e.Message())) throw;
        m_stream.SetPosition(valueStart);
        SkipValue();
    }
}

void TReader::ReadPropValue(TPersistent& instance, const TPropInfo& property) {
    switch (property.Kind) {
        case TPropKind::pkInteger: {
            if (!property.IntegerType.empty() && NextValue() == TValueType::vaIdent) {
                const std::string ident = ReadIdent();
                const TIdentToInt convert = FindIdentToInt(property.IntegerType);
                int32_t converted = 0;
                if (!convert || !convert(ident, converted)) Fail(kInvalidValue);
                property.SetOrd(instance, converted);
                return;
            }
            const int64_t value = ReadInt64();
            if (value < property.MinValue || value > property.MaxValue) Fail(kInvalidValue);
            property.SetOrd(instance, value);
            return;
        }
        case TPropKind::pkBoolean: property.SetOrd(instance, ReadBoolean() ? 1 : 0); return;
        case TPropKind::pkEnumeration: {
            if (NextValue() != TValueType::vaIdent) Fail(kInvalidValue);
            const std::string ident = ReadIdent();
            for (size_t i = 0; i < property.Names.size(); ++i) {
                if (SameText(property.Names[i], ident)) {
                    property.SetOrd(instance, static_cast<int64_t>(i));
                    return;
                }
            }
            Fail(kInvalidValue);
        }
        case TPropKind::pkSet: {
            CheckValue(TValueType::vaSet);
            uint32_t mask = 0;
            for (std::string member = ReadStr(); !member.empty(); member = ReadStr()) {
                size_t i = 0;
                while (i < property.Names.size() && !SameText(property.Names[i], member)) ++i;
                if (i == property.Names.size() || i >= 32) Fail(kInvalidValue);
                mask |= 1u << i;
            }
            property.SetOrd(instance, mask);
            return;
        }
        case TPropKind::pkString: property.SetStr(instance, ReadString()); return;
        case TPropKind::pkComponent:
            if (NextValue() == TValueType::vaNil) {
                ReadValue();
                property.SetRef(instance, nullptr);
            } else {
                if (NextValue() != TValueType::vaIdent) Fail(kInvalidValue);
                m_fixups.push_back({&instance, &property, ReadIdent()});
            }
            return;
        case TPropKind::pkObject: Fail(kInvalidValue);
    }
}

void TReader::ResolveFixups() {
    for (const Fixup& fixup : m_fixups) {
        TComponent* target = nullptr;
        const size_t dot = fixup.name.find('.');
        if (dot == std::string::npos) {
            target = SameText(fixup.name, m_root->Name()) ? m_root : m_root->FindComponent(fixup.name);
        } else if (SameText(fixup.name.substr(0, dot), m_root->Name())) {
            target = m_root->FindComponent(fixup.name.substr(dot + 1));
        }
        // A name outside this stream stays unresolved, as the class library leaves it.
        if (!target) continue;
        if (!fixup.property->SetRef(*fixup.instance, target)) Fail(kInvalidValue);
    }
    m_fixups.clear();
}

void TReader::DefineProperty(const std::string& name, const TReaderProc& read, const TWriterProc& write,
                             bool hasData) {
    (void)write;
    (void)hasData;
    if (m_propFound || m_propName.empty() || !read || !SameText(name, m_propName)) return;
    m_propFound = true;
    read(*this);
}

void TReader::DefineBinaryProperty(const std::string& name, const TStreamProc& read, const TStreamProc& write,
                                   bool hasData) {
    (void)write;
    (void)hasData;
    if (m_propFound || m_propName.empty() || !read || !SameText(name, m_propName)) return;
    m_propFound = true;
    CheckValue(TValueType::vaBinary);
    const int32_t length = ReadLength();
    TMemoryStream data;
    data.SetSize(length);
    m_stream.ReadBuffer(data.Memory(), length);
    data.SetPosition(0);
    read(data);
}

//--- TWriter

void TWriter::WriteValue(TValueType value) {
    const uint8_t tag = static_cast<uint8_t>(value);
    m_stream.WriteBuffer(&tag, 1);
}

void TWriter::WriteListBegin() {
    WriteValue(TValueType::vaList);
}

void TWriter::WriteListEnd() {
    WriteValue(TValueType::vaNull);
}

void TWriter::WriteInteger(int64_t value) {
    if (value >= INT8_MIN && value <= INT8_MAX) {
        WriteValue(TValueType::vaInt8);
        WriteRaw(m_stream, static_cast<int8_t>(value));
    } else if (value >= INT16_MIN && value <= INT16_MAX) {
        WriteValue(TValueType::vaInt16);
        WriteRaw(m_stream, static_cast<int16_t>(value));
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        WriteValue(TValueType::vaInt32);
        WriteRaw(m_stream, static_cast<int32_t>(value));
    } else {
        WriteValue(TValueType::vaInt64);
        WriteRaw(m_stream, value);
    }
}

void TWriter::WriteBoolean(bool value) {
    WriteValue(value ? TValueType::vaTrue : TValueType::vaFalse);
}

void TWriter::WriteStr(const std::string& value) {
    if (value.size() > 255) throw EWriteError("Name too long for a component stream: " + value.substr(0, 40));
    const uint8_t length = static_cast<uint8_t>(value.size());
    m_stream.WriteBuffer(&length, 1);
    m_stream.WriteBuffer(value.data(), length);
}

void TWriter::WriteString(const std::string& value) {
    if (value.size() <= 255) {
        WriteValue(TValueType::vaString);
        WriteStr(value);
        return;
    }
    if (value.size() > INT32_MAX) throw EWriteError("Stream write error");
    WriteValue(TValueType::vaLString);
    const int32_t length = static_cast<int32_t>(value.size());
    m_stream.WriteBuffer(&length, 4);
    m_stream.WriteBuffer(value.data(), length);
}

void TWriter::WriteIdent(const std::string& ident) {
    if (SameText(ident, "False"))
        WriteValue(TValueType::vaFalse);
    else if (SameText(ident, "True"))
        WriteValue(TValueType::vaTrue);
    else if (SameText(ident, "nil"))
        WriteValue(TValueType::vaNil);
    else if (SameText(ident, "Null"))
        WriteValue(TValueType::vaNull);
    else {
        WriteValue(TValueType::vaIdent);
        WriteStr(ident);
    }
}

void TWriter::WriteSignature() {
    m_stream.WriteBuffer(kSignature, 4);
}

void TWriter::WriteRootComponent(TComponent* root) {
    m_root = root;
    WriteSignature();
    WriteComponent(root);
}

void TWriter::WriteComponent(TComponent* component) {
    if (!m_root) m_root = component;
    StateGuard writing(component, csWriting);
    WriteStr(component->ClassName());
    WriteStr(component->Name());
    WriteProperties(*component);
    WriteListEnd();
    component->GetChildren([this](TComponent* child) { WriteComponent(child); }, m_root);
    WriteListEnd();
}

void TWriter::WriteProperties(TPersistent& instance) {
    for (const TPropInfo& property : instance.ClassInfo().Properties())
        if (property.IsStored(instance)) WriteProperty(instance, property);
    instance.DefineProperties(*this);
}

void TWriter::WriteProperty(TPersistent& instance, const TPropInfo& property) {
    if (property.Kind == TPropKind::pkObject) {
        TPersistent* sub = property.GetObj(instance);
        if (!sub) return;
        const std::string saved = m_propPath;
        m_propPath += property.Name + ".";
        WriteProperties(*sub);
        m_propPath = saved;
        return;
    }
    if (property.IsDefaultValue(instance)) return;
    switch (property.Kind) {
        case TPropKind::pkInteger: {
            const int64_t value = property.GetOrd(instance);
            WritePropName(property.Name);
            std::string ident;
            const TIntToIdent convert = property.IntegerType.empty() ? nullptr : FindIntToIdent(property.IntegerType);
            if (convert && convert(static_cast<int32_t>(value), ident))
                WriteIdent(ident);
            else
                WriteInteger(value);
            return;
        }
        case TPropKind::pkBoolean:
            WritePropName(property.Name);
            WriteBoolean(property.GetOrd(instance) != 0);
            return;
        case TPropKind::pkEnumeration: {
            const int64_t value = property.GetOrd(instance);
            if (value < 0 || value >= static_cast<int64_t>(property.Names.size()))
                throw EWriteError("Invalid value of " + property.Name);
            WritePropName(property.Name);
            WriteIdent(property.Names[static_cast<size_t>(value)]);
            return;
        }
        case TPropKind::pkSet: {
            const uint32_t mask = static_cast<uint32_t>(property.GetOrd(instance));
            WritePropName(property.Name);
            WriteValue(TValueType::vaSet);
            for (size_t i = 0; i < property.Names.size() && i < 32; ++i)
                if (mask & (1u << i)) WriteStr(property.Names[i]);
            WriteStr(std::string());
            return;
        }
        case TPropKind::pkString:
            WritePropName(property.Name);
            WriteString(property.GetStr(instance));
            return;
        case TPropKind::pkComponent: {
            const std::string name = ReferenceName(dynamic_cast<TComponent*>(property.GetObj(instance)));
            if (name.empty()) return;
            WritePropName(property.Name);
            WriteIdent(name);
            return;
        }
        case TPropKind::pkObject: return;
    }
}

void TWriter::WritePropName(const std::string& name) {
    WriteStr(m_propPath + name);
}

std::string TWriter::ReferenceName(TComponent* component) const {
    if (!component || component->Name().empty()) return std::string();
    if (component == m_root || component->Owner() == m_root) return component->Name();
    TComponent* owner = component->Owner();
    if (owner && !owner->Name().empty()) return owner->Name() + "." + component->Name();
    return component->Name();
}

void TWriter::DefineProperty(const std::string& name, const TReaderProc& read, const TWriterProc& write,
                             bool hasData) {
    (void)read;
    if (!hasData || !write) return;
    WritePropName(name);
    write(*this);
}

void TWriter::DefineBinaryProperty(const std::string& name, const TStreamProc& read, const TStreamProc& write,
                                   bool hasData) {
    (void)read;
    if (!hasData || !write) return;
    TMemoryStream data;
    write(data);
    if (data.Size() > INT32_MAX) throw EWriteError("Stream write error");
    WritePropName(name);
    WriteValue(TValueType::vaBinary);
    const int32_t length = static_cast<int32_t>(data.Size());
    m_stream.WriteBuffer(&length, 4);
    m_stream.WriteBuffer(data.Memory(), length);
}

//--- Whole streams and component resources

TComponent* ReadComponent(TStream& stream, TComponent* instance) {
    TReader reader(stream);
    return reader.ReadRootComponent(instance);
}

void WriteComponent(TStream& stream, TComponent* instance) {
    TWriter writer(stream);
    writer.WriteRootComponent(instance);
}

TComponent* ReadComponentRes(TStream& stream, TComponent* instance) {
    uint8_t marker = 0;
    stream.ReadBuffer(&marker, 1);
    uint16_t type = 0;
    stream.ReadBuffer(&type, 2);
    if (marker != 0xFF || type != kResourceTypeRcData) throw EReadError(kInvalidFormat);
    for (size_t i = 0;; ++i) {
        if (i > kMaxResourceName) throw EReadError(kInvalidFormat);
        char c = 0;
        stream.ReadBuffer(&c, 1);
        if (c == 0) break;
    }
    uint16_t flags = 0;
    stream.ReadBuffer(&flags, 2);
    int32_t size = 0;
    stream.ReadBuffer(&size, 4);
    if (size < 0 || size > stream.Remaining()) throw EReadError(kReadErrorText);
    // The block is read on its own, so the component cannot reach into what follows.
    TMemoryStream block;
    block.SetSize(size);
    stream.ReadBuffer(block.Memory(), size);
    block.SetPosition(0);
    return ReadComponent(block, instance);
}

void WriteComponentRes(TStream& stream, const std::string& resName, TComponent* instance) {
    const std::string name = UpperCase(resName);
    if (name.size() > kMaxResourceName || name.find('\0') != std::string::npos)
        throw EWriteError("Invalid resource name");
    const uint8_t marker = 0xFF;
    stream.WriteBuffer(&marker, 1);
    stream.WriteBuffer(&kResourceTypeRcData, 2);
    stream.WriteBuffer(name.c_str(), static_cast<int32_t>(name.size() + 1));
    stream.WriteBuffer(&kResourceFlags, 2);
    const int64_t sizeAt = stream.Position();
    int32_t size = 0;
    stream.WriteBuffer(&size, 4);
    const int64_t start = stream.Position();
    WriteComponent(stream, instance);
    const int64_t end = stream.Position();
    size = static_cast<int32_t>(end - start);
    stream.SetPosition(sizeAt);
    stream.WriteBuffer(&size, 4);
    stream.SetPosition(end);
}

TComponent* ReadComponentResFile(const std::string& fileName, TComponent* instance) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    return ReadComponentRes(file, instance);
}

void WriteComponentResFile(const std::string& fileName, TComponent* instance) {
    TMemoryStream data;
    WriteComponentRes(data, instance->ClassName(), instance);
    const std::string temporary = fileName + ".new";
    try {
        TFileStream file(temporary, fmCreate);
        data.SaveToStream(file);
        if (!FlushFileBuffers(file.Handle())) throw EWriteError("Stream write error");
    } catch (...) {
        DeleteFileA(temporary.c_str());
        throw;
    }
    if (!MoveFileExA(temporary.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        throw EFCreateError("Cannot create file \"" + fileName + "\"");
    }
}
