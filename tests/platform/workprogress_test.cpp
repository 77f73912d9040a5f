// Long work on the real desktop: no progress window for the first half second, then a modal one
// whose Cancel stops the work; work started inside other work shows nothing of its own.
#include "platform/qtinteraction.h"
#include "platform/workprogress.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

QProgressDialog *shownProgressWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QProgressDialog *>(w); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

class RealDesktop : public testing::Test {
protected:
    void SetUp() override { previous = setInteraction(&desktop); }
    void TearDown() override { setInteraction(previous); }

    QtInteraction desktop;
    Interaction *previous = nullptr;
};

// Runs units of about 0.1 ms until `stop` says so or the work is cancelled; false when cancelled.
template <class Stop> bool work(WorkProgress &progress, Stop stop)
{
    while (!stop()) {
        QThread::usleep(100);
        if (!progress.advance())
            return false;
    }
    return true;
}

TEST_F(RealDesktop, TheWindowShowsAfterHalfASecondAndCancelStopsTheWork)
{
    QElapsedTimer clock;
    clock.start();
    {
        WorkProgress progress(QStringLiteral("Reading rows: %1"), 0, 16);
        EXPECT_TRUE(WorkProgress::running());
        ASSERT_TRUE(work(progress, [&] { return clock.elapsed() >= 350; }));
        EXPECT_EQ(shownProgressWindow(), nullptr);

        ASSERT_TRUE(work(progress, [&] { return shownProgressWindow() != nullptr || clock.elapsed() >= 5000; }));
        QProgressDialog *window = shownProgressWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_GE(clock.elapsed(), 500);
        EXPECT_TRUE(window->isModal());
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor); // Cancel is clickable
        ASSERT_TRUE(work(progress, [&] { return clock.elapsed() >= 800; }));
        EXPECT_TRUE(window->findChild<QLabel *>()->text().startsWith(QStringLiteral("Reading rows: ")));

        window->findChild<QPushButton *>()->click();
        EXPECT_FALSE(work(progress, [] { return false; }));
        EXPECT_TRUE(progress.cancelled());
    }
    EXPECT_FALSE(WorkProgress::running());
    EXPECT_EQ(shownProgressWindow(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(RealDesktop, WorkInsideOtherWorkShowsNoWindowOfItsOwn)
{
    QElapsedTimer clock;
    clock.start();
    WorkProgress outer(QStringLiteral("outer"));
    WorkProgress inner(QStringLiteral("inner"), 0, 1);
    ASSERT_TRUE(work(inner, [&] { return clock.elapsed() >= 700; }));
    EXPECT_EQ(shownProgressWindow(), nullptr);
}

} // namespace
