#pragma once
// Small data sets and the list fixture shared by the report tests.
#include "report/reportdataset.h"
#include "report/reportlayout.h"
#include "report/reporttemplate.h"
#include "support/fixtures.h"
#include "support/printto.h"

#include <QStringList>

namespace tarvo::test {

// Columns id, name, balance; row i has name "Customer i" and balance i * 1.5.
inline ReportDataSet customers(int count)
{
    QList<QVariantList> rows;
    for (int i = 1; i <= count; ++i)
        rows << QVariantList{qint64(i), QStringLiteral("Customer %1").arg(i), i * 1.5};
    return ReportDataSet({QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("balance")}, rows);
}

// Columns region, city, name, balance: `regions` regions of three cities of six customers each,
// in order.
inline ReportDataSet regionCustomers(int regions)
{
    QList<QVariantList> rows;
    for (int r = 1; r <= regions; ++r)
        for (int c = 1; c <= 3; ++c)
            for (int i = 1; i <= 6; ++i)
                rows << QVariantList{QStringLiteral("Region %1").arg(r), QStringLiteral("City %1.%2").arg(r).arg(c),
                                     QStringLiteral("Customer %1.%2.%3").arg(r).arg(c).arg(i),
                                     qint64(r * 100 + c * 10 + i)};
    return ReportDataSet({QStringLiteral("region"), QStringLiteral("city"), QStringLiteral("name"),
                          QStringLiteral("balance")},
                         rows);
}

inline ReportTemplate regionsTemplate()
{
    return ReportTemplate::load(fixturePath(QStringLiteral("report-regions/regions.trp")));
}

inline ReportTemplate listTemplate()
{
    return ReportTemplate::load(fixturePath(QStringLiteral("report-list/list.trp")));
}

inline QStringList textsOf(const PreparedPage &page, BandType band)
{
    QStringList texts;
    for (const PreparedItem &item : page.items) {
        if (item.band == band && item.source->kind == ItemKind::Text)
            texts << item.text;
    }
    return texts;
}

inline const QDateTime fixedNow{QDate(2026, 12, 10), QTime(14, 30)};

} // namespace tarvo::test
