// A TMachineServices that records every call, for tests of the machine.
#pragma once

#include "ui/services/bounded_log.h"
#include "ui/services/machine_services.h"

#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RecordingServices : public TMachineServices {
  public:
    explicit RecordingServices(std::size_t maxLogLines = TBoundedLog::DefaultMaxLines) : Log(maxLogLines) {}

    void AppendLog(const std::string& line) override { Log.Append(line); }
    void ShowPPIPortA(std::uint8_t v) override { PpiPorts[0] = v; }
    void ShowPPIPortB(std::uint8_t v) override { PpiPorts[1] = v; }
    void ShowPPIPortC(std::uint8_t v) override { PpiPorts[2] = v; }
    void ShowPIOPortA(std::uint8_t d, std::uint8_t v) override { PioPorts[0] = {d, v}; }
    void ShowPIOPortB(std::uint8_t d, std::uint8_t v) override { PioPorts[1] = {d, v}; }
    void ShowFDCStatus(const std::uint8_t r[6]) override {
        for (int i = 0; i < 6; ++i)
            FdcRegisters[i] = r[i];
        ++FdcStatusShown;
    }
    bool HasIOMonitor() const override { return IOMonitorExists; }
    void SetIOLabel(int index, const std::string& text) override { Labels[index] = text; }
    void RefreshStatusBar() override { ++StatusBarRefreshes; }
    TBitmap32* ScreenBitmap() override { return Screen; }
    void* WindowHandle() override { return Handle; }
    void ClickRun() override { ++RunClicks; }

    // The log's lines, oldest first.
    std::vector<std::string> Lines() const { return {Log.Contents().begin(), Log.Contents().end()}; }
    // Lines added since the last call of TakeLines, which forgets them.
    std::vector<std::string> TakeLines() {
        auto lines = Lines();
        Log.Clear();
        return lines;
    }

    TBoundedLog Log;
    std::array<std::uint8_t, 3> PpiPorts{};
    std::array<std::pair<std::uint8_t, std::uint8_t>, 2> PioPorts{};
    std::array<std::uint8_t, 6> FdcRegisters{};
    int FdcStatusShown = 0;
    bool IOMonitorExists = true;
    std::map<int, std::string> Labels;
    int StatusBarRefreshes = 0;
    int RunClicks = 0;
    TBitmap32* Screen = nullptr;
    void* Handle = nullptr;
};
