// The demo project as a user meets it: "Add sample data" adds its rows once and shows them.
#include "e2eapp.h"
#include "platform/errorhandler.h"

namespace tarvo {
namespace {

using test::E2eApp;

TEST(DemoE2e, SampleDataIsAddedOnceAndShown)
{
    E2eApp app(QStringLiteral("../../examples/demo"));
    ASSERT_TRUE(app.start());
    const auto counts = [&] {
        return app.rows(
            QStringLiteral("SELECT (SELECT count(*) FROM city) || ' ' || (SELECT count(*) FROM customers)"
                           " || ' ' || (SELECT count(*) FROM orders) || ' ' || (SELECT count(*) FROM order_lines)"));
    };

    E2eApp::click(QStringLiteral("frmMain"), QStringLiteral("bSample"));
    EXPECT_EQ(counts(), QStringList{QStringLiteral("3 3 2 3")});
    EXPECT_EQ(E2eApp::gridColumn(QStringLiteral("frmMain"), QStringLiteral("gridCustomers"), 0),
              (QStringList{QStringLiteral("Ada Lovelace"), QStringLiteral("Grace Hopper"),
                           QStringLiteral("Анна павлова")}));

    app.ui.expectMessage();
    E2eApp::click(QStringLiteral("frmMain"), QStringLiteral("bSample"));
    ASSERT_EQ(app.ui.messages().size(), 1u);
    EXPECT_EQ(app.ui.messages()[0].text, QStringLiteral("The sample data is already there."));
    EXPECT_EQ(app.ui.messages()[0].caption, applicationTitle());
    EXPECT_EQ(counts(), QStringList{QStringLiteral("3 3 2 3")});
}

} // namespace
} // namespace tarvo
