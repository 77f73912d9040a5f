#pragma once
// The interaction layer of a program run in a terminal: messages go to standard error, a
// password is typed on the terminal without echo; there is no window to show.
#include "platform/headlessinteraction.h"

namespace tarvo {

class ConsoleInteraction final : public HeadlessInteraction {
public:
    MessageAnswer showMessage(QWidget *owner, const Message &message) override;
    // nullopt without a terminal (libpq's PGPASSWORD and password file still apply).
    std::optional<QString> askPassword(QWidget *owner, const QString &prompt) override;
};

} // namespace tarvo
