#include "ui/log_context_menu.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QSaveFile>

#include "resources/string_table.h"
#include "ui/log_list_ctrl.h"

namespace {

constexpr int kTagColumn = 0;
constexpr int kTextColumn = 1;

QString Cell(const QAbstractItemModel& model, int row, int column) {
    return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

}  // namespace

LogContextMenu::LogContextMenu(CLogListCtrl& view) : QObject(&view), view(view) {
    runMenu = [](QMenu& menu, const QPoint& globalPosition) { return menu.exec(globalPosition); };
    chooseFile = [](QWidget* parent, const QString& caption) {
        return QFileDialog::getSaveFileName(parent, caption);
    };
    view.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&view, &QWidget::customContextMenuRequested, this, &LogContextMenu::Open);
}

// Scroll areas report the position in their viewport's coordinates.
void LogContextMenu::Open(const QPoint& position) {
    const bool hasRows = view.Model().rowCount() > 0;
    const bool hasSelection = view.SelectedRow() >= 0;
    QMenu menu(&view);
    QAction* copy = menu.addAction(Caption(IDS_COPY));
    QAction* copyAll = menu.addAction(Caption(IDS_COPY_ALL));
    menu.addSeparator();
    QAction* saveAs = menu.addAction(Caption(IDS_SAVE_AS));
    copy->setEnabled(hasSelection);
    copyAll->setEnabled(hasRows);
    saveAs->setEnabled(hasRows);

    QAction* chosen = runMenu(menu, view.viewport()->mapToGlobal(position));
    if (chosen == nullptr || !chosen->isEnabled()) {
        return;
    }
    if (chosen == copy) {
        CopySelected();
    } else if (chosen == copyAll) {
        CopyAll();
    } else if (chosen == saveAs) {
        static_cast<void>(SaveAs());
    }
}

void LogContextMenu::CopySelected() const {
    if (view.SelectedRow() >= 0) {
        QGuiApplication::clipboard()->setText(RowsText({view.SelectedRow()}));
    }
}

void LogContextMenu::CopyAll() const {
    const QList<int> rows = AllRows();
    if (!rows.isEmpty()) {
        QGuiApplication::clipboard()->setText(RowsText(rows));
    }
}

bool LogContextMenu::SaveAs() {
    QString caption = Caption(IDS_SAVE_AS);
    if (caption.endsWith(QStringLiteral("..."))) {
        caption.chop(3);
    }
    const QString path = chooseFile(view.window(), caption);
    if (path.isEmpty()) {
        return false;
    }
    // The rows are written to a new file that replaces the chosen one only when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        ShowSaveFailure(path, file.errorString());
        return false;
    }
    const QList<int> rows = AllRows();
    QByteArray bytes = RowsText(rows).toUtf8();
    if (!rows.isEmpty()) {
        bytes.append('\n');
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        ShowSaveFailure(path, file.errorString());
        return false;
    }
    return true;
}

QString LogContextMenu::RowsText(const QList<int>& rows) const {
    const QAbstractItemModel& model = view.Model();
    QStringList lines;
    lines.reserve(rows.size());
    for (int row : rows) {
        lines << Cell(model, row, kTagColumn) + QLatin1Char('\t') + Cell(model, row, kTextColumn);
    }
    return lines.join(QLatin1Char('\n'));
}

QList<int> LogContextMenu::AllRows() const {
    QList<int> rows;
    const int count = view.Model().rowCount();
    rows.reserve(count);
    for (int row = 0; row < count; ++row) {
        rows << row;
    }
    return rows;
}

QString LogContextMenu::Caption(int id) const {
    return QString::fromStdString(::LoadString(id, view.Model().Language()));
}

void LogContextMenu::ShowSaveFailure(const QString& path, const QString& reason) {
    BoxContent box;
    box.caption = view.window()->windowTitle();
    box.text =
        Caption(IDS_SAVE_FAILED).replace(QStringLiteral("%s"), QDir::toNativeSeparators(path));
    box.detail = reason;
    box.icon = QMessageBox::Critical;
    RunMessageBox(runModal, view.window(), box);
}
