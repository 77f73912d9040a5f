#pragma once
// What the grid benchmarks share: the project of an item table with a lookup of kinds, and the
// result grid listing five columns of items (a text, a date, a flag, the kind's name, a number).
#include "controls/dbstringgridex.h"
#include "controls/tform.h"
#include "platform/projectfolder.h"
#include "schema/fieldcatalogue.h"
#include "schema/sqlconnection.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

// Writes tables.ini into `dir`, makes it the project folder and loads the field catalogue; returns
// the path of tables.ini.
inline QString writeItemProject(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("tables.ini"));
    QFile ini(path);
    ini.open(QIODevice::WriteOnly);
    ini.write("[item]\r\n-name=TEXT\r\n_born=DATE\r\n_active=BOOLEAN\r\n>qty=INTEGER\r\n"
              ">id_kind=\r\n[kind]\r\nisdictionary=1\r\n-name=TEXT\r\n");
    ini.close();
    tarvo::setProjectFolder(dir.path() + QStringLiteral("/"));
    tarvo::LoadFieldCatalogue(path);
    return path;
}

inline tarvo::TdbStringGridEx *addItemGrid(tarvo::TForm &form, tarvo::SqlConnection &db)
{
    auto *grid = new tarvo::TdbStringGridEx(&form);
    grid->setObjectName("grdItems");
    form.addComponent(grid);
    grid->setDbSQLConnection(&db);
    grid->setDbGeneralTable(QStringLiteral("item"));
    grid->setDbListFields(QStringLiteral("item.name,item.born,item.active,kind.name,item.qty"));
    return grid;
}
