#pragma once
// The listeners an I/O component tells that its port opened (2), closed (1)
// or changed its port number or device list (3).
//
// A handler is a routine bound to an object. Entries are matched by the
// routine alone: a second object registering the same member function is the
// same entry. Use MakeNotifyEvent to bind a member function.

#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <typeinfo>
#include <vector>

class QObject;

namespace comm {

// What a notice tells its listeners.
enum TcmNotifyCode : std::int32_t {
    ncPortClosed = 1,
    ncPortOpened = 2,
    ncPortChanged = 3,  // the port number or the device list changed
};

struct TcmNotifyEvent {
    std::string routine;   // identity of the routine; equal routines match
    const void* object = nullptr;
    std::function<void(QObject* sender, std::int32_t code)> fn;
};

template <class C>
TcmNotifyEvent MakeNotifyEvent(C* object, void (C::*method)(QObject*, std::int32_t))
{
    std::string routine(typeid(method).name());
    char bytes[sizeof method];
    std::memcpy(bytes, &method, sizeof method);
    routine.append(bytes, sizeof method);
    return {std::move(routine), object, [object, method](QObject* sender, std::int32_t code) {
                (object->*method)(sender, code);
            }};
}

// The list is guarded so a notice sent from a port's event thread never sees
// it half changed; handlers run outside the lock.
class TcmNotifyList {
public:
    int Add(const TcmNotifyEvent& item);
    void Delete(int index);
    void Clear();
    int Count() const;
    TcmNotifyEvent Get(int index) const;
    void Put(int index, const TcmNotifyEvent& item);
    int IndexOf(const TcmNotifyEvent& item) const;
    // Calls the entries that exist when the call starts, in order. An entry
    // deleted meanwhile is skipped rather than read past the end.
    void Call(QObject* sender, std::int32_t code) const;

private:
    mutable std::mutex fMutex;
    std::vector<TcmNotifyEvent> fItems;
};

} // namespace comm
