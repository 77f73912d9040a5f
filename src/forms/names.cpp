#include "forms/names.h"

#include "controls/form.h"
#include "forms/attributes.h"
#include "platform/errors.h"

#include <QStringList>
#include <QWidget>

namespace tarvo {

namespace {

// The fixed forms exist before forms.xml is read; their names are taken even where a test
// runs without them.
const QStringList fixedForms = {"frmOptions", "frmTarvoAbout", "frmTarvoImageViewer"};

// The main window's own components: the menu, the shared resources and its helpers.
const QStringList mainWindowComponents = {
    "MainMenu1",           "File1",          "Close1",         "mniOptions",
    "mniDBLocation",       "mniReport",      "mniAbout",       "SQLConnection",
    "ImageListButtonIcons", "ImageListButtonEdit", "ImageListImageDataBase", "OpenPictureDialog",
    "SavePictureDialog",   "OpenDialog",     "SaveDialog",     "frxReport",
    "frxDBDataset",        "frxDesigner",    "frxPDFExport1",  "frxHTMLExport1",
    "frxXMLExport1",       "MemoInput264325", "MemoOut236235", "bSQL234235",
    "Button111545",        "XMLDocument1",   "DateTimePicker23623523",
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
