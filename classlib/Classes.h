// Objects with a class name, components with owners, and the notifications
// between them: the base of every control, form and library component.
#pragma once

// Before the declarations: the system's headers rename GetObject, and every unit
// must see the same name for the string lists' virtual GetObject.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classlib/SysUtils.h"

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

//--- String lists

// An index outside a string list.
class EStringListError : public Exception {
public:
    using Exception::Exception;
};

// A list of strings, each with an optional object beside it. Names and values
// read lines of the form "name=value". Descendants keep the strings; this base
// builds the common operations on Get, Put, Insert and Delete.
class TStrings : public TPersistent {
public:
    const char* ClassName() const override { return "TStrings"; }

    virtual int Count() const = 0;
    virtual std::string Get(int index) const = 0;
    // Replaces the string, keeping its object.
    virtual void Put(int index, const std::string& text);
    virtual TObject* GetObject(int index) const;
    virtual void PutObject(int index, TObject* object);
    virtual void Insert(int index, const std::string& text) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    // Appends the string; its index.
    virtual int Add(const std::string& text);
    int AddObject(const std::string& text, TObject* object);
    void AddStrings(const TStrings& strings);
    // Copies the strings and objects of another list; anything else is refused.
    void Assign(const TPersistent& source) override;

    std::string Strings(int index) const { return Get(index); }
    void SetStrings(int index, const std::string& text) { Put(index, text); }
    TObject* Objects(int index) const { return GetObject(index); }
    void SetObjects(int index, TObject* object) { PutObject(index, object); }

    // The first string equal to the text without regard to case (by the locale); -1 when none.
    virtual int IndexOf(const std::string& text) const;
    // The first line whose text before its first "=" equals the name without regard
    // to case (nothing trimmed); -1 when none.
    int IndexOfName(const std::string& name) const;
    // The text before the first "=" of a line; empty for a line without "=".
    std::string Names(int index) const;
    // The text after the "=" of the line named so; empty when there is none.
    std::string Values(const std::string& name) const;
    // Sets the value of the line named so, adding the line when missing; an empty
    // value deletes the line.
    void SetValues(const std::string& name, const std::string& value);

    // The lines, each ended by CR LF.
    std::string Text() const;
    // Replaces the lines by those of the text, split at CR, LF or CR LF; no line
    // follows a final line break.
    virtual void SetText(const std::string& text);

    // The file's lines; a file that cannot be opened raises the stream's error.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

    // A published string list streams its lines as the list property "Strings"
    // (written only when there are lines).
    void DefineProperties(TFiler& filer) override;

protected:
    // Raises EStringListError for an index outside 0..Count()-1 (or up to Count() with `end`).
    void CheckIndex(int index, bool end = false) const;
};

// The string list that keeps its strings and objects in memory, in the order added.
class TStringList : public TStrings {
public:
    TStringList() = default;
    const char* ClassName() const override { return "TStringList"; }

    int Count() const override { return static_cast<int>(m_items.size()); }
    std::string Get(int index) const override;
    void Put(int index, const std::string& text) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* object) override;
    void Insert(int index, const std::string& text) override;
    void Delete(int index) override;
    void Clear() override { m_items.clear(); }

private:
    struct Item {
        std::string Text;
        TObject* Object = nullptr;
    };
    std::vector<Item> m_items;
};
