#include "platform/errorhandler.h"

#include "platform/errors.h"
#include "platform/interaction.h"
#include "platform/projectfolder.h"

#include <QFileInfo>
#include <QPointer>
#include <QWidget>

namespace tarvo {

namespace {
QPointer<QWidget> g_owner;
}

QString applicationTitle()
{
    // The started name, so that a link named after the project titles its messages.
    QString name = QFileInfo(startedProgramPath()).fileName();
    name = name.left(name.indexOf(QLatin1Char('.')) < 0 ? name.size() : name.indexOf(QLatin1Char('.')));
    return name.left(1) + name.mid(1).toLower();
}

QString withFullStop(const QString &text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

void setErrorOwner(QWidget *owner)
{
    g_owner = owner;
}

void reportErrorText(const QString &text)
{
    interaction().showMessage(g_owner.data(),
                              {withFullStop(text), applicationTitle(), MessageIcon::Error, MessageButtons::Ok});
}

void reportError(const std::exception &error)
{
    if (dynamic_cast<const SilentAbort *>(&error))
        return;
    if (auto *tarvoError = dynamic_cast<const Error *>(&error))
        reportErrorText(tarvoError->message());
    else
        reportErrorText(QString::fromLocal8Bit(error.what()));
}

} // namespace tarvo
