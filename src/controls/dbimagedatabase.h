#pragma once
// TdbImageDataBase: a picture bound to a BLOB column (dbField) and its "_filename" text column.
// Without a picture it shows a placeholder; a toolbar over its top edge loads, saves and
// removes the picture; a click shows the picture in the image viewer. The database itself is
// read and written by the record actions, which use LoadPictureFromStream and pictureBytes().
#include "controls/dbimage.h"

#include <QPointer>
#include <QToolBar>

class QAction;

namespace tarvo {

class TdbImageDataBase : public TImage {
    Q_OBJECT
    Q_PROPERTY(QString dbTable READ dbTable WRITE setDbTable)
    Q_PROPERTY(QString dbField READ dbField WRITE setDbField)
    Q_PROPERTY(QString dbFileName READ dbFileName WRITE setDbFileName)
    Q_PROPERTY(bool dbImageIsChanged READ dbImageIsChanged WRITE setDbImageIsChanged)
public:
    explicit TdbImageDataBase(QWidget *parent = nullptr);
    ~TdbImageDataBase() override;

    QString dbTable() const { return m_dbTable; }
    void setDbTable(const QString &table) { m_dbTable = table; }
    QString dbField() const { return m_dbField; }
    void setDbField(const QString &field) { m_dbField = field; }
    QString dbFileName() const { return m_dbFileName; }
    void setDbFileName(const QString &name) { m_dbFileName = name; }
    bool dbImageIsChanged() const { return m_dbImageIsChanged; }
    void setDbImageIsChanged(bool changed) { m_dbImageIsChanged = changed; }

    // Decodes `bytes` by the extension of FileName (another extension loads nothing); dbFileName
    // is left to the caller. Raises ConversionError for bytes the decoder rejects.
    void LoadPictureFromStream(const QByteArray &bytes, const QString &FileName);
    // A stored picture shown with its record: one the decoder rejects leaves the control empty
    // (dbFileName stays, so it can be replaced or deleted) and tells the user which field it is,
    // instead of keeping the record from being shown. False for such a picture.
    bool showStoredPicture(const QByteArray &bytes, const QString &FileName);
    // Empties the picture and dbFileName and draws the placeholder; dbImageIsChanged stays.
    void Clear();
    // The picture in its own format, as the save action stores it.
    QByteArray pictureBytes() const { return picture().encoded(); }

    // The toolbar and what the pointer does with it (the event handlers call these).
    QToolBar *toolBar() const { return m_toolBar; }
    QAction *toolButtonOpen() const { return m_open; }
    QAction *toolButtonSave() const { return m_save; }
    QAction *toolButtonDelete() const { return m_delete; }
    void showToolBar();
    // Hides the toolbar when the pointer left across an edge (position in this control).
    void leaveAt(const QPoint &pos);
    void hideToolBarIfPointerLeft();

    void DrawPlaceholder();
    void ToolButtonOpenClick();
    void ToolButtonSaveClick();
    void ToolButtonDeleteClick();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QAction *addToolButton(int image, const QString &hint, void (TdbImageDataBase::*handler)());
    QWidget *dialogOwner() const;
    QWidget *toolBarHost();

    QString m_dbTable;
    QString m_dbField;
    QString m_dbFileName;
    bool m_dbImageIsChanged = false;
    bool m_pressed = false;
    QPointer<QToolBar> m_toolBar;
    QAction *m_open = nullptr;
    QAction *m_save = nullptr;
    QAction *m_delete = nullptr;
};

} // namespace tarvo
