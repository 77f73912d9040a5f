#pragma once
// The properties of report items that the designer's panel edits, one descriptor each: the panel
// makes each property's editor from it, fills the editor from an item and writes the edited value
// back through it. A property not listed here cannot be edited in the panel.
#include "report/expressioneditor.h"
#include "report/reporttemplate.h"

#include <QList>
#include <QVariant>
#include <functional>
#include <optional>

class QWidget;

namespace tarvo {

enum class EditorKind {
    Length,         // millimetres, a spin box
    Points,         // a font size, a spin box
    Check,          // a check box
    Line,           // one line of text, stored when editing finishes
    MultiLine,      // text with line breaks, stored as typed
    Choice,         // a combo box of `choices`
    Colour,         // a button opening the colour dialog
    OptionalColour, // the same, and a button for "none" (an invalid colour)
    Font,           // a button opening the font dialog; the value is a QFont
    Picture,        // a button opening a picture file; the value is its PNG data
};

struct ItemProperty {
    QString name; // the editor's object name
    QString label;
    EditorKind editor;
    QList<ItemKind> kinds; // the items that have it
    std::function<QVariant(const ReportItem &)> get;
    std::function<void(ReportItem &, const QVariant &)> set;
    QList<std::pair<QString, int>> choices = {};     // Choice: text and value
    std::pair<double, double> range = {-2000, 2000}; // Length and Points: the editor's bounds
    std::optional<ExpressionMode> expression = {};   // Line and MultiLine: a "..." button opens the expression editor

    bool appliesTo(ItemKind kind) const { return kinds.contains(kind); }
};

// Every editable property, in the panel's order.
const QList<ItemProperty> &itemProperties();

// The editor widget of `property`; it calls `changed` with each value the user gives it.
// Dialogs it opens (colour, font, picture file, expression editor) go through interaction(),
// owned by `owner`. The picture file dialog starts in `pictureFolder`; the expression editor
// offers the fields of `data` and the variables of `tpl`. All three must outlive the editor.
QWidget *createPropertyEditor(const ItemProperty &property, QWidget *owner, const QString &pictureFolder,
                              const ReportTemplate &tpl, const ReportDataSet &data,
                              std::function<void(const QVariant &)> changed);
// Shows `value` in an editor made by createPropertyEditor, without calling its `changed`.
void showPropertyValue(QWidget *editor, const ItemProperty &property, const QVariant &value);

} // namespace tarvo
