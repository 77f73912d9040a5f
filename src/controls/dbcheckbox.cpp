#include "controls/dbcheckbox.h"

namespace tarvo {

namespace {
constexpr Qt::CheckState kQtState[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
}

TdbCheckBox::TdbCheckBox(QWidget *parent) : QCheckBox(parent)
{
    // Qt can show the partial state only on a tristate box; whether the user may click into
    // it is decided by nextCheckState.
    setTristate(true);
}

TdbCheckBox::TCheckBoxState TdbCheckBox::state() const
{
    switch (checkState()) {
    case Qt::Checked:
        return cbChecked;
    case Qt::PartiallyChecked:
        return cbGrayed;
    default:
        return cbUnchecked;
    }
}

void TdbCheckBox::setState(TCheckBoxState state)
{
    m_unshown.reset();
    setCheckState(kQtState[state]);
}

void TdbCheckBox::setStoredValue(const QString &value)
{
    if (value == QLatin1String("1"))
        setState(cbChecked);
    else if (value == QLatin1String("0"))
        setState(cbUnchecked);
    else {
        setState(cbGrayed);
        if (!value.isNull())
            m_unshown = value;
    }
}

// The usual check-box cycle: unchecked goes to grayed only when the user may reach it.
void TdbCheckBox::nextCheckState()
{
    switch (state()) {
    case cbUnchecked:
        setState(m_allowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        setState(cbUnchecked);
        break;
    case cbGrayed:
        setState(cbChecked);
        break;
    }
}

QString TdbCheckBox::sqlValue() const
{
    switch (state()) {
    case cbChecked:
        return QStringLiteral("1");
    case cbUnchecked:
        return QStringLiteral("0");
    case cbGrayed:
        break;
    }
    return QStringLiteral("NULL");
}

} // namespace tarvo
