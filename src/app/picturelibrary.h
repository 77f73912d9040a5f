#pragma once
// The picture container graphics.dll: a count, then per entry a name, the inflated size and one
// zlib stream, read forward once. The file is untrusted: damage raises ParseError naming the
// entry (earlier entries stay delivered); the file that cannot be opened raises FileError.
#include <QByteArray>
#include <QString>
#include <functional>

namespace tarvo {

using PictureCallback = std::function<void(const QByteArray &picture, const QString &name)>;

// Upper bounds that no designer-written container reaches; larger values mean damage.
inline constexpr qint32 kMaxPictureNameLength = 64 * 1024;
inline constexpr qint32 kMaxPictureSize = 256 * 1024 * 1024;

// Hands every entry's inflated picture and decoded name to `loadPicture`, in file order.
void LoadPictureLibrary(const QString &FileName, const PictureCallback &loadPicture);

// What the main window's LoadPicture does with one entry: the name's four "." parts name a form
// and a TdbImage on it (exactly, last match wins) and the format; anything else is skipped.
// Raises ParseError naming the entry when the picture cannot be decoded.
void loadLibraryPicture(const QByteArray &picture, const QString &sName);

} // namespace tarvo
