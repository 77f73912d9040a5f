// Where a message box appears: above the form the user is working in.
#include "platform/qtinteraction.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <gtest/gtest.h>

using namespace tarvo;

TEST(MessageParent, AMessageOwnedByTheMainWindowSitsAboveTheOpenForm)
{
    QWidget main;
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    EXPECT_EQ(messageParent(&main), &main);

    QDialog form(&main);
    form.setWindowModality(Qt::ApplicationModal);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(messageParent(&main), &form);

    // a form still being filled before it is shown gives way to the window in front
    QDialog filling;
    QApplication::setActiveWindow(&form);
    EXPECT_EQ(messageParent(&filling), &form);
    form.hide();
    EXPECT_EQ(messageParent(&main), &main);
}
