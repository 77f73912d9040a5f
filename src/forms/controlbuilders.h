#pragma once
// One builder per forms.xml control element: creates the control inside its parent, owned by
// the form, and applies the element's own attributes in construction order. The font and
// keyboard steps and nesting are the loader's. A naming error raises Error before anything is
// created.
#include "forms/attributetable.h"
#include "forms/formhooks.h"

class QWidget;

namespace tarvo {

class FormBase;

struct BuildContext {
    QWidget *parent; // where the control is drawn
    FormBase &owner;
    bool onMainWindow; // the main window's fixed component names are taken
    const AttributeReader &attributes;
    const FormHooks &hooks;
};

// The row of a control element name (exact): its builder and its attributes; null for names that
// build nothing. A builder may still build nothing (a tab sheet outside a page control) and then
// returns null.
const ElementAttributes *controlAttributes(const QString &element);

} // namespace tarvo
