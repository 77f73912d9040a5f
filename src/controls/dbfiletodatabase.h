#pragma once
// TdbFileToDatabase: a read-only edit bound to a BLOB column (dbField) that stores any file, and
// its "_filename" text column. The leading button chooses a file (stored by the save action);
// the trailing button's menu opens, saves or removes the file stored for dbID.
#include <QByteArray>
#include <QLineEdit>
#include <optional>

class QAction;
class QMenu;

namespace tarvo {

class TdbFileToDatabase : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString dbFileName READ dbFileName WRITE setDbFileName)
    Q_PROPERTY(QString dbTable READ dbTable WRITE setDbTable)
    Q_PROPERTY(QString dbField READ dbField WRITE setDbField)
    Q_PROPERTY(int dbID READ dbID WRITE setDbID)
    Q_PROPERTY(bool dbFileIsChanged READ dbFileIsChanged WRITE setDbFileIsChanged)
public:
    explicit TdbFileToDatabase(QWidget *parent = nullptr);

    QString dbFileName() const { return m_dbFileName; }
    void setDbFileName(const QString &name) { m_dbFileName = name; }
    QString dbTable() const { return m_dbTable; }
    void setDbTable(const QString &table) { m_dbTable = table; }
    QString dbField() const { return m_dbField; }
    void setDbField(const QString &field) { m_dbField = field; }
    int dbID() const { return m_dbID; }
    void setDbID(int id) { m_dbID = id; }
    bool dbFileIsChanged() const { return m_dbFileIsChanged; }
    void setDbFileIsChanged(bool changed) { m_dbFileIsChanged = changed; }

    // Empties text and dbFileName, dbID := -1, dbFileIsChanged := false, disables the right button.
    void ClearEx();

    QAction *leftButton() const { return m_left; }
    QAction *rightButton() const { return m_right; }
    QMenu *popupMenu() const { return m_popup; }
    bool rightButtonEnabled() const;
    void setRightButtonEnabled(bool enabled);

    // The bytes stored for dbID on the shared connection (dbFileName := the stored name when the
    // column holds a file); nothing without an id, a row, or a stored file. Raises DatabaseError.
    std::optional<QByteArray> FetchStoredFile();

    void LeftButtonClick();
    void mniRunFileClick();
    void mniSaveFileClick();
    void mniDeleteFileClick();

private:
    QAction *addMenuItem(const char *name, const QString &caption, void (TdbFileToDatabase::*handler)());
    void connectGuarded(QAction *action, void (TdbFileToDatabase::*handler)());
    void applyButtonImages();
    void showNoFileMessage();
    QWidget *dialogOwner() const;

    QString m_dbFileName;
    QString m_dbTable;
    QString m_dbField;
    int m_dbID = -1;
    bool m_dbFileIsChanged = false;
    QAction *m_left;
    QAction *m_right;
    QMenu *m_popup;
};

} // namespace tarvo
