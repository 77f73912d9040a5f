// The picture container graphics.dll; delivered pictures go through the main window's name
// rules as at start-up.
#include "fuzzing.h"

#include "app/picturelibrary.h"
#include "platform/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace tarvo;
    fuzz::startApplication();
    const QString path = fuzz::writeInput(fuzz::bytes(data, size), QStringLiteral("graphics.dll"));
    try {
        LoadPictureLibrary(path, [](const QByteArray &picture, const QString &name) {
            if (picture.size() > kMaxPictureSize)
                fuzz::propertyFailed("a picture larger than the container allows", name,
                                     QString::number(picture.size()));
            loadLibraryPicture(picture, name);
        });
    } catch (const Error &) {
    }
    return 0;
}
