// app_fake_fixture.h - Velmira32 started beside the scripted tovan32.dll,
// with a scratch folder for the stand-in's call record and controls.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app_driver.h"

namespace velmira_test {

// Command and control ids of Velmira32 used by the tests.
enum : UINT {
    kLogin = 32796, kReLogin = 32797, kLogout = 32798, kGateLogin = 32799, kAbort = 32801,
    kPut = 32774, kGet = 32775, kCwd = 32776, kMGet = 32778, kMPut = 32779, kDirList = 32780, kQuote = 32781,
    kBinary = 32782, kAscii = 32783, kLocalUnique = 32794, kStoreUnique = 32795, kStatusBox = 32802,
    kFileNew = 57600, kFileClose = 57602, kPrintPreview = 57609, kAbout = 57664, kWindowNew = 57648,
    kWindowTile = 57651, kViewToolbar = 59392, kViewStatusBar = 59393
};

// The folder of the test program.
std::string ExeDir();

class FakeAppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Sets one of the stand-in's results (see app_fake_tovan.cpp).
    void Control(const char* key, int value);
    // The calls the application made, one per line.
    std::vector<std::string> Calls() const;
    // The active view's log.
    std::vector<std::string> ActiveLog() const { return app_.Log(app_.View()); }

    AppDriver app_;
    std::string dir_;
};

}  // namespace velmira_test
