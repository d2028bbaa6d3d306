// The application object of a window test: one GuardedApplication for the
// whole test program, as the real programs have.
#pragma once

#include "platform/qt/guarded.h"

#include <QRect>
#include <QString>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}

namespace testing_qt {

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { App = std::make_unique<platform::GuardedApplication>(Argc, Argv); }
    void TearDown() override { App.reset(); }

  private:
    int Argc = 1;
    char Name[16] = "window_test";
    char* Argv[2] = {Name, nullptr};
    std::unique_ptr<platform::GuardedApplication> App;
};

inline ::testing::Environment* const Environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace testing_qt
