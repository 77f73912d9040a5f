#pragma once
// FillDictionaries: refills the lookup combo boxes of every open form from their tables.
#include <QString>

namespace tarvo {

class SqlConnection;

// An empty tableName refills every combo box; otherwise those whose dbTable equals it exactly.
// A query error ends the walk at that box (later boxes keep their entries) and propagates.
void FillDictionaries(SqlConnection &connection, const QString &tableName);

} // namespace tarvo
