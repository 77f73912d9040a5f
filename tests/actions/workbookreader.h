#pragma once
// Reads back what the grid export wrote: the cells of sheet 1 with the formatting a spreadsheet
// would show for each (fill colour, borders, shrink-to-fit), straight from the workbook's XML.
#include "support/externaltool.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace tarvo::test {

struct WorkbookCell {
    QString text;
    QString fill;             // the solid fill's ARGB, empty for none
    bool thinBorders = false; // thin on all four sides
    bool shrink = false;
};

struct Workbook {
    QList<QList<WorkbookCell>> rows; // rows and cells in sheet order
    QString sheetXml;

    QList<QStringList> texts() const
    {
        QList<QStringList> result;
        for (const auto &row : rows) {
            QStringList cells;
            for (const auto &cell : row)
                cells << cell.text;
            result << cells;
        }
        return result;
    }
};

inline QString unzipped(const QString &workbook, const QString &member)
{
    return QString::fromUtf8(runTool(QStringLiteral("unzip"), {QStringLiteral("-p"), workbook, member}));
}

inline QString xmlText(QString text)
{
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    // Then the workbook's own escapes, "_xHHHH_" for one UTF-16 unit.
    static const QRegularExpression escaped(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString decoded;
    qsizetype from = 0;
    for (const auto &m : escaped.globalMatch(text)) {
        decoded += text.mid(from, m.capturedStart() - from);
        decoded += QChar(char16_t(m.captured(1).toUShort(nullptr, 16)));
        from = m.capturedEnd();
    }
    return decoded + text.mid(from);
}

inline QList<QString> elements(const QString &xml, const QString &pattern)
{
    QList<QString> found;
    const QRegularExpression re(pattern, QRegularExpression::DotMatchesEverythingOption);
    for (const auto &m : re.globalMatch(xml))
        found << m.captured(m.lastCapturedIndex());
    return found;
}

inline Workbook readWorkbook(const QString &path)
{
    const QString styles = unzipped(path, QStringLiteral("xl/styles.xml"));
    const QString fillsXml = elements(styles, QStringLiteral("<fills[^>]*>(.*?)</fills>")).value(0);
    const QString bordersXml = elements(styles, QStringLiteral("<borders[^>]*>(.*?)</borders>")).value(0);
    const QString xfsXml = elements(styles, QStringLiteral("<cellXfs[^>]*>(.*?)</cellXfs>")).value(0);
    const auto fills = elements(fillsXml, QStringLiteral("<fill>(.*?)</fill>"));
    const auto borders = elements(bordersXml, QStringLiteral("<border>(.*?)</border>"));
    const auto xfs = elements(xfsXml, QStringLiteral("(<xf [^>]*/>|<xf [^>]*>.*?</xf>)"));

    const auto cellStyle = [&](int index, WorkbookCell &cell) {
        const QString xf = xfs.value(index);
        const auto attribute = [&](const char *name) {
            return elements(xf, QStringLiteral(" %1=\"(\\d+)\"").arg(QLatin1String(name))).value(0).toInt();
        };
        const QString fill = fills.value(attribute("fillId"));
        if (fill.contains(QStringLiteral("patternType=\"solid\"")))
            cell.fill = elements(fill, QStringLiteral("<fgColor rgb=\"(\\w+)\"")).value(0);
        const QString border = borders.value(attribute("borderId"));
        cell.thinBorders = true;
        for (const char *side : {"left", "right", "top", "bottom"})
            cell.thinBorders &= border.contains(QStringLiteral("<%1 style=\"thin\"").arg(QLatin1String(side)));
        cell.shrink = xf.contains(QStringLiteral("shrinkToFit=\"1\""));
    };

    QStringList shared;
    for (const QString &si :
         elements(unzipped(path, QStringLiteral("xl/sharedStrings.xml")), QStringLiteral("<si>(.*?)</si>")))
        shared << xmlText(elements(si, QStringLiteral("<t[^>]*>(.*?)</t>")).value(0));

    Workbook book;
    book.sheetXml = unzipped(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    for (const QString &row : elements(book.sheetXml, QStringLiteral("<row [^>]*>(.*?)</row>"))) {
        QList<WorkbookCell> cells;
        const QRegularExpression cellRe(QStringLiteral("<c r=\"[A-Z]+\\d+\"([^>]*?)(?:/>|>(.*?)</c>)"),
                                        QRegularExpression::DotMatchesEverythingOption);
        for (const auto &m : cellRe.globalMatch(row)) {
            WorkbookCell cell;
            const QString attributes = m.captured(1);
            cellStyle(elements(attributes, QStringLiteral(" s=\"(\\d+)\"")).value(0).toInt(), cell);
            const QString value = elements(m.captured(2), QStringLiteral("<v>(\\d+)</v>")).value(0);
            if (!value.isEmpty())
                cell.text = shared.value(value.toInt());
            cells << cell;
        }
        book.rows << cells;
    }
    return book;
}

} // namespace tarvo::test
