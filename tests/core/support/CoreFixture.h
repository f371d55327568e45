// A control's record with a fresh store, on the fake platform. The pane windows
// are made-up handles: the core only compares and passes them on. `ed` is the
// record's EditorInstance, as the control window's extra value is.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "core/support/FakePlatform.h"
#include "base/ControlRecord.h"
#include "store/LineStore.h"

namespace qv::test {

inline WindowRef FakeWindow(uintptr_t n) { return reinterpret_cast<WindowRef>(n); }

// A control's zero record with its made-up windows (`windows` + 0x000 the control,
// + 0x100 its parent, + 0x200 and + 0x300 the panes) and the defaults; no store yet.
inline std::unique_ptr<ControlRecord> NewControlRecord(uintptr_t windows = 0x100) {
    auto record = std::make_unique<ControlRecord>();
    EditorInstance& ed = record->ed;
    ed.hwnd = FakeWindow(windows);
    ed.hwndParent = FakeWindow(windows + 0x100);
    ed.panes[0].hwnd = FakeWindow(windows + 0x200);
    ed.panes[1].hwnd = FakeWindow(windows + 0x300);
    ed.hwndActivePane = ed.panes[0].hwnd;
    SetInstanceDefaults(ed);
    return record;
}

class CoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        InstallPlatform(&platform);
        record = NewControlRecord();
        ed = &record->ed;
        ASSERT_TRUE(CreateStore(*ed));
    }
    void TearDown() override {
        DestroyStore(*ed);
        InstallPlatform(nullptr);
    }

    FakePlatform platform;
    std::unique_ptr<ControlRecord> record;
    EditorInstance* ed = nullptr;
};

}  // namespace qv::test
