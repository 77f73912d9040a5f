// The image viewer: its sizing rule against the screen, and closing.
#include "controls/dbimage.h"
#include "controls/imageviewer.h"
#include "support/pictures.h"

#include <QDialog>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarvo {
namespace {

Picture pictureOfSize(int w, int h)
{
    return Picture::decode(test::encodedPicture("PNG", w, h), "png");
}

TEST(ImageFieldsViewer, DesignValues)
{
    TfrmTarvoImageViewer viewer;
    EXPECT_EQ(TfrmTarvoImageViewer::instance(), &viewer);
    EXPECT_EQ(viewer.windowTitle(), u"Просмотр изображений"_s);
    EXPECT_EQ(viewer.size(), QSize(664, 481));
    EXPECT_EQ(viewer.palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_FALSE(viewer.isModal());
}

TEST(ImageFieldsViewer, PictureLargerThanTheScreenByMoreThan20PixelsOpensMaximised)
{
    const struct {
        QSize picture;
        bool maximised;
    } cases[] = {
        {{1300, 700}, false}, {{1301, 700}, true}, {{700, 1044}, false}, {{700, 1045}, true}, {{40, 30}, false},
    };
    for (const auto &c : cases) {
        TfrmTarvoImageViewer viewer;
        viewer.setScreenSize(QSize(1280, 1024));
        viewer.ShowImageViewer(pictureOfSize(c.picture.width(), c.picture.height()));
        const auto label = ::testing::Message() << c.picture.width() << "x" << c.picture.height();
        EXPECT_TRUE(viewer.isVisible()) << label;
        EXPECT_EQ(viewer.isMaximized(), c.maximised) << label;
        EXPECT_EQ(viewer.imgView()->Stretch(), c.maximised) << label;
        if (!c.maximised) {
            EXPECT_EQ(viewer.size(), c.picture) << label;
        }
        EXPECT_EQ(viewer.imgView()->picture().image().size(), c.picture) << label;
    }
}

TEST(ImageFieldsViewer, EscapeAndDoubleClickCloseAndReleaseThePicture)
{
    TfrmTarvoImageViewer viewer;
    viewer.setScreenSize(QSize(1280, 1024));
    viewer.ShowImageViewer(pictureOfSize(60, 40));
    QTest::keyClick(&viewer, Qt::Key_Escape);
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_TRUE(viewer.imgView()->picture().isNull());

    viewer.ShowImageViewer(pictureOfSize(60, 40));
    QTest::mouseDClick(viewer.imgView(), Qt::LeftButton);
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_TRUE(viewer.imgView()->picture().isNull());
}

TEST(ImageFieldsViewer, ProportionalScalingKeepsTheAspectAndCentres)
{
    TImage image;
    image.resize(200, 200);
    image.setPicture(pictureOfSize(400, 100));
    image.setCenter(true);
    image.setProportional(true);
    EXPECT_EQ(image.pictureRect(), QRect(0, 75, 200, 50));
    image.setProportional(false);
    image.setStretch(true);
    EXPECT_EQ(image.pictureRect(), QRect(0, 0, 200, 200));
    image.setStretch(false);
    EXPECT_EQ(image.pictureRect(), QRect(-100, 50, 400, 100));
}

} // namespace
TEST(ImageFieldsViewer, OpenedFromAModalFormItIsThatFormsWindowUntilClosed)
{
    // Otherwise the modal form blocks the viewer and Escape cancels the form underneath.
    QDialog form;
    form.setModal(true);
    form.show();
    TfrmTarvoImageViewer viewer;
    viewer.setScreenSize(QSize(1280, 1024));
    viewer.ShowImageViewer(pictureOfSize(60, 40));
    EXPECT_EQ(viewer.parentWidget(), &form);
    EXPECT_TRUE(viewer.isWindow());
    QTest::keyClick(&viewer, Qt::Key_Escape);
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(viewer.parentWidget(), nullptr);
}

} // namespace tarvo
