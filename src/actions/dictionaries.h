#pragma once
// FillDictionaries: refills the lookup combo boxes of every open form from their tables.
#include <QString>
#include <QStringList>

namespace tarvo {

class SqlConnection;
class TdbComboBox;

// An empty tableName refills every combo box; otherwise those whose dbTable equals it exactly.
// A query error ends the walk at that box (later boxes keep their entries) and propagates.
void FillDictionaries(SqlConnection &connection, const QString &tableName);

// Refills one box from its table and selects again the record it had selected (or kept).
void RefillDictionaryBox(SqlConnection &connection, TdbComboBox &box);
// RefillDictionaryBox for every box of every open form whose table is one of `tables`, or for
// every box when `allTables` is true: the lists follow changes made since they were filled.
void RefreshDictionaries(SqlConnection &connection, const QStringList &tables, bool allTables = false);

} // namespace tarvo
