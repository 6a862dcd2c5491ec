// Objects, persistent objects and components.
#include "classlib/Classes.h"

#include <algorithm>
#include <cctype>

#include "classlib/Streaming.h"
#include "classlib/Streams.h"
#include "classlib/SysUtils.h"

void TPersistent::Assign(const TPersistent& source) {
    throw EConvertError(std::string("Cannot assign a ") + source.ClassName() + " to a " + ClassName());
}

const TClassInfo& TPersistent::StaticClassInfo() {
    static const TClassInfo info("TPersistent", nullptr, nullptr, nullptr);
    return info;
}

const TClassInfo& TPersistent::ClassInfo() const {
    return StaticClassInfo();
}

void TPersistent::DefineProperties(TFiler& filer) {
    (void)filer;
}

const TClassInfo& TComponent::StaticClassInfo() {
    static const TClassInfo info("TComponent", &TPersistent::StaticClassInfo(), &CreateComponentOf<TComponent>,
                                 [](TPropList& list) {
                                     // The name travels in the component's header, not as a property.
                                     TPublished<TComponent>(list)
                                         .String("Name", &TComponent::Name, &TComponent::SetName)
                                         .NeverStored()
                                         .Integer(
                                             "Tag", [](const TComponent& c) { return c.Tag; },
                                             [](TComponent& c, intptr_t value) { c.Tag = value; }, 0);
                                 });
    return info;
}

const TClassInfo& TComponent::ClassInfo() const {
    return StaticClassInfo();
}

void TComponent::DefineProperties(TFiler& filer) {
    filer.DefineProperty(
        "Left", [this](TReader& reader) { DesignLeft = reader.ReadInteger(); },
        [this](TWriter& writer) { writer.WriteInteger(DesignLeft); }, DesignLeft != 0);
    filer.DefineProperty(
        "Top", [this](TReader& reader) { DesignTop = reader.ReadInteger(); },
        [this](TWriter& writer) { writer.WriteInteger(DesignTop); }, DesignTop != 0);
}

void TComponent::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    if (root != this) return;
    for (TComponent* component : m_components)
        if (!component->HasParent()) proc(component);
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    m_state |= csDestroying;
    // Tell everyone who watches this component, then give up what it watches.
    const std::vector<TComponent*> watchers = m_freeNotifies;
    m_freeNotifies.clear();
    for (TComponent* watcher : watchers) {
        watcher->RemoveFreeNotification(this);
        watcher->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (m_owner) m_owner->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* component : m_components) {
        const std::string& other = component->Name();
        if (other.size() == name.size() &&
            std::equal(other.begin(), other.end(), name.begin(),
                       [](char a, char b) { return std::tolower((unsigned char)a) == std::tolower((unsigned char)b); }))
            return component;
    }
    return nullptr;
}

void TComponent::SetState(TComponentStateFlag flag, bool on) {
    if (on)
        m_state |= flag;
    else
        m_state &= ~flag;
}

void TComponent::SetDesigning(bool designing) {
    SetState(csDesigning, designing);
    for (TComponent* component : m_components) component->SetDesigning(designing);
}

void TComponent::InsertComponent(TComponent* component) {
    if (component->m_owner) component->m_owner->RemoveComponent(component);
    component->m_owner = this;
    m_components.push_back(component);
    // A component put on a form in a designer is in design mode too.
    if (HasState(csDesigning)) component->SetDesigning(true);
    NotifyAll(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    auto it = std::find(m_components.begin(), m_components.end(), component);
    if (it == m_components.end()) return;
    NotifyAll(component, TOperation::opRemove);
    // The notification may have changed the list: look again.
    it = std::find(m_components.begin(), m_components.end(), component);
    if (it != m_components.end()) m_components.erase(it);
    component->m_owner = nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this) return;
    if (std::find(m_freeNotifies.begin(), m_freeNotifies.end(), component) == m_freeNotifies.end())
        m_freeNotifies.push_back(component);
    if (std::find(component->m_freeNotifies.begin(), component->m_freeNotifies.end(), this) ==
        component->m_freeNotifies.end())
        component->m_freeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    m_freeNotifies.erase(std::remove(m_freeNotifies.begin(), m_freeNotifies.end(), component), m_freeNotifies.end());
}

void TComponent::Loaded() {
    SetState(csLoading, false);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    (void)component;
    (void)operation;
}

void TComponent::DestroyComponents() {
    while (!m_components.empty()) {
        TComponent* component = m_components.back();
        m_components.pop_back();
        component->m_owner = nullptr;
        delete component;
    }
}

void TComponent::NotifyAll(TComponent* component, TOperation operation) {
    // Owned components hear about their siblings, as the owner itself does.
    Notification(component, operation);
    const std::vector<TComponent*> siblings = m_components;
    for (TComponent* sibling : siblings)
        if (sibling != component) sibling->Notification(component, operation);
}

//--- String lists

void TStrings::CheckIndex(int index, bool end) const {
    if (index < 0 || index > Count() || (index == Count() && !end))
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStrings::Put(int index, const std::string& text) {
    TObject* object = GetObject(index);
    Delete(index);
    Insert(index, text);
    PutObject(index, object);
}

TObject* TStrings::GetObject(int index) const {
    (void)index;
    return nullptr;
}

void TStrings::PutObject(int index, TObject* object) {
    (void)index;
    (void)object;
}

int TStrings::Add(const std::string& text) {
    const int index = Count();
    Insert(index, text);
    return index;
}

int TStrings::AddObject(const std::string& text, TObject* object) {
    const int index = Add(text);
    PutObject(index, object);
    return index;
}

void TStrings::AddStrings(const TStrings& strings) {
    // Counted first, so that a list added to itself doubles once.
    const int count = strings.Count();
    for (int i = 0; i < count; ++i) AddObject(strings.Get(i), strings.GetObject(i));
}

void TStrings::Assign(const TPersistent& source) {
    const auto* strings = dynamic_cast<const TStrings*>(&source);
    if (!strings) {
        TPersistent::Assign(source);
        return;
    }
    if (strings == this) return;
    Clear();
    AddStrings(*strings);
}

int TStrings::IndexOf(const std::string& text) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(Get(i), text)) return i;
    return -1;
}

int TStrings::IndexOfName(const std::string& name) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string line = Get(i);
        const size_t p = line.find('=');
        if (p != std::string::npos && AnsiSameText(line.substr(0, p), name)) return i;
    }
    return -1;
}

std::string TStrings::Names(int index) const {
    const std::string line = Get(index);
    const size_t p = line.find('=');
    return p == std::string::npos ? std::string() : line.substr(0, p);
}

std::string TStrings::Values(const std::string& name) const {
    const int index = IndexOfName(name);
    if (index < 0) return std::string();
    const std::string line = Get(index);
    return line.substr(line.find('=') + 1);
}

void TStrings::SetValues(const std::string& name, const std::string& value) {
    const int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0) Delete(index);
    } else if (index < 0) {
        Add(name + "=" + value);
    } else {
        Put(index, name + "=" + value);
    }
}

std::string TStrings::Text() const {
    std::string text;
    for (int i = 0; i < Count(); ++i) text += Get(i) + "\r\n";
    return text;
}

void TStrings::SetText(const std::string& text) {
    Clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        Add(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        start = end;
    }
}

void TStrings::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    std::string text(static_cast<size_t>(stream.Size()), '\0');
    if (!text.empty()) stream.ReadBuffer(&text[0], static_cast<int32_t>(text.size()));
    SetText(text);
}

void TStrings::SaveToFile(const std::string& fileName) const {
    TFileStream stream(fileName, fmCreate);
    const std::string text = Text();
    if (!text.empty()) stream.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
}

std::string TStringList::Get(int index) const {
    CheckIndex(index);
    return m_items[static_cast<size_t>(index)].Text;
}

void TStringList::Put(int index, const std::string& text) {
    CheckIndex(index);
    m_items[static_cast<size_t>(index)].Text = text;
}

TObject* TStringList::GetObject(int index) const {
    CheckIndex(index);
    return m_items[static_cast<size_t>(index)].Object;
}

void TStringList::PutObject(int index, TObject* object) {
    CheckIndex(index);
    m_items[static_cast<size_t>(index)].Object = object;
}

void TStringList::Insert(int index, const std::string& text) {
    CheckIndex(index, true);
    m_items.insert(m_items.begin() + index, Item{text, nullptr});
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    m_items.erase(m_items.begin() + index);
}

void TStrings::DefineProperties(TFiler& filer) {
    TPersistent::DefineProperties(filer);
    filer.DefineProperty(
        "Strings",
        [this](TReader& reader) {
            Clear();
            reader.ReadListBegin();
            while (!reader.EndOfList()) Add(reader.ReadString());
            reader.ReadListEnd();
        },
        [this](TWriter& writer) {
            writer.WriteListBegin();
            for (int i = 0; i < Count(); ++i) writer.WriteString(Get(i));
            writer.WriteListEnd();
        },
        Count() > 0);
}
