// The database picture control: placeholder, hover toolbar, its buttons, the click into the
// viewer, and decoding by extension.
#include "controls/dbimagedatabase.h"
#include "controls/imageviewer.h"
#include "controls/tform.h"
#include "platform/errors.h"
#include "support/fixtures.h"
#include "support/pictures.h"
#include "support/scriptedinteraction.h"

#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarvo {
namespace {

using test::anyPicture;

class ImageFieldsPicture : public ::testing::Test {
protected:
    ImageFieldsPicture()
    {
        form.setObjectName(QStringLiteral("frmPictures"));
        form.resize(400, 300);
        image = new TdbImageDataBase(&form);
        image->setObjectName(QStringLiteral("imgPhoto"));
        form.addComponent(image);
        image->setGeometry(30, 40, 200, 100);
        form.show();
    }

    void clickImage() { QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(50, 50)); }

    test::ScriptedInteraction ui;
    test::ProjectFolder folder;
    TForm form;
    TdbImageDataBase *image;
};

TEST_F(ImageFieldsPicture, PlaceholderFillsTheEmptyControlAndFollowsItsSize)
{
    const QImage &shown = image->picture().image();
    ASSERT_EQ(shown.size(), QSize(200, 100));
    const QColor face = image->palette().color(QPalette::Button);
    EXPECT_EQ(shown.pixelColor(100, 50), face);
    // Dotted: each edge, the last row and column included, alternates between pen and face.
    const auto edge = [&](QPoint from, QPoint step, int length) {
        int dark = 0;
        for (QPoint p = from; length-- > 0; p += step)
            dark += shown.pixelColor(p) == QColor(Qt::black);
        return dark;
    };
    for (const int dark : {edge({0, 0}, {1, 0}, 200), edge({0, 99}, {1, 0}, 200), edge({0, 0}, {0, 1}, 100),
                           edge({199, 0}, {0, 1}, 100)}) {
        EXPECT_GT(dark, 10);
        EXPECT_LT(dark, 80);
    }

    image->resize(120, 80);
    EXPECT_EQ(image->picture().image().size(), QSize(120, 80));
    // an absurd size lays out but does not cost gigabytes
    image->resize(20000, 20000);
    EXPECT_EQ(image->size(), QSize(20000, 20000));
    EXPECT_LE(qint64(image->picture().width()) * image->picture().height(), 4096 * 4096);
    image->resize(120, 80);

    image->LoadPictureFromStream(anyPicture("PNG"), QStringLiteral("a.png"));
    image->setDbFileName(QStringLiteral("a.png"));
    image->resize(150, 90);
    EXPECT_EQ(image->picture().image().size(), QSize(8, 6));
}

TEST_F(ImageFieldsPicture, ToolbarSitsCentredOnTheTopEdgeInTheParentAndEnablesByPicture)
{
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(40, 50));
    QApplication::sendEvent(image, &enter);
    QToolBar *bar = image->toolBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->parentWidget(), &form);
    EXPECT_EQ(bar->pos(), QPoint(30 + 100 - bar->width() / 2, 41));
    EXPECT_EQ(bar->widgetForAction(image->toolButtonOpen())->size(), QSize(26, 26));
    EXPECT_EQ(image->toolButtonOpen()->toolTip(), u"Select image to be save in the database"_s);
    EXPECT_EQ(image->toolButtonSave()->toolTip(), u"Save image from the database"_s);
    EXPECT_EQ(image->toolButtonDelete()->toolTip(), u"Delete the image from the database"_s);
    EXPECT_TRUE(image->toolButtonOpen()->isEnabled());
    EXPECT_FALSE(image->toolButtonSave()->isEnabled());
    EXPECT_FALSE(image->toolButtonDelete()->isEnabled());

    image->setDbFileName(QStringLiteral("C:\\pics\\a.png"));
    image->showToolBar();
    EXPECT_TRUE(image->toolButtonSave()->isEnabled());
    EXPECT_TRUE(image->toolButtonDelete()->isEnabled());
}

TEST_F(ImageFieldsPicture, ToolbarHidesOnlyWhenThePointerLeavesAcrossAnEdge)
{
    const struct {
        QPoint at;
        bool stays;
    } cases[] = {
        {{100, 5}, true}, // onto the toolbar over the top edge
        {{5, 95}, true},    {{195, 50}, true}, {{4, 50}, false},
        {{196, 50}, false}, {{100, 4}, false}, {{100, 96}, false},
    };
    for (const auto &c : cases) {
        image->showToolBar();
        image->leaveAt(c.at);
        EXPECT_EQ(image->toolBar()->isVisible(), c.stays) << c.at.x() << "," << c.at.y();
    }
}

// No leave event arrives while a file dialog holds the pointer: the toolbar follows where the
// pointer is once the dialog is gone.
TEST_F(ImageFieldsPicture, ToolbarFollowsThePointerAfterAFileDialog)
{
    const struct {
        QPoint at;
        bool stays;
    } cases[] = {
        {{100, 50}, true}, // still over the picture
        {{300, 250}, false},
    };
    for (const auto &c : cases) {
        image->showToolBar();
        QCursor::setPos(form.mapToGlobal(c.at));
        ui.expectOpenFile(QString());
        image->toolButtonOpen()->trigger();
        EXPECT_EQ(image->toolBar()->isVisible(), c.stays) << c.at.x() << "," << c.at.y();
    }
}

TEST_F(ImageFieldsPicture, OpenButtonLoadsAnExistingFileByItsExtension)
{
    const QByteArray png = anyPicture("PNG", 10, 7);
    folder.write(QStringLiteral("photo.PNG"), png);
    folder.write(QStringLiteral("notes.txt"), QByteArray("text"));

    ui.expectOpenFile(QString()); // cancelled
    ui.expectOpenFile(folder.file(QStringLiteral("missing.png")));
    image->toolButtonOpen()->trigger();
    image->toolButtonOpen()->trigger();
    EXPECT_TRUE(image->dbFileName().isEmpty());
    EXPECT_FALSE(image->dbImageIsChanged());

    ui.expectOpenFile(folder.file(QStringLiteral("photo.PNG")));
    image->toolButtonOpen()->trigger();
    EXPECT_EQ(image->dbFileName(), folder.file(QStringLiteral("photo.PNG")));
    EXPECT_TRUE(image->dbImageIsChanged());
    EXPECT_EQ(image->picture().image().size(), QSize(10, 7));
    EXPECT_EQ(image->pictureBytes(), png);

    // Another extension is taken as the name but leaves the picture as it was.
    ui.expectOpenFile(folder.file(QStringLiteral("notes.txt")));
    image->toolButtonOpen()->trigger();
    EXPECT_EQ(image->dbFileName(), folder.file(QStringLiteral("notes.txt")));
    EXPECT_EQ(image->pictureBytes(), png);
}

TEST_F(ImageFieldsPicture, SaveButtonWritesThePictureInItsOwnFormat)
{
    const QByteArray jpeg = anyPicture("JPEG", 16, 16);
    image->LoadPictureFromStream(jpeg, QStringLiteral("x.jpg"));
    image->setDbFileName(QStringLiteral("C:\\Photos\\holiday.jpg"));

    ui.expectSaveFile(folder.file(QStringLiteral("copy.bmp"))); // the extension does not convert
    ui.expectSaveFile(QString());
    image->toolButtonSave()->trigger();
    image->toolButtonSave()->trigger();
    EXPECT_EQ(folder.read(QStringLiteral("copy.bmp")), jpeg);
}

TEST_F(ImageFieldsPicture, DeleteAsksAndOnlyYesRemovesThePicture)
{
    const QByteArray gif = anyPicture("GIF");
    image->LoadPictureFromStream(gif, QStringLiteral("a.gif"));
    image->setDbFileName(QStringLiteral("a.gif"));

    ui.expectMessage(MessageAnswer::No);
    image->toolButtonDelete()->trigger();
    ASSERT_EQ(ui.messages().size(), 1u);
    const Message &asked = ui.messages().front();
    EXPECT_EQ(asked.text, u"Are you sure you want to delete the image from the database?"_s);
    EXPECT_EQ(asked.caption, u"Confirm"_s);
    EXPECT_EQ(asked.icon, MessageIcon::Information);
    EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
    EXPECT_EQ(image->dbFileName(), u"a.gif"_s);
    EXPECT_EQ(image->pictureBytes(), gif);
    EXPECT_FALSE(image->dbImageIsChanged());

    ui.expectMessage(MessageAnswer::Yes);
    image->toolButtonDelete()->trigger();
    EXPECT_TRUE(image->dbFileName().isEmpty());
    EXPECT_TRUE(image->dbImageIsChanged());
    EXPECT_EQ(image->picture().image().size(), QSize(200, 100)); // the placeholder again
}

TEST_F(ImageFieldsPicture, ClickShowsThePictureInTheViewerOnlyWhenThereIsOne)
{
    TfrmTarvoImageViewer viewer;
    viewer.setScreenSize(QSize(1280, 1024));
    clickImage();
    EXPECT_FALSE(viewer.isVisible());

    image->LoadPictureFromStream(anyPicture("BMP", 40, 30), QStringLiteral("a.bmp"));
    image->setDbFileName(QStringLiteral("a.bmp"));
    clickImage();
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_EQ(viewer.imgView()->picture().image().size(), QSize(40, 30));
}

TEST(ImageFieldsDecoding, LoadPictureFromStreamDecodesByExtensionOnly)
{
    const struct {
        const char *encoder;
        const char *name;
        bool loads;
    } cases[] = {
        {"BMP", "a.bmp", true},  {"PNG", "C:\\dir.x\\a.PNG", true}, {"GIF", "a.gif", true},
        {"JPEG", "a.jpg", true}, {"JPEG", "a.JPeg", true},          {"PNG", "a.txt", false},
        {"PNG", "png", false},   {"PNG", "dir.png\\file", false},
    };
    for (const auto &c : cases) {
        TdbImageDataBase image;
        image.setDbFileName(QStringLiteral("kept"));
        image.LoadPictureFromStream(anyPicture(c.encoder, 5, 4), QString::fromLatin1(c.name));
        EXPECT_EQ(image.picture().isNull(), !c.loads) << c.name;
        EXPECT_EQ(image.dbFileName(), u"kept"_s);
    }
}

TEST(ImageFieldsDecoding, DamagedPictureRaisesAndKeepsTheOldOne)
{
    TdbImageDataBase image;
    image.LoadPictureFromStream(anyPicture("PNG"), QStringLiteral("a.png"));
    EXPECT_THROW(image.LoadPictureFromStream(QByteArray("not a picture"), QStringLiteral("b.png")), ConversionError);
    EXPECT_EQ(image.picture().image().size(), QSize(8, 6));
}

// Transparent keys out the bottom-left colour of a bitmap; a photo keeps its pixels.
TEST(ImageFieldsDecoding, TransparentKeysOutOnlyBitmaps)
{
    const struct {
        const char *encoder;
        const char *name;
        bool keyed;
    } cases[] = {
        {"BMP", "a.bmp", true},
        {"JPEG", "a.jpg", false},
        {"PNG", "a.png", false},
    };
    for (const auto &c : cases) {
        QWidget surface;
        surface.setAutoFillBackground(true);
        surface.setPalette(QPalette(Qt::red));
        surface.resize(40, 40);
        auto *image = new TdbImage(&surface);
        image->setGeometry(0, 0, 40, 40);
        image->setTransparent(true);
        image->setPicture(*Picture::decodeByName(anyPicture(c.encoder, 40, 40), QString::fromLatin1(c.name)));
        const QColor seen = surface.grab().toImage().pixelColor(20, 20);
        EXPECT_EQ(seen == QColor(Qt::red), c.keyed) << c.name << " " << seen.name().toStdString();
    }
}

TEST(ImageFieldsDecoding, PlainImageLoadsAnExistingFileByExtension)
{
    test::ProjectFolder folder;
    folder.write(QStringLiteral("logo.gif"), anyPicture("GIF", 12, 9));
    folder.write(QStringLiteral("logo.dat"), anyPicture("GIF", 12, 9));
    TdbImage image;
    image.LoadPicture(folder.file(QStringLiteral("missing.gif")));
    image.LoadPicture(folder.file(QStringLiteral("logo.dat")));
    EXPECT_TRUE(image.picture().isNull());
    image.LoadPicture(folder.file(QStringLiteral("logo.gif")));
    EXPECT_EQ(image.picture().image().size(), QSize(12, 9));
}

} // namespace
} // namespace tarvo
