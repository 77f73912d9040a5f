#pragma once
// TImage: a widget that paints one Picture with Center, Stretch, Proportional and Transparent.
// TdbImage: a plain picture control of a form, filled from the picture library.
#include "controls/picture.h"

#include <QWidget>

namespace tarvo {

class TImage : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Center READ Center WRITE setCenter)
    Q_PROPERTY(bool Stretch READ Stretch WRITE setStretch)
    Q_PROPERTY(bool Proportional READ Proportional WRITE setProportional)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
public:
    explicit TImage(QWidget *parent = nullptr);

    const Picture &picture() const { return m_picture; }
    void setPicture(const Picture &picture);
    void clearPicture() { setPicture(Picture()); }

    bool Center() const { return m_center; }
    void setCenter(bool on);
    bool Stretch() const { return m_stretch; }
    void setStretch(bool on);
    bool Proportional() const { return m_proportional; }
    void setProportional(bool on);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool on);

    // Where the picture is drawn in the widget's coordinates.
    QRect pictureRect() const;

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void rebuildDrawn();

    Picture m_picture;
    QImage m_drawn; // the image as painted (with the transparent colour masked out)
    bool m_center = false;
    bool m_stretch = false;
    bool m_proportional = false;
    bool m_transparent = false;
};

class TdbImage : public TImage {
    Q_OBJECT
    Q_PROPERTY(QString dbFileName READ dbFileName WRITE setDbFileName)
public:
    explicit TdbImage(QWidget *parent = nullptr) : TImage(parent) {}

    QString dbFileName() const { return m_dbFileName; }
    void setDbFileName(const QString &name) { m_dbFileName = name; }

    // Loads an existing file by its extension; a missing file or another extension loads nothing.
    // Raises FileError or ConversionError when the file cannot be read or decoded.
    void LoadPicture(const QString &FileName);

private:
    QString m_dbFileName;
};

} // namespace tarvo
