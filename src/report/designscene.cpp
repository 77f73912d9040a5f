#include "report/designscene.h"

#include "platform/errorhandler.h"
#include "report/expressioneditor.h"
#include "report/reportdataset.h"

#include <QCursor>
#include <QGraphicsRectItem>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <cmath>

namespace tarvo {

namespace {

constexpr double handle = 1.5;    // mm: the grip at an item's lower-right corner
constexpr double captionRoom = 6; // mm above each band for its caption
constexpr int refRole = 0;        // QGraphicsItem::data keys: the band type, its group, the item's index
constexpr int groupRole = 1;
constexpr int indexRole = 2;

double snap(double mm)
{
    return std::round(mm);
}

} // namespace

QString bandSlotCaption(const ReportTemplate &tpl, const BandRef &ref)
{
    const QString caption = bandCaption(ref.type);
    if (ref.group >= 0 && ref.group < tpl.groups.size())
        return caption + QStringLiteral(": ") + tpl.groups[ref.group].condition;
    if (tpl.detail
        && (ref.type == BandType::DetailHeader || ref.type == BandType::DetailData
            || ref.type == BandType::DetailFooter))
        return caption + QStringLiteral(": ") + tpl.detail->name;
    return caption;
}

namespace {

class ElementGraphic : public QGraphicsItem {
public:
    ElementGraphic(DesignScene *scene, const BandRef &band, int index) : m_scene(scene), m_band(band), m_index(index)
    {
        setFlags(ItemIsMovable | ItemIsSelectable | ItemIsFocusable | ItemSendsGeometryChanges);
        setData(refRole, int(band.type));
        setData(groupRole, band.group);
        setData(indexRole, index);
        setPos(model().rect.normalized().topLeft() + QPointF(0, scene->bandTop(band)));
        // Marks texts that would not print as meant: a bracket that prints as written, an unknown
        // function, a field that the data set lacks.
        m_suspicious =
            !expressionProblem(ExpressionMode::Text, model().text, scene->data(), scene->reportTemplate()).isEmpty();
    }

    ReportItem &model() const { return m_scene->reportTemplate().bandAt(m_band)->items[m_index]; }

    QRectF boundingRect() const override
    {
        const QSizeF size = model().rect.normalized().size();
        return QRectF(QPointF(0, 0), size.expandedTo(QSizeF(1, 1))).adjusted(-0.5, -0.5, 0.5, 0.5);
    }

    void paint(QPainter *p, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        const ReportItem &m = model();
        const QRectF r(QPointF(0, 0), m.rect.normalized().size());
        switch (m.kind) {
        case ItemKind::Text:
            paintText(p, m, r);
            break;
        case ItemKind::Line: {
            const QPointF from = m.rect.topLeft() - m.rect.normalized().topLeft();
            p->setPen(QPen(m.colour, std::max(0.2, m.lineWidth)));
            p->drawLine(from, from + QPointF(m.rect.width(), m.rect.height()));
            break;
        }
        case ItemKind::Rect:
            p->setPen(m.lineWidth > 0 ? QPen(m.colour, m.lineWidth) : QPen(Qt::NoPen));
            p->setBrush(m.fill.isValid() ? QBrush(m.fill) : QBrush(Qt::NoBrush));
            p->drawRect(r);
            break;
        case ItemKind::Image:
            if (!m.image.isNull())
                p->drawImage(r, m.image);
            else
                paintPlaceholder(p, r,
                                 m.field.isEmpty() ? QObject::tr("picture") : QStringLiteral("[%1]").arg(m.field));
            break;
        }
        QPen frame(m_suspicious ? Qt::red : QColor(120, 120, 255), 0, isSelected() ? Qt::SolidLine : Qt::DotLine);
        frame.setCosmetic(true);
        p->setPen(frame);
        p->setBrush(Qt::NoBrush);
        p->drawRect(r);
        if (isSelected())
            p->fillRect(QRectF(r.bottomRight() - QPointF(handle, handle), QSizeF(handle, handle)), Qt::blue);
    }

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override
    {
        if (change == ItemPositionChange)
            return QPointF(snap(value.toPointF().x()), snap(value.toPointF().y()));
        return QGraphicsItem::itemChange(change, value);
    }

    void mousePressEvent(QGraphicsSceneMouseEvent *event) override
    {
        const QRectF r(QPointF(0, 0), model().rect.normalized().size());
        m_resizing = isSelected() && (r.bottomRight() - event->pos()).manhattanLength() < 2 * handle;
        m_pressedAt = pos();
        m_scene->setCurrentBand(m_band);
        QGraphicsItem::mousePressEvent(event);
    }

    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override
    {
        if (!m_resizing)
            return QGraphicsItem::mouseMoveEvent(event);
        resizeTo(QSizeF(snap(event->pos().x()), snap(event->pos().y())));
    }

    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override
    {
        const bool edited = pos() != m_pressedAt || m_resizing;
        QGraphicsItem::mouseReleaseEvent(event);
        m_resizing = false;
        // A click that moved nothing is no edit.
        if (edited)
            guarded([&] { m_scene->storeSelectedPositions(); });
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        QPointF step;
        switch (event->key()) {
        case Qt::Key_Left:
            step = {-1, 0};
            break;
        case Qt::Key_Right:
            step = {1, 0};
            break;
        case Qt::Key_Up:
            step = {0, -1};
            break;
        case Qt::Key_Down:
            step = {0, 1};
            break;
        default:
            return QGraphicsItem::keyPressEvent(event);
        }
        guarded([&] { m_scene->moveSelection(step, event->modifiers() & Qt::ShiftModifier); });
    }

public:
    void resizeTo(QSizeF size)
    {
        prepareGeometryChange();
        ReportItem &m = model();
        const bool line = m.kind == ItemKind::Line;
        // Lines may be horizontal or vertical (zero extent); boxes keep at least 1 mm.
        const double minimum = line ? 0 : 1;
        m.rect.setWidth(std::max(minimum, size.width()));
        m.rect.setHeight(std::max(minimum, size.height()));
        update();
    }

    void storePosition()
    {
        ReportItem &m = model();
        // A line's start may lie right of or below its end: keep its direction.
        const QPointF offset = m.rect.topLeft() - m.rect.normalized().topLeft();
        m.rect.moveTopLeft(QPointF(pos().x(), pos().y() - m_scene->bandTop(m_band)) + offset);
    }

private:
    static void paintText(QPainter *p, const ReportItem &m, const QRectF &r)
    {
        if (m.fill.isValid())
            p->fillRect(r, m.fill);
        if (m.border > 0) {
            p->setPen(QPen(m.borderColour, m.border));
            p->setBrush(Qt::NoBrush);
            p->drawRect(r);
        }
        // Scene units are millimetres; draw at 10 units a millimetre for a usable font size.
        p->save();
        p->scale(0.1, 0.1);
        QFont font = m.qfont();
        font.setPixelSize(std::max(1, int(m.size * 25.4 / 72 * 10)));
        p->setFont(font);
        p->setPen(m.colour);
        const QRectF scaled(r.topLeft() * 10, r.size() * 10);
        p->drawText(scaled, int(m.align) | (m.wrap ? Qt::TextWordWrap : 0), m.text);
        p->restore();
    }

    static void paintPlaceholder(QPainter *p, const QRectF &r, const QString &text)
    {
        p->fillRect(r, QColor(230, 230, 230));
        p->save();
        p->scale(0.1, 0.1);
        QFont font;
        font.setPixelSize(30);
        p->setFont(font);
        p->setPen(Qt::darkGray);
        p->drawText(QRectF(r.topLeft() * 10, r.size() * 10), Qt::AlignCenter, text);
        p->restore();
    }

    DesignScene *m_scene;
    BandRef m_band;
    int m_index;
    bool m_resizing = false;
    QPointF m_pressedAt;
    bool m_suspicious = false;
};

// The lower edge of a band: drag it up or down to set the band's height.
class BandEdge : public QGraphicsRectItem {
public:
    BandEdge(DesignScene *scene, const BandRef &band, double width)
        : QGraphicsRectItem(0, -0.6, width, 1.2), m_scene(scene), m_band(band)
    {
        setFlags(ItemIsMovable | ItemSendsGeometryChanges);
        setCursor(Qt::SizeVerCursor);
        setPen(Qt::NoPen);
        setBrush(QColor(0, 0, 0, 30));
        setZValue(2);
        setToolTip(QObject::tr("Drag to change the band's height"));
    }

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override
    {
        if (change == ItemPositionChange)
            return QPointF(0, std::max(m_scene->bandTop(m_band), snap(value.toPointF().y())));
        return QGraphicsRectItem::itemChange(change, value);
    }

    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override
    {
        QGraphicsRectItem::mouseReleaseEvent(event);
        m_scene->reportTemplate().bandAt(m_band)->height = pos().y() - m_scene->bandTop(m_band);
        // Rebuilding deletes this item: leave its event handler first.
        QTimer::singleShot(0, m_scene, [scene = m_scene] {
            guarded([&] {
                emit scene->bandResized();
                scene->rebuild();
            });
        });
    }

private:
    DesignScene *m_scene;
    BandRef m_band;
};

ElementGraphic *elementOf(QGraphicsItem *item)
{
    return item->data(indexRole).isValid() ? static_cast<ElementGraphic *>(item) : nullptr;
}

ItemRef refOf(const QGraphicsItem *item)
{
    return ItemRef{BandRef(BandType(item->data(refRole).toInt()), item->data(groupRole).toInt()),
                   item->data(indexRole).toInt()};
}

} // namespace

DesignScene::DesignScene(ReportTemplate &tpl, const ReportDataSet &data, QObject *parent)
    : QGraphicsScene(parent), m_tpl(tpl), m_data(data)
{
    rebuild();
}

double DesignScene::bandTop(const BandRef &band) const
{
    double y = 0;
    for (const BandRef &slot : m_tpl.bandSlots()) {
        if (slot == band)
            return y;
        if (const ReportBand *b = m_tpl.bandAt(slot))
            y += b->height + captionRoom;
    }
    return y;
}

void DesignScene::rebuild()
{
    const QList<ItemRef> keep = selectedRefs();
    QGraphicsItem *focused = focusItem();
    const std::optional<ItemRef> focus = focused && elementOf(focused) ? std::optional(refOf(focused)) : std::nullopt;
    {
        // The selection stays unless an item went: no passing through an empty one on the way.
        const QSignalBlocker quiet(this);
        populate();
        select(keep, focus);
    }
    if (selectedRefs() != keep)
        emit selectionChanged();
}

void DesignScene::populate()
{
    clear();
    const double width = m_tpl.page.layout().paintRect(QPageLayout::Millimeter).width();
    for (const BandRef &ref : m_tpl.bandSlots()) {
        const ReportBand *band = m_tpl.bandAt(ref);
        if (!band)
            continue;
        const double top = bandTop(ref);
        QGraphicsSimpleTextItem *caption = addSimpleText(bandSlotCaption(m_tpl, ref));
        caption->setBrush(Qt::darkGray);
        caption->setScale(0.35);
        caption->setPos(0, top - 5);
        auto *area = addRect(0, top, width, band->height, QPen(Qt::lightGray, 0), QBrush(Qt::white));
        area->setZValue(-1);
        // Where the rows beside the first one print.
        for (int column = 1; column < band->columns; ++column) {
            const double x = column * width / band->columns;
            addLine(x, top, x, top + band->height, QPen(Qt::gray, 0, Qt::DashLine))->setZValue(-0.5);
        }
        for (int i = 0; i < band->items.size(); ++i)
            addItem(new ElementGraphic(this, ref, i));
        auto *edge = new BandEdge(this, ref, width);
        edge->setPos(0, top + band->height);
        addItem(edge);
    }
    setSceneRect(itemsBoundingRect().adjusted(-5, -5, 5, 5));
}

QList<ItemRef> DesignScene::selectedRefs() const
{
    QList<ItemRef> refs;
    for (QGraphicsItem *item : selectedItems()) {
        if (elementOf(item))
            refs << refOf(item);
    }
    const QList<BandRef> order = m_tpl.bandSlots();
    std::sort(refs.begin(), refs.end(), [&](const ItemRef &a, const ItemRef &b) {
        return std::pair(order.indexOf(a.band), a.index) < std::pair(order.indexOf(b.band), b.index);
    });
    return refs;
}

std::optional<ItemRef> DesignScene::currentRef() const
{
    if (QGraphicsItem *focused = focusItem(); focused && focused->isSelected() && elementOf(focused))
        return refOf(focused);
    const QList<ItemRef> refs = selectedRefs();
    return refs.isEmpty() ? std::nullopt : std::optional<ItemRef>(refs.first());
}

ReportItem &DesignScene::item(const ItemRef &ref)
{
    return m_tpl.bandAt(ref.band)->items[ref.index];
}

ReportItem *DesignScene::selectedItem()
{
    const std::optional<ItemRef> ref = currentRef();
    return ref ? &item(*ref) : nullptr;
}

void DesignScene::select(const QList<ItemRef> &refs, bool focus)
{
    select(refs, focus && !refs.isEmpty() ? std::optional(refs.first()) : std::nullopt);
}

void DesignScene::select(const QList<ItemRef> &refs, std::optional<ItemRef> focus)
{
    clearSelection();
    for (QGraphicsItem *item : items()) {
        if (!elementOf(item))
            continue;
        if (refs.contains(refOf(item)))
            item->setSelected(true);
        if (focus == refOf(item))
            item->setFocus();
    }
}

void DesignScene::moveSelection(QPointF step, bool resize)
{
    for (QGraphicsItem *item : selectedItems()) {
        ElementGraphic *element = elementOf(item);
        if (!element)
            continue;
        if (resize)
            element->resizeTo(element->model().rect.normalized().size() + QSizeF(step.x(), step.y()));
        else
            element->setPos(element->pos() + step);
    }
    storeSelectedPositions();
}

void DesignScene::storeSelectedPositions()
{
    for (QGraphicsItem *item : selectedItems()) {
        if (ElementGraphic *element = elementOf(item))
            element->storePosition();
    }
    emit geometryEdited();
}

BandRef DesignScene::currentBand() const
{
    if (const std::optional<ItemRef> ref = currentRef())
        return ref->band;
    if (m_currentBand && m_tpl.bandAt(*m_currentBand))
        return *m_currentBand;
    return BandType::MasterData;
}

} // namespace tarvo
