// app_fake_fixture.cpp - start and stop of Velmira32 with the stand-in library.
#include "app_fake_fixture.h"

namespace velmira_test {

std::string ExeDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of("\\/"));
}

void FakeAppTest::SetUp() {
    dir_ = ScratchDir("fake");
    SetEnvironmentVariableA("VELMIRA_FAKE_DIR", dir_.c_str());
    ASSERT_TRUE(app_.Start(ExeDir() + "\\fake_tovan\\Velmira32.exe", dir_));
}

void FakeAppTest::TearDown() {
    // The application ends cleanly: a crash would give another code.
    EXPECT_EQ(0u, app_.Stop());
}

void FakeAppTest::Control(const char* key, int value) {
    WritePrivateProfileStringA("fake", key, std::to_string(value).c_str(), (dir_ + "\\control.ini").c_str());
}

std::vector<std::string> FakeAppTest::Calls() const {
    std::string text = ReadFileBytes(dir_ + "\\calls.txt");
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) lines.push_back(text.substr(at, end - at));
    return lines;
}

}  // namespace velmira_test
