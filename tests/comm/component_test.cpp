#include "runtime/component.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>

#include <vector>

namespace {

class Recorder : public runtime::Component {
public:
    using runtime::Component::Component;
    std::vector<QObject*> removed;
    int loadedCalls = 0;
    bool loadingDuringApply = false;
    void Loaded() override
    {
        runtime::Component::Loaded();
        ++loadedCalls;
    }

protected:
    void Notification(QObject* component, runtime::Operation operation) override
    {
        if (operation == runtime::Operation::opRemove)
            removed.push_back(component);
    }
};

TEST(Component, OwnerFreesItsComponents)
{
    auto* window = new QWidget;
    QPointer<Recorder> c = new Recorder(window);
    delete window;
    EXPECT_TRUE(c.isNull());
}

TEST(Component, RemovalNoticeOncePerObjectAndOnlyWhenAsked)
{
    Recorder watcher;
    auto* a = new QObject;
    auto* b = new QObject;
    auto* c = new QObject;
    watcher.FreeNotification(a);
    watcher.FreeNotification(a);
    watcher.FreeNotification(b);
    watcher.RemoveFreeNotification(b);
    QObject* aAddress = a;
    delete a;
    delete b;
    delete c;
    EXPECT_EQ(watcher.removed, std::vector<QObject*>{aAddress});
}

TEST(Component, LoadComponentsStoresThenCallsLoadedOnce)
{
    QWidget window;
    auto* c1 = new Recorder(&window);
    auto* c2 = new Recorder(&window);
    bool loadingSeen = false;
    runtime::LoadComponents(&window, [&] { loadingSeen = c1->IsLoading() && c2->IsLoading(); });
    EXPECT_TRUE(loadingSeen);
    EXPECT_FALSE(c1->IsLoading());
    EXPECT_EQ(c1->loadedCalls, 1);
    EXPECT_EQ(c2->loadedCalls, 1);
}

} // namespace
