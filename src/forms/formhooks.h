#pragma once
// What form construction calls back into the main window for (the forms layer cannot see it).
#include <functional>

class QWidget;

namespace tarvo {

class TdbButton;

struct FormHooks {
    std::function<void(TdbButton *)> onButtonClick; // every button's click
    std::function<void(QWidget *)> onAllFormShow;   // every showing of a further form
};

} // namespace tarvo
