// Objects with a class name, components with owners, and the notifications
// between them: the base of every control, form and library component.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Component state flags.
enum TComponentStateFlag : uint32_t {
    csLoading = 1u << 0,     // its properties are being read from a stream
    csReading = 1u << 1,     // the stream reader is setting its properties
    csWriting = 1u << 2,     // the stream writer is reading its properties
    csDestroying = 1u << 3,  // its destructor has begun
    csDesigning = 1u << 4,   // design mode: no effect on the running system
};
using TComponentState = uint32_t;

enum class TOperation { opInsert, opRemove };

class TClassInfo;
class TFiler;

// Root of the class library's objects: a virtual destructor and a class name.
class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    // The class's name as streams and messages know it ("TImageList").
    virtual const char* ClassName() const { return "TObject"; }
};

// An object whose state can be copied from another of its kind.
class TPersistent : public TObject {
public:
    const char* ClassName() const override { return "TPersistent"; }
    // Copies source's state into this object; the base refuses (EConvertError).
    virtual void Assign(const TPersistent& source);

    // What component streaming knows of the class: name, parent, published
    // properties (classlib/Streaming.h). Every streamable class overrides ClassInfo.
    static const TClassInfo& StaticClassInfo();
    virtual const TClassInfo& ClassInfo() const;
    // Declares the properties no published table describes (binary data and the
    // like) to a stream reader or writer.
    virtual void DefineProperties(TFiler& filer);
};

// A component: owned by another component, which deletes it; owns components in
// turn. Components that keep pointers to others ask for a free notification and
// clear the pointer in Notification(opRemove).
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    const char* ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return m_owner; }
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    int ComponentCount() const { return static_cast<int>(m_components.size()); }
    TComponent* Components(int index) const { return m_components.at(static_cast<size_t>(index)); }
    // The owned component of that name (case-insensitive), or null.
    TComponent* FindComponent(const std::string& name) const;

    TComponentState ComponentState() const { return m_state; }
    bool HasState(TComponentStateFlag flag) const { return (m_state & flag) != 0; }
    void SetState(TComponentStateFlag flag, bool on);
    // Design mode for this component and those it owns (tests use it).
    void SetDesigning(bool designing);

    // Owner changes: an owner is told about components added and removed.
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    // Asks to be told (Notification with opRemove) when `component` is destroyed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Runs after all properties of the component were read from a stream.
    virtual void Loaded();
    // A component this one owns or watches was inserted or is being removed.
    virtual void Notification(TComponent* component, TOperation operation);

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override;
    // The design position (DesignLeft, DesignTop), as "Left" and "Top" when not 0.
    void DefineProperties(TFiler& filer) override;

    // The components a stream holds inside this one. By default only a root has
    // children: the components it owns that have no parent component.
    virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root);
    // Components inside another one than their owner (controls on a panel) say so
    // here; the reader hands them the component they were read inside.
    virtual bool HasParent() const { return false; }
    virtual void SetParentComponent(TComponent* parent) { (void)parent; }

    // Free integer for the owner's use.
    intptr_t Tag = 0;
    // Where a non-visual component sits on its form in a designer.
    int32_t DesignLeft = 0;
    int32_t DesignTop = 0;

protected:
    // Destroys the owned components, latest first (a form calls it before it
    // closes its window, so that no component outlives the window it uses).
    void DestroyComponents();

private:
    void NotifyAll(TComponent* component, TOperation operation);

    TComponent* m_owner = nullptr;
    std::string m_name;
    std::vector<TComponent*> m_components;
    std::vector<TComponent*> m_freeNotifies;
    TComponentState m_state = 0;
};

// An event with no arguments but the sender ("notify event").
using TNotifyEvent = std::function<void(TObject* sender)>;
