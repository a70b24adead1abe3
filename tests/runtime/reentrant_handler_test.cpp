// A handler that replaces or clears itself while it runs, also from a nested
// call; captures are read after the replacement, so the sanitizer suites see
// any handler freed too early.

#include "runtime/reentrant_handler.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Handler = runtime::ReentrantHandler<void(int depth)>;

TEST(ReentrantHandler, ReplacedOrClearedWhileRunningFinishesTheRunningCall)
{
    struct Case {
        const char* name;
        bool clear;        // else replace
        int replaceAt;     // call depth at which the handler changes itself
    };
    for (const Case c : {Case{"replace", false, 0}, Case{"clear", true, 0}, Case{"replace in a nested call", false, 1},
                         Case{"clear in a nested call", true, 1}}) {
        SCOPED_TRACE(c.name);
        Handler handler;
        std::vector<std::string> log;
        auto label = std::make_shared<std::string>("first");
        handler = [&, label](int depth) {
            if (depth == c.replaceAt) {
                if (c.clear)
                    handler = nullptr;
                else
                    handler = [&](int) { log.push_back("second"); };
            }
            if (depth == 0 && handler)
                handler(depth + 1);
            log.push_back(*label + "@" + std::to_string(depth));  // read after the change
        };
        std::weak_ptr<std::string> firstAlive = label;
        label.reset();
        handler(0);
        EXPECT_TRUE(firstAlive.expired()) << "the replaced handler outlived the outermost call";
        if (c.clear) {
            EXPECT_FALSE(handler);
            EXPECT_EQ(log, (c.replaceAt == 0 ? std::vector<std::string>{"first@0"}
                                              : std::vector<std::string>{"first@1", "first@0"}));
        } else {
            ASSERT_TRUE(handler);
            handler(0);
            EXPECT_EQ(log.back(), "second");
        }
    }
}

TEST(ReentrantHandler, AnErrorStillFreesTheReplacedHandler)
{
    Handler handler;
    auto label = std::make_shared<int>(1);
    std::weak_ptr<int> alive = label;
    handler = [&handler, label = std::move(label)](int) {
        handler = [](int) {};
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(handler(0), std::runtime_error);
    EXPECT_TRUE(alive.expired());
    EXPECT_NO_THROW(handler(0));
}

TEST(ReentrantHandler, CopiesAreIndependentAndAnEmptyOneCannotBeCalled)
{
    int calls = 0;
    Handler a = [&calls](int) { ++calls; };
    Handler b = a;
    a = nullptr;
    ASSERT_TRUE(b);
    b(0);
    EXPECT_EQ(calls, 1);
    EXPECT_THROW(a(0), std::bad_function_call);
}

} // namespace
