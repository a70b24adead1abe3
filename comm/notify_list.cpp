#include "comm/notify_list.h"

#include <stdexcept>

namespace comm {

int TcmNotifyList::Add(const TcmNotifyEvent& item)
{
    std::lock_guard lock(fMutex);
    fItems.push_back(item);
    return static_cast<int>(fItems.size()) - 1;
}

void TcmNotifyList::Delete(int index)
{
    std::lock_guard lock(fMutex);
    if (index < 0 || index >= static_cast<int>(fItems.size()))
        throw std::out_of_range("List index out of bounds");
    fItems.erase(fItems.begin() + index);
}

void TcmNotifyList::Clear()
{
    std::lock_guard lock(fMutex);
    fItems.clear();
}

int TcmNotifyList::Count() const
{
    std::lock_guard lock(fMutex);
    return static_cast<int>(fItems.size());
}

TcmNotifyEvent TcmNotifyList::Get(int index) const
{
    std::lock_guard lock(fMutex);
    return fItems.at(index);
}

void TcmNotifyList::Put(int index, const TcmNotifyEvent& item)
{
    std::lock_guard lock(fMutex);
    fItems.at(index) = item;
}

int TcmNotifyList::IndexOf(const TcmNotifyEvent& item) const
{
    std::lock_guard lock(fMutex);
    for (std::size_t i = 0; i < fItems.size(); ++i)
        if (fItems[i].routine == item.routine)
            return static_cast<int>(i);
    return -1;
}

void TcmNotifyList::Call(QObject* sender, std::int32_t code) const
{
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        std::function<void(QObject*, std::int32_t)> fn;
        {
            std::lock_guard lock(fMutex);
            if (i >= static_cast<int>(fItems.size()))
                return;
            fn = fItems[i].fn;
        }
        if (fn)
            fn(sender, code);
    }
}

} // namespace comm
