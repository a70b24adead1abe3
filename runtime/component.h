#pragma once
// The component base: a QObject owned by its window (or another component)
// through Qt's parent-child ownership, with the loading and designing states
// and the removal notice other components ask for.
//
// Loading: the window marks its components loading while it applies their
// stored values, then calls Loaded() once on each (LoadComponents does both).
// Removal notice: FreeNotification(other) makes Notification(other, opRemove)
// run when other is destroyed. It runs from ~QObject, after other's own
// destructors: compare the pointer only, never call into it.

#include <QHash>
#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <functional>

namespace runtime {

enum class Operation { opInsert, opRemove };

class Component : public QObject {
    Q_OBJECT
public:
    explicit Component(QObject* owner = nullptr);
    ~Component() override;

    bool IsLoading() const { return fLoading.load(); }
    bool IsDesigning() const { return fDesigning.load(); }

    // Starts the loading state; Loaded() ends it.
    void BeginLoading() { fLoading.store(true); }
    void SetDesigning(bool value) { fDesigning.store(value); }

    // Called once when the stored values have been applied. Overrides call the
    // base first, which ends the loading state.
    virtual void Loaded();

    // Asks for a removal notice when other is destroyed (once per object).
    void FreeNotification(QObject* other);
    void RemoveFreeNotification(QObject* other);

protected:
    virtual void Notification(QObject* component, Operation operation);

private:
    void OtherDestroyed(QObject* other);

    std::atomic<bool> fLoading{false};
    std::atomic<bool> fDesigning{false};
    QHash<QObject*, QMetaObject::Connection> fNotified;
};

// Marks every component in root's tree (root included) loading, runs apply
// (which sets their stored values), then calls Loaded() on each of them.
void LoadComponents(QObject* root, const std::function<void()>& apply);

} // namespace runtime
