// The I/O monitor's share of the machine's services: each call goes one to one
// to the window in IOForm, and does nothing while that window does not exist.
// The main window's services derive from this and add the rest.
#pragma once

#include "machine/machine_services.h"
#include "ui/app/io_form.h"

class TIOFormServices : public TMachineServices {
  public:
    void AppendLog(const std::string& line) override {
        if (IOForm) IOForm->AppendLog(line);
    }
    void ShowPPIPortA(std::uint8_t value) override {
        if (IOForm) IOForm->ShowPPIPortA(value);
    }
    void ShowPPIPortB(std::uint8_t value) override {
        if (IOForm) IOForm->ShowPPIPortB(value);
    }
    void ShowPPIPortC(std::uint8_t value) override {
        if (IOForm) IOForm->ShowPPIPortC(value);
    }
    void ShowPIOPortA(std::uint8_t direction, std::uint8_t data) override {
        if (IOForm) IOForm->ShowPIOPortA(direction, data);
    }
    void ShowPIOPortB(std::uint8_t direction, std::uint8_t data) override {
        if (IOForm) IOForm->ShowPIOPortB(direction, data);
    }
    void ShowFDCStatus(const std::uint8_t registers[6]) override {
        if (IOForm) IOForm->ShowFDCStatus(registers);
    }
    bool HasIOMonitor() const override { return IOForm != nullptr; }
    void SetIOLabel(int index, const std::string& text) override {
        if (IOForm) IOForm->SetIOLabel(index, text);
    }
};
