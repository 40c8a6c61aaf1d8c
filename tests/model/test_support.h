// Helpers of the file tests: a view that records what the model tells it, and temporary files.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "stand_in_sections.h"
#include "model/tuning_observer.h"

namespace filetest {

// What the model told the windows, one line per call.
class RecordingView : public model::TuningObserver {
public:
    std::vector<std::string> calls;
    bool ready = true;

    bool ViewsReady() override { return ready; }
    void SpeakerAssigned(int o, int p, int k, int v, uint32_t a) override {
        Log("assign " + std::to_string(o) + " " + std::to_string(p) + " " + std::to_string(k) +
            " " + std::to_string(v) + " " + std::to_string(a));
    }
    void ResetCrossoverPanel() override { Log("reset panel"); }
    void ResetDisplaySwitches() override { Log("reset switches"); }
    void ClearChartCurves() override { Log("clear chart"); }
    void ShowListeningPoint(int p) override { Log("listening " + std::to_string(p)); }
    void RefreshPages() override { Log("refresh"); }
    void WorkingModeChanged(uint32_t m) override { Log("mode " + std::to_string(m)); }
    void ShowCrossover(int o) override { Log("show crossover " + std::to_string(o)); }
    void ShowEqualiser(int o) override { Log("show eq " + std::to_string(o)); }
    void EqualiserCurveChanged(int o) override { Log("eq curve " + std::to_string(o)); }
    void PresetSelected(int p) override { Log("selected " + std::to_string(p)); }
    void ClearSpeakers() override { Log("clear speakers"); }
    void AssignmentLoaded(int p) override { Log("loaded " + std::to_string(p)); }
    void LevelIconChanged(int o, int p, int k, int v) override {
        Log("icon " + std::to_string(o) + " " + std::to_string(p) + " " + std::to_string(k) + " " +
            std::to_string(v));
    }
    void ChannelStatesChanged() override { Log("channel states"); }
    void FullWriteRequested() override { Log("full write"); }

    bool Saw(const std::string& line) const {
        for (const auto& c : calls)
            if (c == line) return true;
        return false;
    }

private:
    void Log(std::string s) { calls.push_back(std::move(s)); }
};

// A path in the temporary folder, unique to the running test, removed (with its ".tmp") at the end.
class TempFile {
public:
    explicit TempFile(const std::string& name) {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string stem = info ? std::string(info->test_suite_name()) + "_" + info->name() : "x";
        for (char& ch : stem)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        path_ = (std::filesystem::temp_directory_path() / ("darvix_" + stem + "_" + name)).string();
        Remove();
    }
    ~TempFile() { Remove(); }
    const std::string& path() const { return path_; }

private:
    void Remove() {
        std::remove(path_.c_str());
        std::remove((path_ + ".tmp").c_str());
    }
    std::string path_;
};

inline bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    uint8_t buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

inline bool FileExists(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

}  // namespace filetest
