// The two fills of the result grid: the search (dbExecute) and the designer's SQL
// (dbSQLExecute). Each reads the whole result into packed cells and hands them to the model in
// one reset, so a large result costs no per-row relayout.
#include "controls/dbstringgridex.h"

#include "controls/form.h"
#include "controls/gridmodel.h"
#include "platform/waitcursor.h"
#include "platform/workprogress.h"
#include "schema/fieldcatalogue.h"
#include "schema/sqlconnection.h"
#include "schema/valueconventions.h"

#include <QScopedValueRollback>

namespace tarvo {

namespace {

enum class ColumnKind { Text, Date, Time, DateTime, Boolean };

QList<ColumnKind> columnKinds(const QString &listFields)
{
    static const QHash<QString, ColumnKind> byType = {
        {QStringLiteral("DATE"), ColumnKind::Date},
        {QStringLiteral("TIME"), ColumnKind::Time},
        {QStringLiteral("DATETIME"), ColumnKind::DateTime},
        {QStringLiteral("BOOLEAN"), ColumnKind::Boolean},
    };
    QList<ColumnKind> kinds;
    for (const QString &item : listFields.split(QLatin1Char(','))) {
        const int dot = item.indexOf(QLatin1Char('.'));
        const QString table = dot >= 0 ? item.left(dot) : QString();
        const QString field = item.mid(dot + 1);
        kinds << byType.value(GetCatalogueFieldType(table, field), ColumnKind::Text);
    }
    return kinds;
}

// A shown text as the grid displays it. ASCII texts are Latin and keep their case, so they go
// into the buffer without a QString of their own.
void appendText(PackedCells &cells, const SqlQuery &query, int column)
{
    const std::optional<QByteArrayView> utf8 = query.utf8(column);
    if (utf8 && isAscii(*utf8))
        cells.append(QLatin1StringView(utf8->data(), utf8->size()));
    else
        cells.append(NormalizeDisplayCase(query.text(column)));
}

// Reads the cells of one row straight from the statement: allocating a QString per cell cost
// as much as SQLite's own stepping.
class CellFormatter {
public:
    void append(PackedCells &cells, ColumnKind kind, const SqlQuery &query, int column) const
    {
        switch (kind) {
        case ColumnKind::Date:
            return storedDate(cells, query, column, m_date, m_dates);
        case ColumnKind::Time:
            return storedDate(cells, query, column, m_time, m_times);
        case ColumnKind::DateTime:
            return storedDate(cells, query, column, m_dateTime, m_dateTimes);
        case ColumnKind::Boolean:
            return cells.append(boolean(query, column));
        case ColumnKind::Text:
            break;
        }
        appendText(cells, query, column);
    }

private:
    // Dates repeat down a column, and formatting one through the locale costs far more than
    // reading it; the cache is bounded so a column of distinct values cannot grow it at will.
    // Its keys are the stored UTF-8 bytes, so a hit allocates nothing.
    using Cache = QHash<QByteArray, QString>;
    static void storedDate(PackedCells &cells, const SqlQuery &query, int column, const QString &format, Cache &cache)
    {
        const std::optional<QByteArrayView> utf8 = query.utf8(column);
        if (!utf8) {
            cells.append(FormatStoredDateTime(query.text(column), format));
            return;
        }
        const QByteArray key = QByteArray::fromRawData(utf8->data(), utf8->size());
        if (const auto known = cache.constFind(key); known != cache.cend()) {
            cells.append(*known);
            return;
        }
        if (cache.size() >= 16384)
            cache.clear();
        const QString text = FormatStoredDateTime(QString::fromUtf8(*utf8), format);
        cache.insert(QByteArray(utf8->data(), utf8->size()), text);
        cells.append(text);
    }

    static QStringView boolean(const SqlQuery &query, int column)
    {
        const std::optional<QByteArrayView> utf8 = query.utf8(column);
        const QByteArray real = utf8 ? QByteArray() : query.text(column).toUtf8();
        const QByteArrayView value = utf8 ? *utf8 : QByteArrayView(real);
        if (value == "1")
            return u"Да";
        if (value == "0")
            return u"Нет";
        return {};
    }

    const QString m_date = shortDateFormat();
    const QString m_time = shortTimeFormat();
    const QString m_dateTime = dateTimeFormatC();
    mutable Cache m_dates;
    mutable Cache m_times;
    mutable Cache m_dateTimes;
};

QStringList titlesFrom(const QString &listFieldsNames, const SqlQuery &query)
{
    return listFieldsNames.isEmpty() ? query.columnNames() : listFieldsNames.split(QLatin1Char(','));
}

// The main table named after " from " in the designer's SQL, or an empty text.
QString tableAfterFrom(const QString &sql)
{
    QString text = sql;
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.remove(QLatin1Char('\n'));
    text.remove(QLatin1Char('\t'));
    text.replace(QStringLiteral("    "), QStringLiteral(" "));
    text.replace(QStringLiteral("   "), QStringLiteral(" "));
    text.replace(QStringLiteral("  "), QStringLiteral(" "));
    const QString from = QStringLiteral(" from ");
    const qsizetype at = text.indexOf(from, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    text += QLatin1Char(' ');
    const qsizetype start = at + from.size();
    return text.mid(start, text.indexOf(QLatin1Char(' '), start) - start).remove(QLatin1Char(' '));
}

// Rows between looks at the clock and the Cancel button: a look costs about as much as a row.
constexpr int kRowsPerCheck = 512;

} // namespace

// A result as it is read, before the grid shows it.
struct TdbStringGridEx::GridFill {
    explicit GridFill(TdbStringGridEx *grid) : progress(TdbStringGridEx::tr("Reading rows: %1"), 0, kRowsPerCheck, grid)
    {
        // A grid is mostly filled again with a result of about the size it holds (the same
        // search once more, the refresh after a save); buffers sized up front are not grown and
        // copied cell by cell.
        cells.reserveLike(grid->gridModel()->cells());
        ids.reserve(grid->dbListId().size());
    }

    WorkProgress progress;
    int columns = -1; // shown columns; -1 while the statement has given no result set
    QStringList titles;
    PackedCells cells;
    QStringList ids;
    int rows() const { return int(progress.done()); } // a unit of progress is a row
};

void TdbStringGridEx::dbExecute()
{
    if (m_filling)
        return; // see fillFrom
    FSQL.clear();
    m_lastSearch = buildSearchStatement(searchParameters(), formOf(this), this);
    runLastSearch();
}

void TdbStringGridEx::dbRefresh()
{
    if (m_filling || !FIsUsed || (FSQL.isEmpty() && m_lastSearch.isEmpty()))
        return;
    const int current = dbItemID();
    if (FSQL.isEmpty())
        runLastSearch();
    else
        dbSQLExecute();
    if (current != -1)
        setDbItemID(current);
}

void TdbStringGridEx::runLastSearch()
{
    const QList<ColumnKind> kinds = columnKinds(FListFields);
    fillFrom([&](GridFill &fill) {
        SqlQuery query = connection().query(m_lastSearch);
        const int shown = query.columnCount() - 1; // the trailing main-table id is not shown
        fill.titles = titlesFrom(FListFieldsNames, query) << QString();
        fill.columns = shown;
        const CellFormatter format;
        for (; !query.eof(); query.next()) {
            for (int c = 0; c < shown; ++c)
                format.append(fill.cells, kinds.value(c, ColumnKind::Text), query, c);
            fill.ids << query.text(shown);
            if (!fill.progress.advance())
                return;
        }
    });
}

void TdbStringGridEx::dbSQLExecute()
{
    if (m_filling)
        return;
    const QString table = tableAfterFrom(FSQL);
    if (!table.isNull())
        FGeneralTable = table;
    fillFrom([&](GridFill &fill) {
        SqlQuery query = connection().query(FSQL);
        const int columns = query.columnCount();
        if (columns < 1)
            return; // a statement without a result set
        fill.titles = titlesFrom(FListFieldsNames, query);
        fill.columns = columns;
        const int idColumn = query.columnIndex(QStringLiteral("id"));
        for (; !query.eof(); query.next()) {
            for (int c = 0; c < columns; ++c)
                appendText(fill.cells, query, c);
            if (idColumn >= 0)
                fill.ids << query.text(idColumn);
            if (!fill.progress.advance())
                return;
        }
    });
}

// The whole result is read before the grid changes: a cancelled fill leaves the grid as it was,
// and the windows repaint the old rows meanwhile. A fill asked for while one runs (a refresh for
// another user's change, noticed while the rows arrive) is left out: the running one shows the
// data as it now is.
void TdbStringGridEx::fillFrom(const std::function<void(GridFill &)> &read)
{
    const QScopedValueRollback filling(m_filling, true);
    const WaitCursor busy; // after the statement is built: its messages get the normal cursor
    FillSource source = fillSource();
    GridFill fill(this);
    const auto showHeader = [&] {
        if (fill.columns < 0)
            return;
        setColCount(fill.columns);
        setTitles(fill.titles);
        FIsUsed = true;
    };
    try {
        read(fill);
    } catch (...) {
        // Cancel while the database works on the statement interrupts it; that is no failure.
        if (!fill.progress.cancelled()) {
            // A failed fill leaves no rows of an earlier one that could pass for its result.
            dbClear();
            showHeader();
            m_filledBy = std::move(source);
            throw;
        }
    }
    if (fill.progress.cancelled()) {
        if (m_filledBy) {
            FSQL = m_filledBy->sql;
            m_lastSearch = m_filledBy->search;
            FGeneralTable = m_filledBy->generalTable;
            FListFields = m_filledBy->listFields;
            FListFieldsNames = m_filledBy->listFieldsNames;
        }
        return;
    }
    dbClear();
    showHeader();
    m_filledBy = std::move(source);
    if (fill.rows() == 0 || fill.columns < 1)
        return;
    keepCurrentRowAcross([&] { gridModel()->fill(fill.columns, fill.rows(), std::move(fill.cells)); });
    FListId = std::move(fill.ids);
}

} // namespace tarvo
