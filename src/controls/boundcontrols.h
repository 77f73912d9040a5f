#pragma once
// The bound input controls, listed once. visitBoundControl calls a visitor with a component as
// its own control type; a visitor is a set of overloads (Overloads{...}), one per type, without a
// catch-all, so a control type added to this list that some action forgets to handle is a
// compile error there. Types a visitor has nothing to do for are named in Ignore<...>.
#include "controls/dbcheckbox.h"
#include "controls/dbcombobox.h"
#include "controls/dbdatetimepicker.h"
#include "controls/dbedit.h"
#include "controls/dbeditcount.h"
#include "controls/dbfiletodatabase.h"
#include "controls/dbimagedatabase.h"
#include "controls/dbmemo.h"
#include "controls/dbmonthcalendar.h"
#include "controls/dbstringgridex.h"

namespace tarvo {

template <class... Fs> struct Overloads : Fs... {
    using Fs::operator()...;
};
template <class... Fs> Overloads(Fs...) -> Overloads<Fs...>;

// A visitor part that does nothing for the listed types.
template <class... Ts> struct Ignore {
    template <class T>
    requires(std::is_same_v<T, Ts> || ...) void operator()(T &) const {}
};

namespace detail {
template <class T, class Visitor> bool visitAs(QObject *component, Visitor &visitor)
{
    if (auto *control = qobject_cast<T *>(component)) {
        visitor(*control);
        return true;
    }
    return false;
}
} // namespace detail

// Calls `visitor` for a bound input control; false (and no call) for any other component.
template <class Visitor> bool visitBoundControl(QObject *component, Visitor &&visitor)
{
    return detail::visitAs<TdbEdit>(component, visitor) || detail::visitAs<TdbMemo>(component, visitor)
           || detail::visitAs<TdbEditCount>(component, visitor) || detail::visitAs<TdbCheckBox>(component, visitor)
           || detail::visitAs<TdbComboBox>(component, visitor) || detail::visitAs<TdbDateTimePicker>(component, visitor)
           || detail::visitAs<TdbMonthCalendar>(component, visitor)
           || detail::visitAs<TdbStringGridEx>(component, visitor)
           || detail::visitAs<TdbImageDataBase>(component, visitor)
           || detail::visitAs<TdbFileToDatabase>(component, visitor);
}

} // namespace tarvo
