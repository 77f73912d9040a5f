#pragma once
// What the options dialog's "Test connection" finds at a database location: a file or a server,
// whether it is there and which tables of tables.ini it holds.
#include "platform/interaction.h"

#include <QList>

namespace tarvo {

struct TableDefinition;

// Never raises: an unreachable server or a damaged file is what the message reports. A server
// that asks for a password gets it through the interaction layer. Never shows a password.
Message probeDatabase(const QString &location, const QList<TableDefinition> &tables);

} // namespace tarvo
