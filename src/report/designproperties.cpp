#include "report/designproperties.h"

#include "platform/errorhandler.h"
#include "platform/errors.h"
#include "platform/interaction.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace tarvo {

namespace {

const QList<ItemKind> allKinds{ItemKind::Text, ItemKind::Line, ItemKind::Rect, ItemKind::Image};
const QList<ItemKind> texts{ItemKind::Text};

ItemProperty geometry(const char *name, const char *label, double (QRectF::*get)() const, void (*set)(QRectF &, double))
{
    return {QLatin1String(name),
            QObject::tr(label),
            EditorKind::Length,
            allKinds,
            [get](const ReportItem &i) { return (i.rect.*get)(); },
            [set](ReportItem &i, const QVariant &v) {
                set(i.rect, v.toDouble());
                // Lines run in any direction; boxes have no negative extent.
                if (i.kind != ItemKind::Line)
                    i.rect.setSize(i.rect.size().expandedTo(QSizeF(0, 0)));
            }};
}

ItemProperty flag(const char *name, const char *label, bool ReportItem::*member)
{
    return {QLatin1String(name),
            QObject::tr(label),
            EditorKind::Check,
            texts,
            [member](const ReportItem &i) { return i.*member; },
            [member](ReportItem &i, const QVariant &v) { i.*member = v.toBool(); }};
}

ItemProperty line(const char *name, const char *label, QList<ItemKind> kinds, QString ReportItem::*member)
{
    return {QLatin1String(name),
            QObject::tr(label),
            EditorKind::Line,
            std::move(kinds),
            [member](const ReportItem &i) { return i.*member; },
            [member](ReportItem &i, const QVariant &v) { i.*member = v.toString().trimmed(); }};
}

ItemProperty alignment(const char *name, const char *label, Qt::Alignment mask, QList<std::pair<QString, int>> choices)
{
    return {QLatin1String(name),
            QObject::tr(label),
            EditorKind::Choice,
            texts,
            [mask](const ReportItem &i) { return int(i.align & mask); },
            [mask](ReportItem &i, const QVariant &v) { i.align = (i.align & ~mask) | Qt::Alignment(v.toInt()); },
            std::move(choices)};
}

ItemProperty width(const char *name, const char *label, QList<ItemKind> kinds, double ReportItem::*member)
{
    return {QLatin1String(name),
            QObject::tr(label),
            EditorKind::Length,
            std::move(kinds),
            [member](const ReportItem &i) { return i.*member; },
            [member](ReportItem &i, const QVariant &v) { i.*member = std::clamp(v.toDouble(), 0.0, 50.0); },
            {},
            {0, 50}};
}

// A setting of the item's first highlight, which the panel edits; further ones stay as the file
// has them. The first comes into being with its first setting and goes when none is left.
ItemProperty highlight(const char *name, const char *label, EditorKind editor,
                       std::function<QVariant(const ReportHighlight &)> get,
                       std::function<void(ReportHighlight &, const QVariant &)> set)
{
    return {QLatin1String(name),
            QObject::tr(label),
            editor,
            texts,
            [get](const ReportItem &i) { return get(i.highlights.value(0)); },
            [set](ReportItem &i, const QVariant &v) {
                if (i.highlights.isEmpty())
                    i.highlights.append(ReportHighlight());
                ReportHighlight &h = i.highlights.first();
                set(h, v);
                if (h.condition.isEmpty() && !h.colour.isValid() && !h.fill.isValid() && !h.bold)
                    i.highlights.removeFirst();
            }};
}

ItemProperty withExpressionEditor(ItemProperty property, ExpressionMode mode)
{
    property.expression = mode;
    return property;
}

QList<ItemProperty> makeProperties()
{
    QList<ItemProperty> list{
        geometry("x", "X", &QRectF::x, [](QRectF &r, double v) { r.moveLeft(v); }),
        geometry("y", "Y", &QRectF::y, [](QRectF &r, double v) { r.moveTop(v); }),
        geometry("width", "Width", &QRectF::width, [](QRectF &r, double v) { r.setWidth(v); }),
        geometry("height", "Height", &QRectF::height, [](QRectF &r, double v) { r.setHeight(v); }),
        withExpressionEditor({QStringLiteral("text"), QObject::tr("Text"), EditorKind::MultiLine, texts,
                              [](const ReportItem &i) { return i.text; },
                              [](ReportItem &i, const QVariant &v) { i.text = v.toString(); }},
                             ExpressionMode::Text),
        {QStringLiteral("font"), QObject::tr("Font"), EditorKind::Font, texts,
         [](const ReportItem &i) { return i.qfont(); },
         [](ReportItem &i, const QVariant &v) {
             const QFont f = v.value<QFont>();
             i.font = f.family();
             if (f.pointSizeF() > 0)
                 i.size = std::clamp(f.pointSizeF(), 1.0, 500.0);
             i.bold = f.bold();
             i.italic = f.italic();
             i.underline = f.underline();
         }},
        {QStringLiteral("size"),
         QObject::tr("Size"),
         EditorKind::Points,
         texts,
         [](const ReportItem &i) { return i.size; },
         [](ReportItem &i, const QVariant &v) { i.size = std::clamp(v.toDouble(), 1.0, 500.0); },
         {},
         {1, 500}},
        flag("bold", "Bold", &ReportItem::bold),
        flag("italic", "Italic", &ReportItem::italic),
        flag("underline", "Underline", &ReportItem::underline),
        flag("wrap", "Word wrap", &ReportItem::wrap),
        flag("grow", "Grow to fit", &ReportItem::grow),
        alignment("align", "Align", Qt::AlignHorizontal_Mask,
                  {{QObject::tr("Left"), Qt::AlignLeft},
                   {QObject::tr("Center"), Qt::AlignHCenter},
                   {QObject::tr("Right"), Qt::AlignRight},
                   {QObject::tr("Justify"), Qt::AlignJustify}}),
        alignment("valign", "Vertical", Qt::AlignVertical_Mask,
                  {{QObject::tr("Top"), Qt::AlignTop},
                   {QObject::tr("Center"), Qt::AlignVCenter},
                   {QObject::tr("Bottom"), Qt::AlignBottom}}),
        line("format", "Format", texts, &ReportItem::format),
        {QStringLiteral("colour"), QObject::tr("Colour"), EditorKind::Colour, allKinds,
         [](const ReportItem &i) { return i.colour; },
         [](ReportItem &i, const QVariant &v) {
             if (const QColor c = v.value<QColor>(); c.isValid())
                 i.colour = c;
         }},
        {QStringLiteral("fill"),
         QObject::tr("Fill"),
         EditorKind::OptionalColour,
         {ItemKind::Text, ItemKind::Rect},
         [](const ReportItem &i) { return i.fill; },
         [](ReportItem &i, const QVariant &v) { i.fill = v.value<QColor>(); }},
        width("border", "Border", texts, &ReportItem::border),
        {QStringLiteral("borderColour"), QObject::tr("Border colour"), EditorKind::Colour, texts,
         [](const ReportItem &i) { return i.borderColour; },
         [](ReportItem &i, const QVariant &v) {
             if (const QColor c = v.value<QColor>(); c.isValid())
                 i.borderColour = c;
         }},
        width("lineWidth", "Line width", {ItemKind::Line, ItemKind::Rect}, &ReportItem::lineWidth),
        line("field", "Picture field", {ItemKind::Image}, &ReportItem::field),
        {QStringLiteral("picture"),
         QObject::tr("Picture"),
         EditorKind::Picture,
         {ItemKind::Image},
         [](const ReportItem &i) { return i.png; },
         [](ReportItem &i, const QVariant &v) {
             i.png = v.toByteArray();
             i.image = QImage::fromData(i.png, "PNG");
         }},
        withExpressionEditor(line("printIf", "Print if", allKinds, &ReportItem::printIf), ExpressionMode::Bare),
        withExpressionEditor(highlight(
                                 "highlightIf", "Highlight if", EditorKind::Line,
                                 [](const ReportHighlight &h) { return h.condition; },
                                 [](ReportHighlight &h, const QVariant &v) { h.condition = v.toString().trimmed(); }),
                             ExpressionMode::Bare),
        highlight(
            "highlightColour", "Highlight colour", EditorKind::OptionalColour,
            [](const ReportHighlight &h) { return h.colour; },
            [](ReportHighlight &h, const QVariant &v) { h.colour = v.value<QColor>(); }),
        highlight(
            "highlightFill", "Highlight fill", EditorKind::OptionalColour,
            [](const ReportHighlight &h) { return h.fill; },
            [](ReportHighlight &h, const QVariant &v) { h.fill = v.value<QColor>(); }),
        [] {
            ItemProperty bold = highlight(
                "highlightBold", "Highlight bold", EditorKind::Choice,
                [](const ReportHighlight &h) { return h.bold ? int(*h.bold) : -1; },
                [](ReportHighlight &h, const QVariant &v) {
                    h.bold = v.toInt() < 0 ? std::nullopt : std::optional<bool>(v.toInt() == 1);
                });
            bold.choices = {{QObject::tr("Unchanged"), -1}, {QObject::tr("Bold"), 1}, {QObject::tr("Not bold"), 0}};
            return bold;
        }(),
    };
    return list;
}

QIcon swatch(const QColor &colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour.isValid() ? colour : QColor(Qt::transparent));
    QPainter p(&pixmap);
    p.setPen(Qt::darkGray);
    p.drawRect(0, 0, 15, 15);
    return QIcon(pixmap);
}

QString fontText(const QFont &f)
{
    return QObject::tr("%1, %2 pt").arg(f.family(), QString::number(f.pointSizeF()));
}

QByteArray readPicture(QWidget *owner, const QString &folder)
{
    const QString path = interaction().openFileName(owner, QObject::tr("Pictures (*.png *.jpg *.bmp *.gif)"), folder);
    if (path.isEmpty())
        return {};
    const QImage image(path);
    if (image.isNull())
        throw FileError(QObject::tr("Cannot read the picture %1").arg(path));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

constexpr char valueKey[] = "propertyValue"; // the value a dialog button shows

// What the user chooses in the property's dialog, starting from `current`; nullopt on cancel.
std::optional<QVariant> askValue(const ItemProperty &property, QWidget *owner, const QString &pictureFolder,
                                 const QVariant &current)
{
    switch (property.editor) {
    case EditorKind::Colour:
    case EditorKind::OptionalColour: {
        const QColor c = current.value<QColor>();
        if (const std::optional<QColor> chosen = interaction().chooseColour(owner, c.isValid() ? c : QColor(Qt::white)))
            return QVariant(*chosen);
        return std::nullopt;
    }
    case EditorKind::Font:
        if (const std::optional<QFont> chosen = interaction().chooseFont(owner, current.value<QFont>()))
            return QVariant(*chosen);
        return std::nullopt;
    case EditorKind::Picture:
        if (const QByteArray png = readPicture(owner, pictureFolder); !png.isEmpty())
            return QVariant(png);
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

// A button opening the property's dialog; an optional colour has a second button for "none".
QWidget *dialogEditor(const ItemProperty &property, QWidget *owner, const QString &pictureFolder,
                      std::function<void(const QVariant &)> changed)
{
    auto *button = new QPushButton;
    button->setObjectName(property.name);
    if (property.editor == EditorKind::Picture)
        button->setText(QObject::tr("Load picture..."));
    QObject::connect(button, &QPushButton::clicked, button, [&property, owner, &pictureFolder, button, changed] {
        guarded([&] {
            if (const std::optional<QVariant> value = askValue(property, owner, pictureFolder,
                                                               button->property(valueKey)))
                changed(*value);
        });
    });
    if (property.editor != EditorKind::OptionalColour)
        return button;
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(button, 1);
    auto *none = new QToolButton;
    none->setObjectName(property.name + QStringLiteral("None"));
    none->setText(QObject::tr("None"));
    QObject::connect(none, &QToolButton::clicked, none, [changed] { guarded([&] { changed(QVariant(QColor())); }); });
    layout->addWidget(none);
    return row;
}

} // namespace

const QList<ItemProperty> &itemProperties()
{
    static const QList<ItemProperty> list = makeProperties();
    return list;
}

QWidget *createPropertyEditor(const ItemProperty &property, QWidget *owner, const QString &pictureFolder,
                              const ReportTemplate &tpl, const ReportDataSet &data,
                              std::function<void(const QVariant &)> changed)
{
    auto changedText = [changed](const QString &text) { changed(text); };
    QWidget *editor = nullptr;
    switch (property.editor) {
    case EditorKind::Length:
    case EditorKind::Points: {
        auto *box = new QDoubleSpinBox;
        const bool length = property.editor == EditorKind::Length;
        box->setRange(property.range.first, property.range.second);
        box->setDecimals(length ? 2 : 1);
        box->setSuffix(length ? QStringLiteral(" mm") : QStringLiteral(" pt"));
        QObject::connect(box, &QDoubleSpinBox::valueChanged, box, [changed](double v) { changed(v); });
        editor = box;
        break;
    }
    case EditorKind::Check: {
        auto *box = new QCheckBox(property.label);
        QObject::connect(box, &QCheckBox::toggled, box, [changed](bool on) { changed(on); });
        editor = box;
        break;
    }
    case EditorKind::Line: {
        if (property.expression) {
            editor = createExpressionLine(owner, *property.expression, data, tpl, changedText);
            break;
        }
        auto *edit = new QLineEdit;
        QObject::connect(edit, &QLineEdit::editingFinished, edit, [edit, changed] { changed(edit->text()); });
        editor = edit;
        break;
    }
    case EditorKind::MultiLine: {
        if (property.expression) {
            editor = createExpressionBox(owner, *property.expression, data, tpl, changedText);
            break;
        }
        auto *edit = new QPlainTextEdit;
        QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit, changed] { changed(edit->toPlainText()); });
        editor = edit;
        break;
    }
    case EditorKind::Choice: {
        auto *box = new QComboBox;
        for (const auto &[text, value] : property.choices)
            box->addItem(text, value);
        QObject::connect(box, &QComboBox::currentIndexChanged, box, [box, changed] { changed(box->currentData()); });
        editor = box;
        break;
    }
    case EditorKind::Colour:
    case EditorKind::OptionalColour:
    case EditorKind::Font:
    case EditorKind::Picture:
        return dialogEditor(property, owner, pictureFolder, std::move(changed));
    }
    editor->setObjectName(property.name);
    return editor;
}

void showPropertyValue(QWidget *editor, const ItemProperty &property, const QVariant &value)
{
    const QSignalBlocker quiet(editor);
    switch (property.editor) {
    case EditorKind::Length:
    case EditorKind::Points:
        static_cast<QDoubleSpinBox *>(editor)->setValue(value.toDouble());
        break;
    case EditorKind::Check:
        static_cast<QCheckBox *>(editor)->setChecked(value.toBool());
        break;
    case EditorKind::Line:
        if (auto *edit = static_cast<QLineEdit *>(editor); edit->text() != value.toString())
            edit->setText(value.toString());
        break;
    case EditorKind::MultiLine:
        // Setting the same text again would move the cursor of someone typing.
        if (auto *edit = static_cast<QPlainTextEdit *>(editor); edit->toPlainText() != value.toString())
            edit->setPlainText(value.toString());
        break;
    case EditorKind::Choice: {
        auto *box = static_cast<QComboBox *>(editor);
        box->setCurrentIndex(box->findData(value));
        break;
    }
    case EditorKind::Colour:
    case EditorKind::OptionalColour:
    case EditorKind::Font:
    case EditorKind::Picture: {
        auto *button = editor->findChild<QPushButton *>(property.name);
        button = button ? button : static_cast<QPushButton *>(editor);
        button->setProperty(valueKey, value);
        if (property.editor == EditorKind::Font) {
            button->setText(fontText(value.value<QFont>()));
        } else if (property.editor != EditorKind::Picture) {
            const QColor c = value.value<QColor>();
            button->setIcon(swatch(c));
            button->setText(c.isValid() ? c.name() : QObject::tr("none"));
        }
        break;
    }
    }
}

} // namespace tarvo
