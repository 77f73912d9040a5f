#include "app/artwork.h"

#include <QStringList>

// The resource lives in a static library, so it must be registered by hand; the macro cannot
// stand inside a namespace.
static void registerArtwork()
{
    Q_INIT_RESOURCE(artwork);
}

namespace tarvo {

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
                     {"new", "edit", "delete", "ok", "cancel", "search", "printer", "report",
                      "save", "exit", "excel", "database"});
}

QList<QIcon> buttonEditImageList()
{
    return imageList(QStringLiteral("buttonedit"),
                     {"right-normal", "right-hot", "right-pressed", "right-disabled",
                      "left-normal", "left-hot", "left-pressed"});
}

QList<QIcon> imageDataBaseImageList()
{
    return imageList(QStringLiteral("imagedatabase"), {"open", "save", "delete"});
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
