#pragma once
// The designer's page: bands stacked top to bottom in the order they print (1 scene unit = 1 mm),
// groups' and the detail's bands among the page's own, their items movable
// and resizable with a 1 mm snap (mouse: drag, drag the lower-right corner; keyboard: arrows,
// Shift+arrows; both move every selected item), band heights by dragging a band's lower edge.
// Edits go straight into the template; the signals tell the designer afterwards.
#include "report/reporttemplate.h"

#include <QGraphicsScene>
#include <optional>

namespace tarvo {

class ReportDataSet;

// "Master data", "Group header: Report."city"", "Detail data: Lines"
QString bandSlotCaption(const ReportTemplate &tpl, const BandRef &ref);

struct ItemRef {
    BandRef band;
    int index;
    bool operator==(const ItemRef &) const = default;
};

class DesignScene : public QGraphicsScene {
    Q_OBJECT
public:
    DesignScene(ReportTemplate &tpl, const ReportDataSet &data, QObject *parent = nullptr);

    // Redraws everything from the template, keeping the selection when it still exists.
    void rebuild();
    // The selected items in page order.
    QList<ItemRef> selectedRefs() const;
    // The selection's current item: the one last clicked, else the first.
    std::optional<ItemRef> currentRef() const;
    ReportItem *selectedItem(); // the current item
    ReportItem &item(const ItemRef &ref);
    // Selects exactly `refs`; the first gets the keyboard focus when `focus` is set.
    void select(const QList<ItemRef> &refs, bool focus = true);
    // Moves every selected item by `step` (mm) or, with `resize`, grows it by `step`.
    void moveSelection(QPointF step, bool resize);
    // Takes the positions of the selected items on the page into the template.
    void storeSelectedPositions();
    // The band new items go into: the selected item's, else the last band clicked, else the
    // master-data band.
    BandRef currentBand() const;
    void setCurrentBand(const BandRef &band) { m_currentBand = band; }

    double bandTop(const BandRef &band) const;
    ReportTemplate &reportTemplate() { return m_tpl; }
    const ReportDataSet &data() const { return m_data; }

signals:
    void geometryEdited(); // an item was moved or resized
    void bandResized();    // a band's height changed; the scene rebuilds itself

private:
    void populate();
    void select(const QList<ItemRef> &refs, std::optional<ItemRef> focus);

    ReportTemplate &m_tpl;
    const ReportDataSet &m_data;
    std::optional<BandRef> m_currentBand;
};

} // namespace tarvo
