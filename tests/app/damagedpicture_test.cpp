// A record whose stored picture cannot be decoded still opens.
#include "controls/dbedit.h"
#include "controls/dbimagedatabase.h"
#include "e2e/e2eapp.h"

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::E2eApp;

TEST(DamagedPicture, RecordOpensWithAnEmptyPictureAndTheUserIsToldWhichField)
{
    E2eApp app(QStringLiteral("e2e-shop"));
    ASSERT_TRUE(app.start());
    app.seed(QStringLiteral("INSERT INTO customers (name, photo, photo_filename) "
                            "VALUES ('Ada', X'00112233', 'C:\\Photos\\ada.png')"));
    E2eApp::grid(u"frmMain"_s, u"gridCustomers"_s).dbExecute();

    app.ui.expectMessage();
    bool opened = false;
    app.ui.expectModal([&](QDialog *) {
        opened = true;
        EXPECT_EQ(E2eApp::control<TdbEdit>(u"frmCustomer"_s, u"edName"_s).text(), QStringLiteral("Ada"));
        auto &photo = E2eApp::control<TdbImageDataBase>(u"frmCustomer"_s, u"imgPhoto"_s);
        EXPECT_TRUE(photo.picture().isNull());
        EXPECT_EQ(photo.dbFileName(), QStringLiteral("C:\\Photos\\ada.png"));
        photo.showToolBar();
        EXPECT_TRUE(photo.toolButtonDelete()->isEnabled()); // the user can remove it
    });
    E2eApp::click(u"frmMain"_s, u"bEdit"_s);

    EXPECT_TRUE(opened);
    ASSERT_EQ(app.ui.messages().size(), 1u);
    EXPECT_TRUE(app.ui.messages()[0].text.contains(QStringLiteral("\"photo\"")))
        << app.ui.messages()[0].text.toStdString();
}
