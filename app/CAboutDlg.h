#pragma once

#include <QDialog>

namespace trq::app {

// The about box: "About TRQ_GMouse", the icon, the version and an OK button.
class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace trq::app
