#pragma once

#include <QDialog>

namespace veltrin {

// The program's name and version, and a button that closes the box.
class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);

    static QString versionText();
};

}  // namespace veltrin
