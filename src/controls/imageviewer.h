#pragma once
// The one image viewer of the run: a non-modal window showing a picture at full size, or
// maximised and scaled when the picture is larger than the screen. Escape or a double click
// closes it; hiding releases the picture.
#include "controls/form.h"
#include "controls/picture.h"

#include <QDialog>
#include <QSize>

namespace tarvo {

class TImage;

class TfrmTarvoImageViewer : public QDialog, public FormBase {
    Q_OBJECT
public:
    explicit TfrmTarvoImageViewer(QWidget *parent = nullptr);
    ~TfrmTarvoImageViewer() override;

    // The viewer created last (the run creates one at start-up); null when there is none.
    static TfrmTarvoImageViewer *instance();

    void ShowImageViewer(const Picture &Pic);

    TImage *imgView() const { return m_imgView; }
    // The screen the sizing rule measures against; empty (the default) means the primary screen.
    void setScreenSize(const QSize &size) { m_screenSize = size; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void attachToModalForm();
    QSize screenSize() const;

    TImage *m_imgView;
    QSize m_screenSize;
};

} // namespace tarvo
