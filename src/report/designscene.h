#pragma once
// The designer's page: bands stacked top to bottom (1 scene unit = 1 mm), their items movable
// and resizable with a 1 mm snap (mouse: drag, drag the lower-right corner; keyboard: arrows,
// Shift+arrows), band heights by dragging a band's lower edge. Edits go straight into the template.
#include "report/reporttemplate.h"

#include <QGraphicsScene>
#include <optional>

namespace tarvo {

class ReportDataSet;

struct ItemRef {
    BandType band;
    int index;
};

class DesignScene : public QGraphicsScene {
    Q_OBJECT
public:
    DesignScene(ReportTemplate &tpl, const ReportDataSet &data, QObject *parent = nullptr);

    // Redraws everything from the template, keeping the selection when it still exists.
    void rebuild();
    std::optional<ItemRef> selectedRef() const;
    ReportItem *selectedItem();
    void select(const ItemRef &ref, bool focus = true);
    // The band new items go into: the selected item's, else the last band clicked, else the
    // master-data band.
    BandType currentBand() const;
    void setCurrentBand(BandType band) { m_currentBand = band; }
    void updateSelected(); // repaint after a property change that keeps the geometry

    double bandTop(BandType band) const;
    ReportTemplate &reportTemplate() { return m_tpl; }
    const ReportDataSet &data() const { return m_data; }

signals:
    void geometryEdited(); // an item was moved or resized
    void bandResized();    // a band's height changed; the scene rebuilds itself

private:
    ReportTemplate &m_tpl;
    const ReportDataSet &m_data;
    std::optional<BandType> m_currentBand;
};

} // namespace tarvo
