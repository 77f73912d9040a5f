#pragma once
// Keeps what the windows show in step with the database without polling: called after each
// action and when the application becomes active again.
namespace tarvo {

struct ActionContext;

// When another connection committed changes since the last call, the visible grids run their
// last statement again (keeping the current record) and every lookup list is refilled keeping
// its selection; otherwise only the lists of tables this connection changed are refilled.
// The first call only takes note of the database's state.
void followDatabaseChanges(ActionContext &context);

} // namespace tarvo
