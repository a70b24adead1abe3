#pragma once
// A single-handler event that the running handler may replace or clear: the
// replaced one is kept alive until the outermost call returns. It is used
// like a std::function member (assign a callable or nullptr, test, call), but
// a call does not copy the handler first, which matters for events raised
// once per received packet.
//
// Not for use across threads: assign and call on the owner's thread.

#include <cstddef>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace runtime {

template <class Signature>
class ReentrantHandler;

template <class R, class... Args>
class ReentrantHandler<R(Args...)> {
public:
    using Function = std::function<R(Args...)>;

    ReentrantHandler() = default;
    ReentrantHandler(std::nullptr_t) {}
    template <class F>
        requires(!std::is_same_v<std::remove_cvref_t<F>, ReentrantHandler> && std::is_constructible_v<Function, F>)
    ReentrantHandler(F&& f)
    {
        Replace(Function(std::forward<F>(f)));
    }
    ReentrantHandler(const ReentrantHandler& other) { Replace(other.Get()); }
    ReentrantHandler& operator=(const ReentrantHandler& other)
    {
        if (this != &other)
            Replace(other.Get());
        return *this;
    }
    template <class F>
        requires(!std::is_same_v<std::remove_cvref_t<F>, ReentrantHandler> && std::is_constructible_v<Function, F>)
    ReentrantHandler& operator=(F&& f)
    {
        Replace(Function(std::forward<F>(f)));
        return *this;
    }
    ReentrantHandler& operator=(std::nullptr_t)
    {
        Replace(Function());
        return *this;
    }

    explicit operator bool() const { return fHandler != nullptr; }
    // A copy of the handler, empty when none is assigned.
    Function Get() const { return fHandler ? *fHandler : Function(); }

    // Calls the handler; assigned or not is the caller's to check, as with std::function.
    R operator()(Args... args) const
    {
        if (!fHandler)
            throw std::bad_function_call();
        const Function& running = *fHandler;  // stays put even if it is replaced meanwhile
        const Call call(*this);
        return running(std::forward<Args>(args)...);
    }

private:
    // Counts the calls under way; the last one to return frees the replaced handlers.
    class Call {
    public:
        explicit Call(const ReentrantHandler& owner) : fOwner(owner) { ++fOwner.fCalls; }
        ~Call()
        {
            if (--fOwner.fCalls == 0 && !fOwner.fReplaced.empty())
                fOwner.fReplaced.clear();
        }
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;

    private:
        const ReentrantHandler& fOwner;
    };

    void Replace(Function f)
    {
        std::unique_ptr<Function> next = f ? std::make_unique<Function>(std::move(f)) : nullptr;
        if (fCalls > 0 && fHandler)
            fReplaced.push_back(std::move(fHandler));
        fHandler = std::move(next);
    }

    // On the heap, so that a running handler's captures do not move when it is replaced.
    std::unique_ptr<Function> fHandler;
    mutable int fCalls = 0;
    mutable std::vector<std::unique_ptr<Function>> fReplaced;
};

} // namespace runtime
