#include "platform/errorhandler.h"
#include "platform/errors.h"
#include "support/scriptedinteraction.h"

#include <gtest/gtest.h>

using namespace tarvo;

TEST(ErrorHandler, FullStopRule)
{
    const struct {
        const char *in, *out;
    } cases[] = {
        {"no such table: x", "no such table: x."},
        {"already ends.", "already ends."},
        {"ends in a blank ", "ends in a blank "},  // ' ' < '.'
        {"ends in a dash-", "ends in a dash-"},    // '-' < '.'
        {"ends in a slash/", "ends in a slash/."}, // '/' > '.'
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(withFullStop(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
    EXPECT_EQ(withFullStop(QStringLiteral("Ошибка")), QStringLiteral("Ошибка."));
}

TEST(ErrorHandler, GuardShowsTheMessageAndSwallowsSilentAborts)
{
    test::ScriptedInteraction ui;
    ui.expectMessage();
    EXPECT_FALSE(guarded([] { throw DatabaseError(QStringLiteral("database is locked")); }));
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, QStringLiteral("database is locked."));
    EXPECT_EQ(ui.messages()[0].caption, applicationTitle());
    EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Error);

    EXPECT_FALSE(guarded([] { throw SilentAbort(); }));
    EXPECT_TRUE(guarded([] {}));
    EXPECT_EQ(ui.messages().size(), 1u);
}

TEST(ErrorHandler, TitleIsTheExecutableNameUpToTheFirstPoint)
{
    // The test binary is "platform_tests": first letter kept, the rest lower case.
    EXPECT_EQ(applicationTitle(), QStringLiteral("platform_tests"));
}
