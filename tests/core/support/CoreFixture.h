// A control's record with a fresh store, on the fake platform. The pane windows
// are made-up handles: the core only compares and passes them on.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "core/support/FakePlatform.h"
#include "base/EditorInstance.h"
#include "store/LineStore.h"

namespace qv::test {

inline WindowRef FakeWindow(uintptr_t n) { return reinterpret_cast<WindowRef>(n); }

class CoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        InstallPlatform(&platform);
        ed = std::make_unique<EditorInstance>();
        ed->hwnd = FakeWindow(0x100);
        ed->hwndParent = FakeWindow(0x200);
        ed->panes[0].hwnd = FakeWindow(0x300);
        ed->panes[1].hwnd = FakeWindow(0x400);
        ed->hwndActivePane = ed->panes[0].hwnd;
        SetInstanceDefaults(*ed);
        ASSERT_TRUE(CreateStore(*ed));
    }
    void TearDown() override {
        DestroyStore(*ed);
        InstallPlatform(nullptr);
    }

    FakePlatform platform;
    std::unique_ptr<EditorInstance> ed;
};

}  // namespace qv::test
