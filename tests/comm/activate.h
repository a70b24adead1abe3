#pragma once
// Opens a component's port; a failure fails the test with the error's text.

#include "comm/base_io.h"

#include <gtest/gtest.h>

#include <exception>

namespace comm_test {

inline void ActivateOrFail(comm::TcmBaseIO& com)
{
    try {
        com.SetActive(true);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
    ASSERT_TRUE(com.Active());
}

} // namespace comm_test
