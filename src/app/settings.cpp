#include "app/settings.h"

#include "controls/dbstringgridex.h"
#include "controls/form.h"
#include "platform/projectfolder.h"
#include "schema/inifile.h"

namespace tarvo {

QString settingsFileName()
{
    return projectFolder() + QStringLiteral("settings.ini");
}

QString ReadDatabaseFileName()
{
    return IniFile::load(settingsFileName())
        .value(QStringLiteral("Options"), QStringLiteral("server"), QString());
}

namespace {

const QString kGrids = QStringLiteral("Grids");

QString gridKey(const FormBase &form, const TdbStringGridEx &grid, const QString &item)
{
    return form.name() + QLatin1Char('.') + grid.objectName() + QLatin1Char('.') + item;
}

int decimalOr(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : fallback;
}

} // namespace

void SaveGridLayouts()
{
    IniFile settings = IniFile::load(settingsFileName());
    bool anyFilled = false;
    for (FormBase *form : openForms())
        for (TdbStringGridEx *grid : form->componentsOf<TdbStringGridEx>()) {
            if (!grid->dbIfUsed())
                continue;
            anyFilled = true;
            settings.setValue(kGrids, gridKey(*form, *grid, QStringLiteral("ColCount")),
                              QString::number(grid->colCount()));
            for (int i = 0; i < grid->colCount(); ++i)
                settings.setValue(kGrids, gridKey(*form, *grid, QString::number(i)),
                                  QString::number(grid->colWidth(i)));
        }
    if (anyFilled)
        settings.save(settingsFileName());
}

void LoadGridLayouts()
{
    const IniFile settings = IniFile::load(settingsFileName());
    for (FormBase *form : openForms())
        for (TdbStringGridEx *grid : form->componentsOf<TdbStringGridEx>()) {
            if (const auto count = settings.value(kGrids, gridKey(*form, *grid, QStringLiteral("ColCount"))))
                grid->setColCount(decimalOr(*count, 5));
            for (int i = 0; i < grid->colCount(); ++i)
                if (const auto width = settings.value(kGrids, gridKey(*form, *grid, QString::number(i))))
                    grid->setColWidth(i, decimalOr(*width, 100));
        }
}

} // namespace tarvo
