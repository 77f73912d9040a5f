// The picture container graphics.dll: its format read forward, damage reported per entry, and
// the entries delivered into TdbImage controls of open forms.
#include "app/picturelibrary.h"
#include "controls/dbimage.h"
#include "controls/dbimagedatabase.h"
#include "controls/tform.h"
#include "platform/errors.h"
#include "support/fixtures.h"
#include "support/pictures.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace Qt::StringLiterals;

namespace tarvo {
namespace {

using test::int32;

QByteArray zlibStream(const QByteArray &data)
{
    uLongf length = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(length), '\0');
    compress2(reinterpret_cast<Bytef *>(out.data()), &length, reinterpret_cast<const Bytef *>(data.constData()),
              uLong(data.size()), Z_BEST_SPEED);
    out.resize(qsizetype(length));
    return out;
}

QByteArray entry(const QByteArray &name, const QByteArray &picture, qint32 statedSize = -1)
{
    return int32(name.size()) + name + int32(statedSize < 0 ? qint32(picture.size()) : statedSize)
           + zlibStream(picture);
}

QByteArray picture(const char *format, int side)
{
    return test::anyPicture(format, side, side);
}

struct Delivered {
    QStringList names;
    QList<QByteArray> pictures;
};

class PictureLibrary : public ::testing::Test {
protected:
    // Reads `bytes` as graphics.dll and records what reaches the callback.
    Delivered read(const QByteArray &bytes)
    {
        folder.write(QStringLiteral("graphics.dll"), bytes);
        Delivered delivered;
        LoadPictureLibrary(folder.file(QStringLiteral("graphics.dll")),
                           [&](const QByteArray &picture, const QString &name) {
                               delivered.names << name;
                               delivered.pictures << picture;
                           });
        return delivered;
    }

    test::ProjectFolder folder;
};

TEST_F(PictureLibrary, ReadsConsecutiveEntriesWithoutACompressedLength)
{
    const QByteArray first(3000, 'a'), second("second picture");
    const Delivered got = read(int32(2) + entry("Pictures.frmMain.imgA.png", first)
                               + entry("\xcf\xf0.frmMain.imgB.png", second) + QByteArray("trailing"));
    EXPECT_EQ(got.names, QStringList({u"Pictures.frmMain.imgA.png"_s, u"Пр.frmMain.imgB.png"_s}));
    ASSERT_EQ(got.pictures.size(), 2);
    EXPECT_EQ(got.pictures[0], first);
    EXPECT_EQ(got.pictures[1], second);

    for (qint32 none : {0, -1}) // the count alone decides; what follows is not read
        EXPECT_TRUE(read(int32(none) + entry("x.frmMain.imgA.png", first)).names.isEmpty());
    EXPECT_TRUE(read(int32(1) + entry("x.f.c.png", QByteArray())).pictures.value(0).isEmpty());
}

TEST_F(PictureLibrary, DamageRaisesParseErrorNamingTheEntryAfterEarlierEntriesArrived)
{
    const QByteArray data(500, 'p');
    const QByteArray good = entry("x.frmMain.imgGood.png", data);
    const QByteArray name = "x.frmMain.imgBad.png";
    QByteArray damaged = entry(name, data);
    damaged[4 + name.size() + 4 + 2] = char(0x07); // first deflate block: an invalid block type
    const QByteArray stream = zlibStream(data);

    const struct {
        const char *what;
        QByteArray second;
        const char *reason;
    } cases[] = {
        {"negative name length", int32(-5) + name, "name length -5"},
        {"name length over the bound", int32(kMaxPictureNameLength + 1) + QByteArray(70000, 'n'), "name length 65537"},
        {"name longer than the file", int32(100) + name, "name length 100"},
        {"negative size", int32(name.size()) + name + int32(-1) + stream, "picture size -1"},
        {"size over the bound", int32(name.size()) + name + int32(kMaxPictureSize + 1) + stream,
         "picture size 268435457"},
        {"file ends in the size", int32(name.size()) + name + QByteArray(2, '\0'), "ends before the picture size"},
        {"stream cut short", entry(name, data).chopped(8), "ends early"},
        {"damaged stream", damaged, "damaged"},
        {"more than stated", entry(name, data, 499), "more than the stated 499"},
        {"fewer than stated", entry(name, data, 501), "500 bytes instead of the stated 501"},
        {"stated size far above the stream", entry(name, data, kMaxPictureSize), "instead of the stated"},
    };
    for (const auto &c : cases) {
        Delivered got;
        folder.write(QStringLiteral("graphics.dll"), int32(2) + good + c.second);
        try {
            LoadPictureLibrary(folder.file(QStringLiteral("graphics.dll")),
                               [&](const QByteArray &, const QString &n) { got.names << n; });
            ADD_FAILURE() << c.what << ": no error";
        } catch (const ParseError &error) {
            EXPECT_TRUE(error.message().contains(u"graphics.dll"_s)) << c.what;
            EXPECT_TRUE(error.message().contains(u"entry 2"_s)) << c.what << ": " << error.what();
            EXPECT_TRUE(error.message().contains(QString::fromLatin1(c.reason))) << c.what << ": " << error.what();
        }
        EXPECT_EQ(got.names, QStringList{u"x.frmMain.imgGood.png"_s}) << c.what;
    }
}

TEST_F(PictureLibrary, TruncatedCountOrMissingFileRaises)
{
    EXPECT_THROW(read(QByteArray(2, '\1')), ParseError);
    EXPECT_THROW(read(int32(3)), ParseError);
    EXPECT_THROW(LoadPictureLibrary(folder.file(QStringLiteral("absent.dll")), [](auto &&...) {}), FileError);
}

class PictureLibraryForms : public PictureLibrary {
protected:
    PictureLibraryForms()
    {
        main.setObjectName(QStringLiteral("frmMain"));
        twin.setObjectName(QStringLiteral("frmMain"));
        for (const char *name : {"imgLogo", "imgPhoto", "imgIcon", "imgGif", "imgBmp", "imgTif"})
            images[name] = add<TdbImage>(main, name);
        twinLogo = add<TdbImage>(twin, "imgLogo");
        dbImage = add<TdbImageDataBase>(main, "imgDb");
    }
    template <class T> T *add(TForm &form, const char *name)
    {
        auto *control = new T(&form);
        control->setObjectName(QString::fromLatin1(name));
        form.addComponent(control);
        return control;
    }
    QSize sizeOf(const char *name) const { return images.at(name)->picture().image().size(); }

    TForm main, twin;
    std::map<std::string, TdbImage *> images;
    TdbImage *twinLogo;
    TdbImageDataBase *dbImage;
};

TEST_F(PictureLibraryForms, RealPicturesReachTheNamedImagesByTheNameRules)
{
    const QByteArray container = int32(13) + entry("Pictures.frmMain.imgLogo.PNG", picture("PNG", 10))
                                 + entry("Pictures.FRMMAIN.imgPhoto.png", picture("PNG", 90)) + // form names are exact
                                 entry("Pictures.frmMain.IMGPHOTO.png", picture("PNG", 91)) +   // so are control names
                                 entry("frmMain.imgPhoto.png", picture("PNG", 92)) +            // three parts
                                 entry("a.b.frmMain.imgPhoto.png", picture("PNG", 93)) +        // five parts
                                 entry("Pictures.frmMain.imgPhoto.jpeg", picture("JPEG", 11))
                                 + entry("Pictures.frmMain.imgIcon.jpg", picture("JPEG", 12))
                                 + entry("Pictures.frmMain.imgGif.Gif", picture("GIF", 13))
                                 + entry("Pictures.frmMain.imgBmp.bmp", picture("BMP", 14))
                                 + entry("Pictures.frmMain.imgTif.tif", picture("TIFF", 15)) + // unknown format
                                 entry("Pictures.frmMain.imgDb.png", picture("PNG", 16)) +     // not a TdbImage
                                 entry("Pictures.frmMain.imgNone.png", picture("PNG", 17))
                                 + entry("Later.frmMain.imgBmp.png", picture("PNG", 18)); // the later entry wins
    folder.write(QStringLiteral("graphics.dll"), container);
    LoadPictureLibrary(folder.file(QStringLiteral("graphics.dll")), loadLibraryPicture);

    EXPECT_TRUE(images.at("imgLogo")->picture().isNull()); // the last matching form takes it
    EXPECT_EQ(twinLogo->picture().image().size(), QSize(10, 10));
    EXPECT_EQ(sizeOf("imgPhoto"), QSize(11, 11));
    EXPECT_EQ(sizeOf("imgIcon"), QSize(12, 12));
    EXPECT_EQ(sizeOf("imgGif"), QSize(13, 13));
    EXPECT_EQ(sizeOf("imgBmp"), QSize(18, 18));
    EXPECT_TRUE(images.at("imgTif")->picture().isNull());
    EXPECT_TRUE(dbImage->picture().isNull());
}

TEST_F(PictureLibraryForms, PictureTheDecoderRejectsEndsLoadingAtThatEntry)
{
    folder.write(QStringLiteral("graphics.dll"), int32(3) + entry("P.frmMain.imgLogo.png", picture("PNG", 10))
                                                     + entry("P.frmMain.imgPhoto.jpg", QByteArray("not a jpeg"))
                                                     + entry("P.frmMain.imgIcon.png", picture("PNG", 12)));
    try {
        LoadPictureLibrary(folder.file(QStringLiteral("graphics.dll")), loadLibraryPicture);
        ADD_FAILURE() << "no error";
    } catch (const ParseError &error) {
        EXPECT_TRUE(error.message().contains(u"P.frmMain.imgPhoto.jpg"_s)) << error.what();
    }
    EXPECT_EQ(twinLogo->picture().image().size(), QSize(10, 10));
    EXPECT_TRUE(images.at("imgIcon")->picture().isNull());
}

} // namespace
} // namespace tarvo
