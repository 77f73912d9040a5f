#include "forms/names.h"

#include "controls/form.h"
#include "forms/attributes.h"
#include "platform/errors.h"

#include <QStringList>
#include <QWidget>

namespace tarvo {

using namespace Qt::StringLiterals;

namespace {

// The fixed forms exist before forms.xml is read; their names are taken even where a test
// runs without them.
const QStringList fixedForms = {u"frmOptions"_s, u"frmTarvoAbout"_s, u"frmTarvoImageViewer"_s};

// The main window's own components: the menu, the shared resources and its helpers.
const QStringList mainWindowComponents = {
    u"MainMenu1"_s,
    u"File1"_s,
    u"Close1"_s,
    u"mniOptions"_s,
    u"mniDBLocation"_s,
    u"mniReport"_s,
    u"mniAbout"_s,
    u"SQLConnection"_s,
    u"ImageListButtonIcons"_s,
    u"ImageListButtonEdit"_s,
    u"ImageListImageDataBase"_s,
    u"OpenPictureDialog"_s,
    u"SavePictureDialog"_s,
    u"OpenDialog"_s,
    u"SaveDialog"_s,
    u"frxReport"_s,
    u"frxDBDataset"_s,
    u"frxDesigner"_s,
    u"frxPDFExport1"_s,
    u"frxHTMLExport1"_s,
    u"frxXMLExport1"_s,
    u"MemoInput264325"_s,
    u"MemoOut236235"_s,
    u"bSQL234235"_s,
    u"Button111545"_s,
    u"XMLDocument1"_s,
    u"DateTimePicker23623523"_s,
};

[[noreturn]] void invalidName(const QString &name)
{
    throw Error(QStringLiteral("\"%1\" is not a valid component name.").arg(name));
}

[[noreturn]] void duplicateName(const QString &name)
{
    throw Error(QStringLiteral("A component named %1 already exists.").arg(name));
}

} // namespace

bool isFixedFormName(const QString &name)
{
    return fixedForms.contains(name, Qt::CaseInsensitive);
}

bool isMainWindowComponentName(const QString &name)
{
    return mainWindowComponents.contains(name, Qt::CaseInsensitive);
}

void checkFormName(const QString &name, const QWidget *self)
{
    if (!isIdentifier(name))
        invalidName(name);
    if (isFixedFormName(name))
        duplicateName(name);
    for (const FormBase *form : openForms())
        if (form->widget() != self && form->name().compare(name, Qt::CaseInsensitive) == 0)
            duplicateName(name);
}

void checkComponentName(const FormBase &form, const QString &name, bool mainWindow)
{
    if (name.isEmpty())
        return;
    if (!isIdentifier(name))
        invalidName(name);
    if (form.findComponent(name) || (mainWindow && isMainWindowComponentName(name)))
        duplicateName(name);
}

} // namespace tarvo
