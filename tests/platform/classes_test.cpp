#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classes.h"
#include "platform/stringlist.h"

namespace zorvik {
namespace {

// Logs what it hears and when it is destroyed.
struct Probe : TComponent {
    Probe(TComponent* owner, std::string name, std::vector<std::string>& log) : TComponent(owner), log(log) {
        SetName(std::move(name));
    }
    ~Probe() override { log.push_back(Name() + " destroyed"); }
    // Logs before passing the notice on to what it owns; a component being
    // inserted has no name yet.
    void Notification(TComponent* c, TOperation op) override {
        const std::string other = c->Name().empty() ? "?" : c->Name();
        log.push_back(Name() + (op == TOperation::opInsert ? " heard insert of " : " heard removal of ") + other);
        TComponent::Notification(c, op);
    }
    std::vector<std::string>& log;
};

TEST(Component, OwnerReleasesWhatItOwnsLastFirst) {
    std::vector<std::string> log;
    auto* form = new Probe(nullptr, "form", log);
    new Probe(form, "a", log);
    new Probe(form, "b", log);
    ASSERT_EQ(form->ComponentCount(), 2);
    log.clear();
    delete form;
    EXPECT_EQ(log, (std::vector<std::string>{"form destroyed", "b destroyed", "a destroyed"}));
}

TEST(Component, SiblingsHearInsertionAndRemoval) {
    std::vector<std::string> log;
    Probe form(nullptr, "form", log);
    auto* a = new Probe(&form, "a", log);
    log.clear();
    auto* b = new Probe(&form, "b", log);
    EXPECT_EQ(log, (std::vector<std::string>{"form heard insert of ?", "a heard insert of ?"}));
    log.clear();
    delete b;
    EXPECT_EQ(log, (std::vector<std::string>{"b destroyed", "form heard removal of b", "a heard removal of b"}));
    EXPECT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(form.Components(0), a);
}

TEST(Component, FreeNotificationReachesComponentsOfOtherOwners) {
    std::vector<std::string> log;
    Probe watcher(nullptr, "watcher", log);
    auto* source = new Probe(nullptr, "source", log);
    source->FreeNotification(&watcher);
    log.clear();
    delete source;
    EXPECT_EQ(log, (std::vector<std::string>{"source destroyed", "watcher heard removal of source"}));
}

TEST(Component, FreeNotificationIsMutualAndForgottenAfterRemoval) {
    std::vector<std::string> log;
    auto* a = new Probe(nullptr, "a", log);
    auto* b = new Probe(nullptr, "b", log);
    a->FreeNotification(b);
    delete a;  // b forgets a
    log.clear();
    delete b;  // must not reach a
    EXPECT_EQ(log, (std::vector<std::string>{"b destroyed"}));
}

TEST(Component, DesigningStateReachesOwnedComponents) {
    std::vector<std::string> log;
    Probe form(nullptr, "form", log);
    auto* a = new Probe(&form, "a", log);
    form.SetDesigning(true);
    EXPECT_TRUE(a->isDesigning());
    auto* b = new Probe(&form, "b", log);
    EXPECT_TRUE(b->isDesigning());
}

TEST(StringList, ObjectsAndOwnership) {
    struct Counted : TObject {
        explicit Counted(int& n) : n(n) {}
        ~Counted() override { ++n; }
        int& n;
    };
    int released = 0;
    {
        TStringList list;
        list.OwnsObjects = true;
        list.AddObject("one", new Counted(released));
        list.AddObject("two", new Counted(released));
        EXPECT_EQ(list.Count(), 2);
        EXPECT_EQ(list.Strings(1), "two");
        EXPECT_EQ(list.IndexOf("two"), 1);
        EXPECT_EQ(list.IndexOf("three"), -1);
        list.Delete(0);
        EXPECT_EQ(released, 1);
    }
    EXPECT_EQ(released, 2);
}

}  // namespace
}  // namespace zorvik
