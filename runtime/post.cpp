#include "runtime/post.h"

namespace runtime {

std::mutex& PostOrder()
{
    static std::mutex order;
    return order;
}

void PostEvent(QObject* receiver, QEvent* event)
{
    std::lock_guard lock(PostOrder());
    QCoreApplication::postEvent(receiver, event);
}

void AcceptPosted()
{
    std::lock_guard delivered(PostOrder());
}

} // namespace runtime
