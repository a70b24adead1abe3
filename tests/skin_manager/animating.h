#pragma once
// Lets the skin's animations run for the length of a scope, although the
// offscreen platform the tests run on has no screen to show them on.

#include "skin/manager/skin_manager.h"

namespace skin_test {

struct Animating {
    Animating() { skin::TkSkinManager::ForcePlatformAnimates(true); }
    ~Animating() { skin::TkSkinManager::ForcePlatformAnimates(std::nullopt); }
    Animating(const Animating&) = delete;
    Animating& operator=(const Animating&) = delete;
};

} // namespace skin_test
