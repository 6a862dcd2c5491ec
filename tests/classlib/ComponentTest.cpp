// Ownership and notifications of components.
#include <gtest/gtest.h>

#include <vector>

#include "classlib/Classes.h"

namespace {

// A component that logs what happens to it, and may keep a pointer to another.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, const char* name, std::vector<std::string>& log) : TComponent(owner), m_log(log) {
        SetName(name);
    }
    ~Probe() override { m_log.push_back("~" + Name()); }

    void Watch(TComponent* other) {
        watched = other;
        if (other) other->FreeNotification(this);
    }
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == TOperation::opRemove && component == watched) {
            m_log.push_back(Name() + " lost " + component->Name());
            watched = nullptr;
        }
    }

    TComponent* watched = nullptr;

private:
    std::vector<std::string>& m_log;
};

}  // namespace

TEST(Component, OwnerDeletesOwnedComponentsLatestFirst) {
    std::vector<std::string> log;
    auto* owner = new Probe(nullptr, "Form", log);
    new Probe(owner, "Timer", log);
    auto* tray = new Probe(owner, "Tray", log);
    EXPECT_EQ(2, owner->ComponentCount());
    EXPECT_EQ(tray, owner->FindComponent("tray"));
    EXPECT_EQ(nullptr, owner->FindComponent("Menu"));
    delete owner;
    EXPECT_EQ((std::vector<std::string>{"~Form", "~Tray", "~Timer"}), log);
}

TEST(Component, DeletingAnOwnedComponentTakesItOutOfItsOwner) {
    std::vector<std::string> log;
    Probe owner(nullptr, "Form", log);
    auto* timer = new Probe(&owner, "Timer", log);
    delete timer;
    EXPECT_EQ(0, owner.ComponentCount());
}

TEST(Component, FreeNotificationClearsPointersWhicheverGoesFirst) {
    std::vector<std::string> log;
    Probe owner(nullptr, "Form", log);
    auto* tray = new Probe(&owner, "Tray", log);
    auto* menu = new Probe(&owner, "Menu", log);
    tray->Watch(menu);
    delete menu;
    EXPECT_EQ(nullptr, tray->watched);
    EXPECT_EQ((std::vector<std::string>{"~Menu", "Tray lost Menu"}), log);

    // The watcher going first leaves nothing dangling in the watched one.
    auto* menu2 = new Probe(&owner, "Menu2", log);
    tray->Watch(menu2);
    delete tray;
    delete menu2;  // must not notify the deleted tray
}

TEST(Component, DesigningReachesOwnedComponents) {
    std::vector<std::string> log;
    Probe owner(nullptr, "Form", log);
    auto* child = new Probe(&owner, "Child", log);
    owner.SetDesigning(true);
    EXPECT_TRUE(child->HasState(csDesigning));
    child->SetState(csLoading, true);
    child->Loaded();
    EXPECT_FALSE(child->HasState(csLoading));
}

TEST(Component, ComponentsMadeOnADesignedOwnerAreDesignedFromTheStart) {
    std::vector<std::string> log;
    Probe owner(nullptr, "Form", log);
    owner.SetDesigning(true);
    auto* late = new Probe(&owner, "Late", log);
    EXPECT_TRUE(late->HasState(csDesigning));
}
