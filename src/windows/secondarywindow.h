#pragma once

#include <QWidget>

namespace hoedeck {

// A window the program creates once at start-up and keeps, hidden or shown, until it ends.
// Closing it only hides it; closing the main window ends the program.
class SecondaryWindow : public QWidget {
    Q_OBJECT
public:
    SecondaryWindow(const QString& objectName, const QString& title, QWidget* parent = nullptr);
};

} // namespace hoedeck
