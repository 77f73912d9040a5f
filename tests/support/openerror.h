#pragma once
// The message of a database that does not open, or "opened".
#include "platform/errors.h"
#include "schema/sqlconnection.h"

#include <gtest/gtest.h>

namespace tarvo::test {

inline QString openError(const QString &location)
{
    SqlConnection connection;
    connection.setDatabase(location);
    try {
        connection.open();
    } catch (const DatabaseError &error) {
        EXPECT_FALSE(connection.isOpen());
        return error.message();
    }
    return QStringLiteral("opened");
}

} // namespace tarvo::test
