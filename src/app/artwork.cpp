#include "app/artwork.h"

#include <QStringList>

// The resource lives in a static library, so it must be registered by hand; the macro cannot
// stand inside a namespace.
static void registerArtwork()
{
    Q_INIT_RESOURCE(artwork);
}

namespace tarvo {

using namespace Qt::StringLiterals;

namespace {

QString artworkPath(const QString &relative)
{
    static const bool registered = (registerArtwork(), true);
    Q_UNUSED(registered);
    return QStringLiteral(":/artwork/") + relative;
}

QList<QIcon> imageList(const QString &folder, const QStringList &names)
{
    QList<QIcon> icons;
    for (const QString &name : names)
        icons << QIcon(artworkPath(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
    return icons;
}

} // namespace

QList<QIcon> buttonIconsImageList()
{
    return imageList(QStringLiteral("buttonicons"),
                     {u"new"_s, u"edit"_s, u"delete"_s, u"ok"_s, u"cancel"_s, u"search"_s, u"printer"_s, u"report"_s,
                      u"save"_s, u"exit"_s, u"excel"_s, u"database"_s});
}

QList<QIcon> buttonEditImageList()
{
    return imageList(QStringLiteral("buttonedit"),
                     {u"right-normal"_s, u"right-hot"_s, u"right-pressed"_s, u"right-disabled"_s, u"left-normal"_s,
                      u"left-hot"_s, u"left-pressed"_s});
}

QList<QIcon> imageDataBaseImageList()
{
    return imageList(QStringLiteral("imagedatabase"), {u"open"_s, u"save"_s, u"delete"_s});
}

QPixmap aboutPicture()
{
    return QPixmap(artworkPath(QStringLiteral("about.png")));
}

QIcon folderIcon()
{
    return QIcon(artworkPath(QStringLiteral("folder.png")));
}

} // namespace tarvo
