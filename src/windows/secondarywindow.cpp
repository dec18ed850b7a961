#include "secondarywindow.h"

namespace hoedeck {

SecondaryWindow::SecondaryWindow(const QString& objectName, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(objectName);
    setWindowTitle(title);
    setAttribute(Qt::WA_QuitOnClose, false);
}

} // namespace hoedeck
