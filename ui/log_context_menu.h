#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include "ui/message_box.h"

class CLogListCtrl;
class QAction;
class QMenu;
class QPoint;
class QWidget;

// The message log's context menu: "Copy" puts the selected rows on the clipboard, "Copy All"
// every row, and "Save As..." writes every row to a file the operator chooses. A row reads as
// its tag, a tab and its text ("[SEND]\t!VS"); rows are separated by newlines, and in a file
// each row ends with one. Captions follow the log's language, the window's.
//
// It makes itself a child of the view, which then opens it on a right-click. User-interface
// thread only; the menu, the file dialog and the failure message block while they are open.
class LogContextMenu : public QObject {
    Q_OBJECT

public:
    explicit LogContextMenu(CLogListCtrl& view);

    // Runs the menu at a global position and returns the chosen entry (nullptr for none).
    // Replaceable so that tests can pick an entry; the default runs the menu for real.
    std::function<QAction*(QMenu& menu, const QPoint& globalPosition)> runMenu;
    // Asks for the file to save to; an empty answer cancels. Replaceable for tests; the
    // default is the platform's save dialog.
    std::function<QString(QWidget* parent, const QString& caption)> chooseFile;
    // Runs the message box that reports a failed save. Replaceable for tests.
    ModalRunner runModal = ExecModal();

    void CopySelected() const;
    void CopyAll() const;
    // Writes every row to the chosen file, replacing it only once all of it is written; a
    // failure shows one message and leaves the file as it was. False when nothing was saved.
    bool SaveAs();

private:
    CLogListCtrl& view;

    void Open(const QPoint& position);
    QString RowsText(const QList<int>& rows) const;
    QList<int> AllRows() const;
    QString Caption(int id) const;
    void ShowSaveFailure(const QString& path, const QString& reason);
};
