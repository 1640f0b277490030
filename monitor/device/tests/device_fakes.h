#pragma once
// Fakes for the DeviceWorker's transport, clock and host. They write one line per thing that happened into one
// Recorder, in the virtual mouse's log format for transfers ("SET 01 02 ...") and "PAUSE <ms>" for pauses, so that
// a job's record can be compared with FormatTransfers of the expected list.

#include <windows.h>

#include "monitor/device/device_worker.h"
#include "testing/text_lines.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

class Recorder {
public:
    void Add(std::string line) {
        std::lock_guard<std::mutex> lock(lock_);
        lines_.push_back(std::move(line));
        changed_.notify_all();
    }
    std::vector<std::string> Lines() const {
        std::lock_guard<std::mutex> lock(lock_);
        return lines_;
    }
    // Waits until `line` has been recorded `times` times; false after the time limit.
    bool WaitForCount(const std::string& line, int times, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
        std::unique_lock<std::mutex> lock(lock_);
        return changed_.wait_for(lock, limit, [&] {
            int n = 0;
            for (const std::string& l : lines_) {
                n += l == line;
            }
            return n >= times;
        });
    }

    // Waits until at least `count` lines have been recorded; false after the time limit.
    bool WaitForLines(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
        std::unique_lock<std::mutex> lock(lock_);
        return changed_.wait_for(lock, limit, [&] { return lines_.size() >= count; });
    }

private:
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
};

inline std::string HexLine(const char* kind, const uint8_t* bytes, int length) {
    std::string line = kind;
    char hex[4];
    for (int i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
        line += hex;
    }
    return line;
}

class FakeTransport : public DeviceTransport {
public:
    explicit FakeTransport(Recorder& recorder) : recorder_(recorder) {}
    bool SetFeature(const uint8_t* report, int length, int& result) override {
        return Step("SET", report, length, result);
    }
    bool WriteUSB(const uint8_t* block, int length, int& result) override {
        return Step("WRITE", block, length, result);
    }
    bool GetFeature(uint8_t* buffer, int length, int& result) override {
        if (!Step("GET", buffer, length, result)) {
            return false;
        }
        std::copy_n(answer.begin(), std::min<int>(length, 8), buffer);
        result = getResult;
        return true;
    }

    std::array<uint8_t, 8> answer{0x8B, 1, 0, 0, 0, 0, 0, 0x73};
    int getResult = 1;
    int refuseAfter = -1; // transfers allowed before the interfaces count as closed; -1: never

private:
    bool Step(const char* kind, const uint8_t* bytes, int length, int& result) {
        if (refuseAfter == 0) {
            return false;
        }
        if (refuseAfter > 0) {
            --refuseAfter;
        }
        recorder_.Add(HexLine(kind, bytes, length));
        result = 1;
        return true;
    }
    Recorder& recorder_;
};

class FakeClock : public PauseClock {
public:
    explicit FakeClock(Recorder& recorder) : recorder_(recorder) {}
    void Pause(int ms) override {
        recorder_.Add("PAUSE " + std::to_string(ms));
        ++pauses_;
        if (onPause) {
            onPause(pauses_);
        }
    }
    std::function<void(int pauseNumber)> onPause; // on the worker thread

private:
    Recorder& recorder_;
    int pauses_ = 0;
};

class FakeHost : public DeviceJobHost {
public:
    explicit FakeHost(Recorder& recorder) : recorder_(recorder) {}
    bool PostToOption(unsigned message) override {
        if (!optionPresent) {
            return false;
        }
        recorder_.Add("POST " + std::to_string(message));
        return true;
    }
    void SaveAllProfiles(const ShareData& data) override { recorder_.Add("SAVE " + Describe(data)); }
    void WriteBlock(const ShareData& data) override { recorder_.Add("BLOCK " + Describe(data)); }
    void Trace(const char* line) override { recorder_.Add(std::string("TRACE ") + line); }

    bool optionPresent = true;

    // The current profile and its stage index, as the read-back leaves them.
    static std::string Describe(const ShareData& data) {
        const ProfileRecord* p = ActiveProfile(data);
        return "profile " + std::to_string(data.CurrentProfile) + " cpi " + (p ? std::to_string(p->Cpi_X) : "-");
    }

private:
    Recorder& recorder_;
};
