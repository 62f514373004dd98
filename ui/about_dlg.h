#pragma once

#include <QDialog>

// The About box: the application icon, the program's name and version, one line about what it
// is for, and an OK button that closes it. Its layout and texts are the same under every
// user-interface language. User-interface thread only.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
