// Objects, persistent objects and components.
#include "classlib/Classes.h"

#include <algorithm>
#include <cctype>

#include "classlib/Streaming.h"
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
