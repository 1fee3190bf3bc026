#pragma once
// The About box: the program's icon, its name and version, and a note on its state.
#include <QDialog>

namespace polyvane {

class CAboutDlg final : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // The texts the box shows, in the order of its template.
    static QString VersionLine();
    static QString DescriptionLine();
    static QString Note();
};

} // namespace polyvane
