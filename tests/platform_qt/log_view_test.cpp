// The log memo: it follows the end of the log while scrolled there, keeps its
// lines in view while scrolled back as older lines are dropped, and scrolls
// sideways over lines wider than the view.
#include "fixtures/qt_test_app.h"

#include "platform_qt/log_view.h"

#include <QScrollBar>
#include <QTest>

namespace {

using platform_qt::TLogView;

class LogViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        View.resize(300, 120);
        View.SetMaxLines(1000);
        View.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&View));
    }
    void Add(int count, const std::string& text = "line ") {
        for (int i = 0; i < count; ++i)
            View.Append(text + std::to_string(Next++));
        View.Refresh();
    }
    const std::string& TopText() const { return View.Lines()[std::size_t(View.TopLine())]; }

    TLogView View;
    int Next = 0;
};

TEST_F(LogViewTest, FollowsTheEndWhileScrolledThere) {
    Add(5);
    EXPECT_EQ(View.TopLine(), 0) << "a short log starts at its top";
    Add(600);
    EXPECT_EQ(View.TopLine(), 605 - View.VisibleLines());
    Add(900); // past the bound: the oldest lines go
    ASSERT_EQ(View.Lines().size(), 1000u);
    EXPECT_EQ(View.Lines().front(), "line 505");
    EXPECT_EQ(View.TopLine(), 1000 - View.VisibleLines());
    EXPECT_EQ(View.verticalScrollBar()->value(), View.verticalScrollBar()->maximum());
}

TEST_F(LogViewTest, ScrolledBackKeepsItsLinesWhileOlderOnesAreDropped) {
    Add(1000);
    View.verticalScrollBar()->setValue(700);
    const std::string shown = TopText();
    Add(300);
    EXPECT_EQ(View.TopLine(), 400);
    EXPECT_EQ(TopText(), shown);
    Add(2000); // the lines in view are dropped too: the view stays at the top
    EXPECT_EQ(View.TopLine(), 0);
}

TEST_F(LogViewTest, NothingShowsUntilRefresh) {
    const QImage empty = View.viewport()->grab().toImage();
    View.Append("FDC: Command 0b");
    EXPECT_EQ(View.PendingLines(), 1u);
    EXPECT_EQ(View.viewport()->grab().toImage(), empty);
    View.Refresh();
    EXPECT_EQ(View.PendingLines(), 0u);
    EXPECT_NE(View.viewport()->grab().toImage(), empty);
}

TEST_F(LogViewTest, WideLinesScrollSideways) {
    Add(3);
    EXPECT_EQ(View.horizontalScrollBar()->maximum(), 0);
    Add(1, std::string(200, 'W'));
    EXPECT_GT(View.horizontalScrollBar()->maximum(), 0);
}

} // namespace
